#include "main_window/SystemInfoTool.h"

#include "core/MachineSettings.h"
#include "main_window/ExternalProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

QString registryValueText(RegistryType type, QByteArray data, const QString& unchanged)
{
    if (!data.isEmpty() && data.back() == '\0')
        data.chop(1);
    switch (type) {
    case RegistryType::String:
        return QString::fromUtf8(data);
    case RegistryType::Dword: {
        // Each byte keeps both digits: 0x00010203 must not read as 0x123.
        QString hex;
        for (qsizetype i = data.size() - 1; i >= 0; --i)
            hex += QStringLiteral("%1").arg(static_cast<uchar>(data[i]), 2, 16, QLatin1Char('0'));
        if (hex.isEmpty())
            return QStringLiteral("0");
        bool ok = false;
        const qulonglong number = hex.toULongLong(&ok, 16);
        return ok ? QString::number(number) : unchanged;
    }
    case RegistryType::Other:
        break;
    }
    return unchanged;
}

std::unique_ptr<QSettings> machineSettings()
{
    return machineSettingsStore();
}

bool GetKeyValue(QSettings& root, const QString& key, const QString& valueName, QString& value)
{
    const QString path = QString(key).replace(QLatin1Char('\\'), QLatin1Char('/')) + QLatin1Char('/') + valueName;
    if (!root.contains(path)) {
        value.clear();
        return false;
    }
    const QVariant stored = root.value(path);
    switch (stored.typeId()) {
    case QMetaType::QString:
        value = registryValueText(RegistryType::String, stored.toString().toUtf8() + '\0', value);
        break;
    case QMetaType::QStringList: // an unquoted comma in the file splits the text; it was one text
        value = registryValueText(RegistryType::String, stored.toStringList().join(QLatin1Char(',')).toUtf8(), value);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const quint32 number = static_cast<quint32>(stored.toULongLong());
        QByteArray data;
        for (int i = 0; i < 4; ++i)
            data.append(static_cast<char>((number >> (8 * i)) & 0xFF));
        value = registryValueText(RegistryType::Dword, data, value);
        break;
    }
    default:
        value = registryValueText(RegistryType::Other, stored.toByteArray(), value);
        break;
    }
    return true;
}

QString findSystemInfoTool(QSettings& root)
{
    QString path;
    if (GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"), path) &&
        QFileInfo(path).isFile())
        return path;
    if (GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"),
                    path)) {
        const QString full = QDir(path).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo(full).isFile())
            return full;
    }
    // No machine setting names one: the system-information tools of the usual desktops.
    static const QStringList known{QStringLiteral("hardinfo"),          QStringLiteral("gnome-system-monitor"),
                                   QStringLiteral("kinfocenter"),       QStringLiteral("mate-system-monitor"),
                                   QStringLiteral("xfce4-taskmanager"), QStringLiteral("lxtask")};
    for (const QString& name : known) {
        const QString found = ExternalProgram::findOnPath(name);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

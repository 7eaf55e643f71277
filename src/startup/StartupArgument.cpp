#include "startup/StartupArgument.h"

#include <algorithm>

StartupArgument splitStartupArgument(const QString& argument)
{
    StartupArgument result;
    const QStringList parts = argument.split(QStringLiteral("【】"), Qt::KeepEmptyParts, Qt::CaseSensitive);
    const QStringList fields = parts.value(0).split(QStringLiteral("{}"), Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (int i = 0; i < 10; ++i)
        result.identity[i] = fields.value(i);
    result.connection = parts.value(1);
    return result;
}

QString joinProgramArguments(const QStringList& arguments)
{
    return arguments.mid(1).join(u' ');
}

namespace {
// QGuiApplication's and QApplication's options (with "-" or "--"), and whether the value may be
// the next argument.
bool isQtOption(const QString& argument, bool* takesValue)
{
    static const QStringList withValue{QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("title"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("icon"),
                                       QStringLiteral("display"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet"),
                                       QStringLiteral("session"),
                                       QStringLiteral("name")};
    static const QStringList alone{QStringLiteral("reverse"),     QStringLiteral("widgetcount"),
                                   QStringLiteral("testability"), QStringLiteral("nograb"),
                                   QStringLiteral("dograb"),      QStringLiteral("sync")};
    if (!argument.startsWith(u'-') || argument.contains(QStringLiteral("{}")) ||
        argument.contains(QStringLiteral("【】")))
        return false;
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    if (equals >= 0)
        name.truncate(equals);
    if (name.startsWith(QStringLiteral("qmljsdebugger")) && equals >= 0) {
        *takesValue = false;
        return true;
    }
    *takesValue = equals < 0 && withValue.contains(name);
    return withValue.contains(name) || (equals < 0 && alone.contains(name));
}
} // namespace

int qtOptionCount(const QStringList& arguments)
{
    int i = 1;
    bool takesValue = false;
    while (i < arguments.size() && isQtOption(arguments[i], &takesValue)) {
        ++i;
        if (takesValue && i < arguments.size()) {
            const QString& value = arguments[i];
            if (value.contains(QStringLiteral("{}")) || value.contains(QStringLiteral("【】")))
                return i - 2;
            ++i;
        }
    }
    return std::max(0, i - 1);
}

QString launcherArgument(const QStringList& arguments)
{
    return joinProgramArguments(arguments.mid(qtOptionCount(arguments)));
}

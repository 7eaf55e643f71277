#include "app/StartupArgument.h"

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

#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The launcher's argument: ten identity fields joined by "{}", then "【】", then the
// connection string. Missing pieces are empty; extra pieces are ignored.
struct StartupArgument
{
    std::array<QString, 10> identity;
    QString connection;
};

StartupArgument splitStartupArgument(const QString& argument);

// The argument text of the process: its arguments (without the program name) joined by single blanks.
QString joinProgramArguments(const QStringList& arguments);

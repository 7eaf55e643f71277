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

// How many of the process's arguments after the program name are Qt's own options, for
// QApplication: a leading run of separate arguments, each one of Qt's options (with its value as
// the next argument where it takes one), none of them holding a separator of the launcher's
// argument. Whatever follows is the launcher's argument, even when it starts like a Qt option.
int qtOptionCount(const QStringList& arguments);

// The launcher's argument among the process's arguments: those after Qt's options, joined.
QString launcherArgument(const QStringList& arguments);

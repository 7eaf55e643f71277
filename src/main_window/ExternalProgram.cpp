#include "main_window/ExternalProgram.h"

#include <QProcess>
#include <QStandardPaths>

namespace {
std::function<QString(const QString&)>& finder()
{
    static std::function<QString(const QString&)> f;
    return f;
}

std::function<bool(const QString&)>& starter()
{
    static std::function<bool(const QString&)> s;
    return s;
}
} // namespace

QString ExternalProgram::findOnPath(const QString& name)
{
    if (finder())
        return finder()(name);
    return QStandardPaths::findExecutable(name);
}

bool ExternalProgram::startDetached(const QString& program)
{
    if (starter())
        return starter()(program);
    return QProcess::startDetached(program, {});
}

void ExternalProgramSeam::setFinder(std::function<QString(const QString&)> f)
{
    finder() = std::move(f);
}

void ExternalProgramSeam::setStarter(std::function<bool(const QString&)> s)
{
    starter() = std::move(s);
}

void ExternalProgramSeam::clear()
{
    finder() = nullptr;
    starter() = nullptr;
}

#include "core/ProgramArguments.h"

#include <windows.h>

#include <shellapi.h>

QStringList programArguments(int argc, char** argv)
{
    QStringList arguments;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
    }
    // The C runtime split the same line; should the two ever disagree, its split counts.
    if (arguments.size() != argc) {
        arguments.clear();
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

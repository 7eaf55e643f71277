#include "core/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::function<void()>& handler()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void EndProgram()
{
    if (handler()) {
        handler()();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void ProgramEndSeam::setHandler(std::function<void()> h)
{
    handler() = std::move(h);
}

void ProgramEndSeam::clearHandler()
{
    handler() = nullptr;
}

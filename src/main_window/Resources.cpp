#include "main_window/Resources.h"

#include <QtGlobal>

void initMainWindowResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(main_window);
        return true;
    }();
    Q_UNUSED(done);
}

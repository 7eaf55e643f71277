#include "main_window/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QtGlobal>

void initMainWindowResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(main_window);
        return true;
    }();
    Q_UNUSED(done);
}

void installProgramIcon()
{
    initMainWindowResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/main_window/icon.png")));
}

#include "main_window/MDIForm1.h"

#include <QMdiArea>
#include <QPointer>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral(" 澄岭物业管理工具"));
    setCentralWidget(m_area);
}

MainWindow* MDIForm1()
{
    static QPointer<MainWindow> instance;
    if (!instance)
        instance = new MainWindow;
    return instance;
}

void showMDIForm1()
{
    MDIForm1()->showMaximized();
    MDIForm1()->raise();
}

#include "app/Module1.h"
#include "app/StartupArgument.h"
#include "main_window/MDIForm1.h"
#include "platform/Fonts.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chengling-wuye"));
    QApplication::setApplicationDisplayName(QString());
    installFontSubstitutions();
    QApplication::setFont(yaheiFont(9));
    registerMainWindowClientArea();
    Main(joinProgramArguments(QApplication::arguments()), [] { showMDIForm1(); });
    return app.exec();
}

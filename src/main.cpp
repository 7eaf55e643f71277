#include "app/Module1.h"
#include "app/QtTranslation.h"
#include "app/StartupArgument.h"
#include "core/Fonts.h"
#include "main_window/MDIForm1.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chengling-wuye"));
    QApplication::setApplicationDisplayName(QString());
    if (!InstallQtTranslation())
        std::fprintf(stderr, "未找到 Qt 的中文翻译（qtbase_zh_CN.qm），Qt 自带的对话框文字将不是中文。\n");
    installFontSubstitutions();
    QApplication::setFont(yaheiFont(9));
    registerMainWindowClientArea();
    Main(joinProgramArguments(QApplication::arguments()), [] { showMDIForm1(); });
    return app.exec();
}

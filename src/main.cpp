#include "core/Fonts.h"
#include "core/ProgramArguments.h"
#include "main_window/MainWindow.h"
#include "main_window/Resources.h"
#include "startup/Module1.h"
#include "startup/QtTranslation.h"
#include "startup/StartupArgument.h"

#include <QApplication>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    // QApplication takes out every argument that looks like one of its options, wherever it stands:
    // it is handed only the leading ones, and the launcher's argument reaches Main as it came.
    const QStringList arguments = programArguments(argc, argv);
    int qtArgc = 1 + qtOptionCount(arguments);
    std::vector<char*> qtArgv(argv, argv + qtArgc);
    qtArgv.push_back(nullptr);
    QApplication app(qtArgc, qtArgv.data());
    QApplication::setApplicationName(QStringLiteral("chengling-wuye"));
    QApplication::setApplicationDisplayName(QString());
    if (!InstallQtTranslation())
        std::fprintf(stderr, "未找到 Qt 的中文翻译（qtbase_zh_CN.qm），Qt 自带的对话框文字将不是中文。\n");
    installFontSubstitutions();
    QApplication::setFont(yaheiFont(9));
    installProgramIcon();
    registerMainWindowClientArea();
    Main(launcherArgument(arguments), [] { showMDIForm1(); });
    return app.exec();
}

// Drives the real windows on a fresh demo database and saves what a user sees:
//   chengling-screenshots <folder> [width height]
// With CHENGLING_SCREENSHOT_FILES set to a folder, it also leaves there the workbook exported from
// the marked grid (export.xlsx) and the text Ctrl+C put on the clipboard (copied.txt), for
// tools/screenshots-workbook to render.
#include "DemoData.h"
#include "core/Fonts.h"
#include "engine/GridBuilders.h"
#include "main_window/MainWindow.h"
#include "startup/Module1.h"
#include "widgets/FileDialog.h"
#include "widgets/FlexGrid.h"
#include "widgets/MessageBox.h"
#include "workbench/GridFindBar.h"
#include "workbench/OwnerNumberForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>

namespace {
void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void save(QWidget* window, const QString& path)
{
    settle();
    if (!window->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    QApplication::setFont(yaheiFont(9));
    const QStringList args = app.arguments();
    const QString folder = args.value(1, QStringLiteral("."));
    const int width = args.value(2, QStringLiteral("1600")).toInt();
    const int height = args.value(3, QStringLiteral("1000")).toInt();
    const QString suffix = args.size() > 2 ? QStringLiteral("-%1x%2").arg(width).arg(height) : QString();
    QDir().mkpath(folder);

    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("demo.sqlite"));
    DemoData::createDemoDatabase(db);
    // Every question is answered yes; nothing waits for a person.
    MsgBoxSeam::setScript(
        [](const MsgRecord& r) { return r.buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Yes; });

    registerMainWindowClientArea();
    Main(QStringLiteral("demo{}演示操作员{}{}物业部{}ADMIN{}管理员{}{}{}{}【】Provider=SQLite;Data Source=") + db,
         [] { showMDIForm1(); });
    MainWindow* main = MDIForm1();
    main->showNormal();
    main->setGeometry(0, 0, width, height);
    settle();
    save(main, folder + QStringLiteral("/main-window%1.png").arg(suffix));

    main->findChild<QAction*>(QStringLiteral("业主编号管理"))->trigger();
    settle();
    auto* form = main->findChild<OwnerNumberForm*>();
    const OwnerNumberFormUi ui = OwnerNumberFormUi::find(*form);
    const auto choose = [&ui](const QString& code) {
        const int office = ui.Combo1->findText(code + u' ', Qt::MatchStartsWith);
        ui.Combo1->setCurrentIndex(office);
        emit ui.Combo1->activated(office);
        ui.Check1->setChecked(true);
        emit ui.Check1->clicked(true);
    };
    choose(QStringLiteral("14"));
    ui.Command2->click();
    save(main, folder + QStringLiteral("/workbench-generate%1.png").arg(suffix));

    ui.Command3->click();
    ui.Command5->click();
    save(main, folder + QStringLiteral("/workbench-view%1.png").arg(suffix));

    // The please-wait panel as a save shows it when the server has gone quiet, with its 取消.
    OwnerNumberFormUi(ui).showPleaseWait(
        QStringLiteral("正在保存业主编号，请稍等......\n服务器 30 秒未响应，可以继续等待或取消"));
    save(main, folder + QStringLiteral("/workbench-wait%1.png").arg(suffix));
    ui.Picture5->hide();

    // Two numbers handed out before to moved-out owners: generate marks them.
    choose(QStringLiteral("15"));
    ui.Command2->click();
    const FlexGridModel& grid = ui.MSFlexGrid1->gridModel();
    for (int row : {2, 5})
        gConn().execute(QStringLiteral("Update 业主表 Set 业主编号 = '%1' Where ZH_ID = (Select Min(ZH_ID) + %2 From "
                                       "业主表 Where 说明 = '迁出')")
                            .arg(grid.textMatrix(row, GridColumn::OwnerNumber))
                            .arg(row));
    ui.Command2->click();
    save(main, folder + QStringLiteral("/workbench-duplicates%1.png").arg(suffix));

    ui.findButton->click();
    // The find bar: the second of the rows holding a family name, with the count.
    form->findChild<QLineEdit*>(QStringLiteral("FindText"))->setText(grid.textMatrix(5, GridColumn::Name).left(1));
    ui.findBar->findNext(false);
    ui.findBar->findNext(false);
    save(main, folder + QStringLiteral("/workbench-find%1.png").arg(suffix));
    ui.findBar->close();

    // Rows 2 to 6 selected and copied; the marked grid exported.
    if (const QString files = qEnvironmentVariable("CHENGLING_SCREENSHOT_FILES"); !files.isEmpty()) {
        QDir().mkpath(files);
        ui.MSFlexGrid1->setRow(2);
        ui.MSFlexGrid1->setCol(0);
        ui.MSFlexGrid1->setColSel(GridColumn::kShownCount - 1);
        ui.MSFlexGrid1->setRowSel(6);
        ui.MSFlexGrid1->copy();
        QFile copied(files + QStringLiteral("/copied.txt"));
        if (copied.open(QIODevice::WriteOnly))
            copied.write(QGuiApplication::clipboard()->text().toUtf8());
        FileDialogSeam::setScript(
            [files](const QString&, const QString&) { return files + QStringLiteral("/export"); });
        ui.Command4->click();
        FileDialogSeam::clearScript();
        save(main, folder + QStringLiteral("/workbench-exported%1.png").arg(suffix));
    }

    // Saved after two owners were deleted by someone else: their rows marked, the note says so.
    choose(QStringLiteral("16"));
    ui.Command2->click();
    for (int row : {3, 6})
        gConn().execute(QStringLiteral("Delete From 业主表 Where ZH_ID = ") +
                        grid.textMatrix(row, GridColumn::OwnerId));
    ui.Command3->click();
    ui.MSFlexGrid1->scrollToTop();
    save(main, folder + QStringLiteral("/workbench-unwritten%1.png").arg(suffix));
    return 0;
}

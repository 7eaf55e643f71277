// Drives the real workbench offscreen on one office of N rooms and measures every step against
// the same work done straight on SQLite and libxlsxwriter.
//   bench [--rooms 1000,10000,100000]
//   bench --sqlserver [LATENCY_MS] [--mbit R] [--rooms 2000]: the same steps over FreeTDS against
//   the stand-in server with that round-trip time (10 ms unless given) and link speed, counting its
//   requests and bytes.
#include "DemoData.h"
#include "Floor.h"
#include "Probe.h"
#include "core/Fonts.h"
#include "engine/DuplicateNumbers.h"
#include "engine/GridBuilders.h"
#include "engine/OwnerNumberRule.h"
#include "engine/Statements.h"
#include "startup/Module1.h"
#include "support/StandIn.h"
#include "support/Workbench.h"
#include "widgets/FileDialog.h"
#include "widgets/FlexGrid.h"
#include "widgets/MessageBox.h"
#include "workbench/OwnerNumberForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <optional>

namespace {
struct Row
{
    QString step;
    double program = 0, floor = -1, peak = 0, freeze = 0, cpu = 0;
    int requests = 0;
    qint64 bytesUp = 0, bytesDown = 0; // to the server, from it
};

Row measure(const QString& step, const std::function<void()>& action)
{
    Probe probe;
    probe.start();
    action();
    probe.stop();
    Row row;
    row.step = step;
    row.program = probe.seconds();
    row.peak = probe.peakMegabytes();
    row.freeze = probe.longestFreezeSeconds();
    row.cpu = probe.cpuSeconds();
    return row;
}

// A numbered office where one building has new owners again: what a clerk does most days.
void reopenFirstBuilding(const Workbench& ui, Connection& conn)
{
    QTreeWidgetItem* first = ui.TreeView1->topLevelItem(0);
    const QString id = first->data(0, Qt::UserRole).toString().mid(1);
    conn.execute(
        QStringLiteral("Update 业主表 Set 业主编号 = Null Where S_ID In (Select S_ID From 室表 Where L_ID = %1)")
            .arg(id));
    ui.Check1->click(); // all off
    first->setCheckState(0, Qt::Checked);
}

// Profiling one step: with --until the run stops after the step of that name.
QString gUntil;
// With --sqlserver: the round-trip time of the stand-in (-1: the embedded database).
int gLatencyMs = -1;
// With --mbit: the link's speed both ways (0: unlimited).
double gMbit = 0;

// The steps over SQL Server: time, requests and bytes, no floor.
QList<Row> runOnServer(int rooms)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("server.sqlite"));
    DemoData::createBenchmarkDatabase(file, rooms);
    StandIn::Options options;
    options.latencyMs = gLatencyMs;
    options.bandwidthMbit = gMbit;
    StandIn server(file, options);
    if (!server.started())
        qFatal("%s", qPrintable(server.error()));
    QList<Row> rows;
    const auto step = [&](const QString& name, const std::function<void()>& action) {
        const int mark = server.mark();
        const auto before = server.traffic();
        rows << measure(name, action);
        rows.last().requests = server.mark() - mark;
        rows.last().bytesUp = server.traffic().first - before.first;
        rows.last().bytesDown = server.traffic().second - before.second;
    };
    step(QStringLiteral("连接"), [&] { gConn().open(server.connectionString()); });
    OwnerNumberForm* form = nullptr;
    std::optional<Workbench> ui;
    step(QStringLiteral("管理处列表"), [&] {
        form = new OwnerNumberForm;
        ui.emplace(*form);
        form->resize(1600, 1000);
        form->show();
        QApplication::processEvents();
    });
    step(QStringLiteral("选择管理处（楼幢树）"), [&] {
        ui->Combo1->setCurrentIndex(0);
        emit ui->Combo1->activated(0);
    });
    step(QStringLiteral("全选"), [&] { ui->Check1->click(); });
    step(QStringLiteral("生成业主编号"), [&] { ui->Command2->click(); });
    step(QStringLiteral("保存"), [&] { ui->Command3->click(); });
    {
        Connection direct;
        direct.open(QStringLiteral("Provider=SQLite;Data Source=") + file);
        reopenFirstBuilding(*ui, direct);
    }
    step(QStringLiteral("生成业主编号（已编号的管理处，一幢）"), [&] { ui->Command2->click(); });
    ui->Check1->click(); // all on again
    step(QStringLiteral("查看业主编号"), [&] { ui->Command5->click(); });
    step(QStringLiteral("清除业主编号"), [&] { ui->Command6->click(); });
    delete form;
    gConn().close();
    return rows;
}

QList<Row> run(int rooms)
{
    QTemporaryDir dir;
    const QString programDb = dir.filePath(QStringLiteral("program.sqlite"));
    const QString floorDb = dir.filePath(QStringLiteral("floor.sqlite"));
    DemoData::createBenchmarkDatabase(programDb, rooms);
    QFile::copy(programDb, floorDb);
    gConn().open(QStringLiteral("Provider=SQLite;Data Source=") + programDb);
    Floor floor(floorDb);
    const QString exportPath = dir.filePath(QStringLiteral("program.xlsx"));
    FileDialogSeam::setScript([&](const QString&, const QString&) { return exportPath; });

    QList<Row> rows;
    auto* form = new OwnerNumberForm;
    const Workbench ui(*form);
    form->resize(1600, 1000);
    form->show();
    QApplication::processEvents();

    rows << measure(QStringLiteral("选择管理处（楼幢树）"), [&] {
        ui.Combo1->setCurrentIndex(0);
        emit ui.Combo1->activated(0);
    });
    rows.last().floor = floor.query(buildingTreeSql(SqlDialect::SQLite, QStringLiteral("14")));

    rows << measure(QStringLiteral("全选"), [&] { ui.Check1->click(); });

    rows << measure(QStringLiteral("生成业主编号"), [&] { ui.Command2->click(); });
    const QString list = form->selectedBuildings();
    const QString countSql = resaleCountsSql(list);
    rows.last().floor =
        floor.queryWithCounts(candidateGridSql(SqlDialect::SQLite, QStringLiteral("14"), list), countSql);
    // The duplicate check generate runs at its end, alone: what generate costs with it and without.
    rows << measure(QStringLiteral("其中：重复编号检查"), [&] {
        const FlexGridModel& model = ui.MSFlexGrid1->gridModel();
        QList<GridNumber> numbers;
        for (int r = 1; r < model.rows(); ++r)
            numbers.append({r, model.textMatrix(r, GridColumn::OwnerNumber), model.textMatrix(r, GridColumn::OwnerId)});
        findDuplicateNumbers(gConn(), QStringLiteral("14"), numbers, GridNumbers::Proposed);
    });
    if (gUntil == QStringLiteral("generate"))
        return rows;

    FlexGrid& grid = *ui.MSFlexGrid1;
    QStringList saves, clears;
    for (int r = 1; r < grid.rows(); ++r) {
        const QString id = grid.textMatrix(r, GridColumn::OwnerId);
        if (!grid.textMatrix(r, GridColumn::OwnerNumber).isEmpty())
            saves << saveOwnerNumberStatement(grid.textMatrix(r, GridColumn::OwnerNumber), id);
        clears << clearOwnerNumberStatement(id);
    }
    rows << measure(QStringLiteral("保存"), [&] { ui.Command3->click(); });
    rows.last().floor = floor.statements(saves);

    reopenFirstBuilding(ui, gConn());
    rows << measure(QStringLiteral("生成业主编号（已编号的管理处，一幢）"), [&] { ui.Command2->click(); });
    ui.Check1->click(); // all on again

    rows << measure(QStringLiteral("查看业主编号"), [&] { ui.Command5->click(); });
    rows.last().floor =
        floor.queryWithCounts(existingGridSql(SqlDialect::SQLite, QStringLiteral("14"), list), countSql);

    rows << measure(QStringLiteral("清除业主编号"), [&] { ui.Command6->click(); });
    rows.last().floor = floor.statements(clears);

    QList<QStringList> cells;
    QList<double> widths;
    for (int c = 0; c < GridColumn::kShownCount; ++c)
        widths << grid.colWidth(c) / 110.0;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList line;
        for (int c = 0; c < GridColumn::kShownCount; ++c)
            line << grid.textMatrix(r, c);
        cells << line;
    }
    rows << measure(QStringLiteral("导出Excel"), [&] { ui.Command4->click(); });
    rows.last().floor = Floor::workbook(dir.filePath(QStringLiteral("floor.xlsx")), cells, widths);

    delete form;
    gConn().close();
    FileDialogSeam::clearScript();
    return rows;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    QApplication::setFont(yaheiFont(9));
    MsgBoxSeam::setScript([](const MsgRecord& r) {
        if (r.icon == MsgIcon::Critical)
            std::fprintf(stderr, "错误：%s\n", qPrintable(r.text));
        return r.buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Yes;
    });
    QList<int> sizes{1000, 10000, 100000};
    const QStringList args = app.arguments();
    if (args.indexOf(QStringLiteral("--until")) > 0)
        gUntil = args.value(args.indexOf(QStringLiteral("--until")) + 1);
    const int server = args.indexOf(QStringLiteral("--sqlserver"));
    if (server > 0) {
        bool ok = false;
        gLatencyMs = args.value(server + 1).toInt(&ok);
        if (!ok)
            gLatencyMs = 10;
        sizes = {2000};
    }
    const int at = args.indexOf(QStringLiteral("--rooms"));
    if (at > 0 && at + 1 < args.size()) {
        sizes.clear();
        for (const QString& n : args[at + 1].split(u','))
            sizes << n.toInt();
    }
    if (args.indexOf(QStringLiteral("--mbit")) > 0)
        gMbit = args.value(args.indexOf(QStringLiteral("--mbit")) + 1).toDouble();
    if (gLatencyMs >= 0) {
        std::printf("往返时间 %d ms，链路 %s\n\n| 室数 | 步骤 | 请求数 | 发送 (KB) | 接收 (KB) | 程序 (s) | CPU (s) | "
                    "最长无响应 (s) | 峰值内存 (MB) |\n|---:|---|---:|---:|---:|---:|---:|---:|---:|\n",
                    gLatencyMs, gMbit > 0 ? qPrintable(QStringLiteral("%1 Mbit/s").arg(gMbit)) : "不限速");
        for (int n : sizes) {
            for (const Row& r : runOnServer(n))
                std::printf("| %d | %s | %d | %.1f | %.1f | %.3f | %.3f | %.3f | %.0f |\n", n, qPrintable(r.step),
                            r.requests, r.bytesUp / 1024.0, r.bytesDown / 1024.0, r.program, r.cpu, r.freeze, r.peak);
            std::fflush(stdout);
        }
        return 0;
    }
    std::printf("| 室数 | 步骤 | 程序 (s) | 下限 (s) | 程序/下限 | CPU (s) | 峰值内存 (MB) | 最长无响应 (s) |\n");
    std::printf("|---:|---|---:|---:|---:|---:|---:|---:|\n");
    for (int n : sizes) {
        for (const Row& r : run(n)) {
            const QString floor = r.floor < 0 ? QStringLiteral("–") : QString::number(r.floor, 'f', 3);
            const QString ratio = r.floor <= 0 ? QStringLiteral("–") : QString::number(r.program / r.floor, 'f', 2);
            std::printf("| %d | %s | %.3f | %s | %s | %.3f | %.0f | %.3f |\n", n, qPrintable(r.step), r.program,
                        qPrintable(floor), qPrintable(ratio), r.cpu, r.peak, r.freeze);
            std::fflush(stdout);
        }
    }
    return 0;
}

#include "workbench/OwnerNumberForm.h"

#include "core/Fonts.h"
#include "core/OffThread.h"
#include "core/Twips.h"
#include "engine/GridBuilders.h"
#include "engine/WorkbenchCommands.h"
#include "startup/Module1.h"
#include "widgets/CommandGuard.h"
#include "widgets/FileDialog.h"
#include "widgets/FlexGrid.h"
#include "widgets/MessageBox.h"
#include "widgets/TwipsGeometry.h"
#include "workbench/ExcelExport.h"
#include "workbench/GridFindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

namespace {
// A duplicate owner number's cell, or one the database cannot store.
const QColor kDuplicateRed(255, 199, 199);
// A row not written as it should have been: its owner gone, several owners under one id, or a
// number another user saved meanwhile.
const QColor kUnwrittenAmber(255, 226, 150);

const char* const kRuleText = "业主编号编码规则：项目编号(2位) + 区域编号(1位字母) + 幢号(3位) + 单元号(1位) + "
                              "室号(4位) + 转卖情况(1位字母)";

const QString kSaving = QStringLiteral("正在保存业主编号，请稍等......");

// Image 1 of the tree's image list: a small building.
QIcon buildingIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(70, 90, 120));
    p.setBrush(QColor(200, 215, 235));
    p.drawRect(3, 2, 10, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 110, 170));
    for (int y = 4; y <= 10; y += 3)
        for (int x = 5; x <= 9; x += 4)
            p.drawRect(x, y, 2, 2);
    p.setBrush(QColor(120, 80, 50));
    p.drawRect(7, 12, 2, 3);
    return QIcon(pm);
}

// The hourglass while a command reads, whatever way the command ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
} // namespace

namespace {
// How long a request may go unanswered before the panel says so (tests shorten it).
int gSilenceNoticeMs = 30000;
} // namespace

void OwnerNumberForm::setSilenceNoticeAfter(int ms)
{
    gSilenceNoticeMs = ms;
}

// The please-wait panel while a command runs, painted before the work starts and hidden however
// the command ends. Its 取消 interrupts a read at once and stops writes after the request in
// flight; a server silent for long is named, and the user decides whether to wait.
class PleaseWait
{
public:
    PleaseWait(OwnerNumberFormUi& ui, const QString& text) : m_ui(ui)
    {
        m_silence.setSingleShot(true);
        m_silence.setInterval(gSilenceNoticeMs);
        QObject::connect(&m_silence, &QTimer::timeout, &m_silence, [this] {
            showLine(QStringLiteral("服务器 %1 秒未响应，可以继续等待或取消").arg(gSilenceNoticeMs / 1000));
        });
        m_ui.cancelButton->setEnabled(true);
        m_clicked = QObject::connect(m_ui.cancelButton, &QPushButton::clicked, m_ui.cancelButton, [this] {
            m_ui.cancelButton->setEnabled(false);
            m_silence.stop();
            showLine(QStringLiteral("正在取消……"));
            m_cancellation.request();
        });
        show(text);
    }
    ~PleaseWait()
    {
        QObject::disconnect(m_clicked);
        hide();
    }
    PleaseWait(const PleaseWait&) = delete;
    PleaseWait& operator=(const PleaseWait&) = delete;

    void show(const QString& text)
    {
        m_text = text;
        m_ui.showPleaseWait(text);
        m_silence.start();
        QCoreApplication::processEvents();
    }
    void hide()
    {
        m_silence.stop();
        m_ui.Picture5->hide();
    }

    // A count that moves, under the panel's text; callable from the command's own thread.
    std::function<void(const QString&)> counter()
    {
        return [this](const QString& count) {
            QMetaObject::invokeMethod(
                m_ui.Label4,
                [this, count] {
                    if (m_cancellation.requested())
                        return;
                    m_silence.start();
                    showLine(count);
                },
                Qt::QueuedConnection);
        };
    }

    // Runs a read off the window's thread; 取消 interrupts the statement in flight, and what was
    // read is thrown away (CommandCancelled).
    void read(const std::function<void()>& work)
    {
        if (m_cancellation.requested())
            throw CommandCancelled();
        Connection& conn = gConn();
        m_cancellation.setInterrupt([&conn] { conn.interrupt(); });
        const auto reset = qScopeGuard([&] {
            m_cancellation.setInterrupt({});
            conn.clearInterrupt();
        });
        runOffThread(work, &m_cancellation);
    }

    // For writes, which stop between requests: whether 取消 was asked; callable from any thread.
    std::function<bool()> stopAsked() const
    {
        return [this] { return m_cancellation.requested(); };
    }

private:
    void showLine(const QString& line)
    {
        if (!m_ui.Picture5->isHidden())
            m_ui.showPleaseWait(m_text + u'\n' + line);
    }

    OwnerNumberFormUi& m_ui;
    QString m_text;
    QTimer m_silence;
    Cancellation m_cancellation;
    QMetaObject::Connection m_clicked;
};

OwnerNumberForm::OwnerNumberForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm业主编号"));
    setWindowTitle(QStringLiteral("业主编号管理"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(yaheiFont(9));
    resize(sizeHint());
    m_ui.setupUi(this);
    connectControls();
    Form_Load();
}

QSize OwnerNumberForm::sizeHint() const
{
    return twipsRect(0, 0, 19110, 11505).size();
}

void OwnerNumberForm::connectControls()
{
    const auto openFind = [this] {
        m_ui.findBar->open();
        m_ui.placeExtras();
    };
    connect(m_ui.findButton, &QToolButton::clicked, this, openFind);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, openFind);
    connect(m_ui.findBar, &GridFindBar::closed, this, [this] { m_ui.placeExtras(); });
    updateClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { updateClock(); });
    clock->start(1000);

    connect(m_ui.Combo1, qOverload<int>(&QComboBox::activated), this, [this] { Combo1_Click(); });
    connect(m_ui.Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(m_ui.Command1, &QPushButton::clicked, this, [this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->close();
        else
            close();
    });
    connect(m_ui.Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(m_ui.Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(m_ui.Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(m_ui.Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(m_ui.Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(m_ui.MSFlexGrid1, &QAbstractItemView::clicked, this, [this] { MSFlexGrid1_Click(); });
    connect(m_ui.MSFlexGrid1, &FlexGrid::selChange, this, [this] { MSFlexGrid1_Click(); });
    connect(m_ui.MSFlexGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showGridMenu(at); });
    m_gridMenu = new QMenu(this);
    m_gridMenu->setObjectName(QStringLiteral("gridMenu"));
    QAction* copyRows = m_gridMenu->addAction(QStringLiteral("复制\tCtrl+C"));
    copyRows->setObjectName(QStringLiteral("copyRows"));
    connect(copyRows, &QAction::triggered, m_ui.MSFlexGrid1, &FlexGrid::copy);
    QAction* copyNumbers = m_gridMenu->addAction(QStringLiteral("复制业主编号"));
    copyNumbers->setObjectName(QStringLiteral("copyOwnerNumbers"));
    connect(copyNumbers, &QAction::triggered, this, [this] { copyOwnerNumbers(); });
    connect(m_ui.openFolderButton, &QToolButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_doneFolder)); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
        if (now && m_ui.barRow->isAncestorOf(now))
            m_ui.barScroll->ensureWidgetVisible(now);
        else if (before && m_ui.barRow->isAncestorOf(before))
            m_ui.barScroll->horizontalScrollBar()->setValue(0); // the row's start in view again
    });
}

void OwnerNumberForm::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale china(QLocale::Chinese, QLocale::China);
    m_ui.Panels[7]->setText(china.toString(now.date(), QLocale::ShortFormat));
    m_ui.Panels[8]->setText(now.time().toString(QStringLiteral("HH:mm")));
}

void OwnerNumberForm::Form_Load()
{
    m_ui.Panels[1]->setText(IdentityField(1));
    m_ui.Panels[3]->setText(IdentityField(3));
    m_ui.Panels[5]->setText(IdentityField(5));
    m_ui.Label2->setText(QString::fromUtf8(kRuleText));
    SetUpOwnerNumberGrid(m_ui.MSFlexGrid1->gridModel(), m_ui.MSFlexGrid1->font());
    // Save and clear wait for a generate or a view that produced rows.
    m_ui.Command3->setEnabled(false);
    m_ui.Command6->setEnabled(false);
    RunCommand([this] { FillOffices(); });
    for (const char* letter : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"})
        m_ui.Combo2->addItem(QString::fromLatin1(letter));
    m_ui.Combo2->setCurrentIndex(0);
}

void OwnerNumberForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Each time the workbench becomes the active child (opened, or another child left for it) it is
    // maximized. A restore by the user leaves it active, so it is no activation and stays normal.
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && !m_activationHooked) {
        m_activationHooked = true;
        connect(frame, &QMdiSubWindow::windowStateChanged, this,
                [frame](Qt::WindowStates before, Qt::WindowStates now) {
                    if (!(before & Qt::WindowActive) && (now & Qt::WindowActive) && !(now & Qt::WindowMaximized))
                        frame->showMaximized();
                });
        if (frame->isActiveWindow() || frame->windowState() & Qt::WindowActive)
            frame->showMaximized();
    }
}

void OwnerNumberForm::closeEvent(QCloseEvent* event)
{
    // A running command keeps the workbench open until it has finished.
    if (CommandLock::busy() || !confirmLeavingUnsaved()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool OwnerNumberForm::hasUnsavedNumbers() const
{
    // Save is enabled by a generate with rows and disabled by a completed save.
    return m_ui.Command3->isEnabled() && m_ui.MSFlexGrid1->rows() > 1;
}

bool OwnerNumberForm::confirmLeavingUnsaved()
{
    return !hasUnsavedNumbers() ||
           MsgBox(QStringLiteral("生成的业主编号尚未保存，确定要关闭吗？"), MsgButtons::YesNoDefaultNo,
                  MsgIcon::Question, QStringLiteral("系统提示")) == MsgAnswer::Yes;
}

void OwnerNumberForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void OwnerNumberForm::Form_Resize()
{
    m_ui.layOut(this);
}

void OwnerNumberForm::FillOffices()
{
    const QStringList items = readOfficeItems(gConn());
    m_ui.Combo1->clear();
    m_ui.Combo1->addItems(items);
    m_ui.Combo1->setCurrentIndex(-1);
}

void OwnerNumberForm::Combo1_Click()
{
    if (m_ui.Combo1->currentText().isEmpty())
        return;
    RunCommand(
        [this] {
            CommandLock lock(m_ui.inputControls());
            // Rows of another office would be saved or exported under this one's name.
            if (m_ui.Combo1->currentText() != m_gridOffice)
                emptyGrid(&lock);
            m_ui.Label3->setText(QStringLiteral("管理处：") + m_ui.Combo1->currentText());
            m_ui.Label3->adjustSize();
            QCoreApplication::processEvents();
            m_ui.TreeView1->clear();
            m_ui.TreeView1->hide();
            WaitCursor hourglass;
            const QString code = officeCodeOf(m_ui.Combo1->currentText());
            QList<BuildingNode> buildings;
            runOffThread([&] { buildings = readBuildings(gConn(), code); });
            const QIcon icon = buildingIcon();
            QList<QTreeWidgetItem*> nodes;
            for (const BuildingNode& building : std::as_const(buildings)) {
                auto* node = new QTreeWidgetItem;
                node->setText(0, building.address);
                node->setData(0, Qt::UserRole, building.key);
                node->setIcon(0, icon);
                node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
                node->setCheckState(0, Qt::Unchecked);
                nodes << node;
            }
            m_ui.TreeView1->addTopLevelItems(nodes);
            m_ui.TreeView1->show();
        },
        [this] { m_ui.TreeView1->show(); });
}

void OwnerNumberForm::Check1_Click()
{
    const Qt::CheckState state = m_ui.Check1->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_ui.TreeView1->topLevelItemCount(); ++i)
        m_ui.TreeView1->topLevelItem(i)->setCheckState(0, state);
}

void OwnerNumberForm::collectSelectedBuildings()
{
    QStringList ticked;
    for (int i = 0; i < m_ui.TreeView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = m_ui.TreeView1->topLevelItem(i);
        if (node->checkState(0) == Qt::Checked)
            ticked << node->data(0, Qt::UserRole).toString();
    }
    m_selectedBuildings = selectedBuildingList(ticked);
}

void OwnerNumberForm::runFill(bool generate)
{
    collectSelectedBuildings();
    if (m_selectedBuildings.isEmpty()) {
        notice(QStringLiteral("请选择楼幢！"));
        return;
    }
    RunCommand(
        [this, generate] {
            CommandLock lock(m_ui.inputControls());
            m_ui.MSFlexGrid1->setRows(1);
            clearNotes();
            {
                PleaseWait panel(m_ui, generate ? QStringLiteral("正在生成业主编号，请稍等......")
                                                : QStringLiteral("正在查询业主编号，请稍等......"));
                // The grid is filled off the window's thread on a copy no view shows, then shown whole.
                FlexGridModel& grid = m_ui.MSFlexGrid1->gridModel();
                FlexGridModel filled;
                filled.copyFrom(grid);
                const QString office = m_ui.Combo1->currentText();
                const QString area = m_ui.Combo2->currentText();
                const QString buildings = m_selectedBuildings;
                const QFont shownFont = font();
                GridProblems problems;
                const auto count = panel.counter();
                const auto rowsRead = [&count](int rows) { count(QStringLiteral("已读取 %1 行").arg(rows)); };
                panel.read([&] {
                    if (generate)
                        FillCandidateGrid(gConn(), filled, office, area, buildings, shownFont, rowsRead);
                    else
                        FillExistingGrid(gConn(), filled, office, buildings, shownFont, rowsRead);
                    problems = findGridProblems(gConn(), filled, officeCodeOf(office),
                                                generate ? GridNumbers::Proposed : GridNumbers::Stored);
                });
                grid.takeFrom(filled);
                m_gridOffice = office;
                markProblems(problems);
            }
            const bool rows = m_ui.MSFlexGrid1->rows() > 1;
            lock.setFocusAfter(m_ui.MSFlexGrid1);
            if (!generate && !rows)
                setDoneNote(QStringLiteral("所选楼幢没有已保存的业主编号"));
            if (generate) {
                lock.setEnabledAfter(m_ui.Command6, false);
                if (!rows)
                    notice(QStringLiteral(
                        "所选楼栋的业主编号已经生产，不可重新编号！\r\n\r\n请去查看已经生成的业主编号！"));
                else
                    lock.setEnabledAfter(m_ui.Command3, true);
            } else {
                lock.setEnabledAfter(m_ui.Command3, false);
                lock.setEnabledAfter(m_ui.Command6, rows);
            }
        },
        [this] {
            // A half-built grid must not be saved or cleared.
            emptyGrid();
        });
}

void OwnerNumberForm::emptyGrid(CommandLock* lock)
{
    m_ui.MSFlexGrid1->setRows(1);
    clearNotes();
    m_gridOffice.clear();
    for (QWidget* command : {static_cast<QWidget*>(m_ui.Command3), static_cast<QWidget*>(m_ui.Command6)}) {
        if (lock)
            lock->setEnabledAfter(command, false);
        else
            command->setEnabled(false);
    }
}

void OwnerNumberForm::Command2_Click()
{
    runFill(true);
}

void OwnerNumberForm::Command5_Click()
{
    runFill(false);
}

void OwnerNumberForm::markProblems(const GridProblems& problems)
{
    m_problems = problems;
    showMarks();
}

void OwnerNumberForm::showMarks()
{
    FlexGridModel& grid = m_ui.MSFlexGrid1->gridModel();
    GridRedrawOff redrawOff(grid);
    grid.clearMarks();
    const auto holdsNumber = [&grid](int r) {
        return r > 0 && r < grid.rows() && !grid.textMatrix(r, GridColumn::OwnerNumber).isEmpty();
    };
    m_duplicates = 0;
    for (auto it = m_problems.duplicates.constBegin(); it != m_problems.duplicates.constEnd(); ++it)
        if (holdsNumber(it.key())) {
            addMark(it.key(), kDuplicateRed, it.value());
            ++m_duplicates;
        }
    m_unsaveable.clear();
    for (auto it = m_problems.unsaveable.constBegin(); it != m_problems.unsaveable.constEnd(); ++it)
        if (holdsNumber(it.key())) {
            m_unsaveable.insert(it.key());
            addMark(it.key(), kDuplicateRed,
                    QStringLiteral("含有数据库无法保存的字符“%1”，保存后会变成别的编号，不会保存").arg(it.value()));
        }
    for (auto it = m_savedByOthers.constBegin(); it != m_savedByOthers.constEnd(); ++it)
        addMark(it.key(), kUnwrittenAmber, QStringLiteral("此业主的编号已由其他用户保存为“%1”").arg(it.value()));
    for (int r : std::as_const(m_outcome.notFound))
        addMark(r, kUnwrittenAmber, QStringLiteral("未找到此业主（已被删除？），没有写入"));
    for (int r : std::as_const(m_outcome.several))
        addMark(r, kUnwrittenAmber, QStringLiteral("此 ZH_ID 对应多位业主，都已写入"));
    showNotes();
}

void OwnerNumberForm::showNotes()
{
    QStringList notes;
    if (m_duplicates > 0)
        notes << QStringLiteral("有 %1 个业主编号重复，已标红").arg(m_duplicates);
    if (!m_unsaveable.isEmpty())
        notes << QStringLiteral("%1 个含有数据库无法保存的字符，已标红").arg(m_unsaveable.size());
    if (!m_savedByOthers.isEmpty())
        notes << QStringLiteral("%1 位业主的编号已由其他用户保存，已标黄").arg(m_savedByOthers.size());
    if (!m_outcome.asExpected())
        notes << writeOutcomeText(m_outcome) + QStringLiteral("，已标黄");
    else if (m_outcome.unsent > 0)
        notes << writeOutcomeText(m_outcome);
    if (!m_doneNote.isEmpty())
        notes << m_doneNote;
    m_ui.duplicateNote->setVisible(!notes.isEmpty());
    m_ui.openFolderButton->setVisible(!m_doneFolder.isEmpty());
    m_ui.setNote(notes.join(QStringLiteral("；")));
}

void OwnerNumberForm::setDoneNote(const QString& text, const QString& folder)
{
    m_doneNote = text;
    m_doneFolder = folder;
    showNotes();
}

void OwnerNumberForm::addMark(int row, const QColor& colour, const QString& tip)
{
    FlexGridModel& grid = m_ui.MSFlexGrid1->gridModel();
    const QString earlier = grid.cellBackColor(row, GridColumn::OwnerNumber).isValid()
                                ? grid.cellToolTip(row, GridColumn::OwnerNumber)
                                : QString();
    grid.setCellMark(row, GridColumn::OwnerNumber, colour,
                     earlier.isEmpty() ? tip : earlier + QStringLiteral("；") + tip);
}

void OwnerNumberForm::clearNotes()
{
    m_problems = {};
    m_savedByOthers.clear();
    m_outcome = {};
    m_duplicates = 0;
    m_unsaveable.clear();
    m_doneNote.clear();
    m_doneFolder.clear();
    m_ui.MSFlexGrid1->gridModel().clearMarks();
    m_ui.duplicateNote->hide();
    m_ui.openFolderButton->hide();
    m_ui.setNote(QString());
}

void OwnerNumberForm::Command3_Click()
{
    if (m_ui.MSFlexGrid1->rows() <= 1)
        return;
    // A number handed out twice would name two owners: asked first, No the default.
    if (m_duplicates > 0 &&
        MsgBox(QStringLiteral("有 %1 个业主编号与其他业主重复（表中已标红）。\r\n\r\n"
                              "可为不同小区选择不同的小区区域后重新生成。\r\n\r\n仍要保存吗？")
                   .arg(m_duplicates),
               MsgButtons::YesNoDefaultNo, MsgIcon::Question, QStringLiteral("系统提示")) != MsgAnswer::Yes)
        return;
    // The database would store another number than the one shown: those rows are never sent.
    if (!m_unsaveable.isEmpty() &&
        MsgBox(QStringLiteral("有 %1 个业主编号含有数据库无法保存的字符（表中已标红），保存后会变成别的编号，"
                              "这些业主编号不会保存。\r\n\r\n仍要保存其他业主编号吗？")
                   .arg(m_unsaveable.size()),
               MsgButtons::YesNoDefaultNo, MsgIcon::Question, QStringLiteral("系统提示")) != MsgAnswer::Yes)
        return;
    if (!confirm(QStringLiteral("您确定要保存业主编号吗？")))
        return;
    RunCommand([this] {
        CommandLock lock(m_ui.inputControls());
        setDoneNote(QString());
        WriteOutcome outcome;
        {
            PleaseWait panel(m_ui, kSaving);
            QSet<int> skipped = m_unsaveable;
            try {
                skipped.unite(rowsSavedByOthers(panel));
            } catch (const RuntimeError& e) {
                throw e.withContext(QStringLiteral("已写入 0 行，保存前读取业主编号时出错。"));
            }
            // Rows already written stay written; after a failure or a cancel save stays enabled to
            // write the rest. A row written over another user's number holds this grid's number now.
            outcome = writeAndMark(
                savePlan(m_ui.MSFlexGrid1->gridModel(), skipped), [this](int r) { m_savedByOthers.remove(r); }, panel);
        }
        if (outcome.asExpected() && outcome.unsent == 0)
            setDoneNote(QStringLiteral("已保存 %1 个业主编号").arg(outcome.written));
        reportOutcome(outcome, QStringLiteral("业主编号保存完毕！"));
        lock.setEnabledAfter(m_ui.Command3, outcome.unsent > 0);
        lock.setFocusAfter(m_ui.MSFlexGrid1);
    });
}

QSet<int> OwnerNumberForm::rowsSavedByOthers(PleaseWait& panel)
{
    const QList<GridNumber> numbers = gridNumbers(m_ui.MSFlexGrid1->gridModel());
    QHash<int, QString> taken;
    panel.read([&] { taken = numbersSavedByOthers(gConn(), numbers); });
    if (taken.isEmpty())
        return {};
    m_savedByOthers = taken;
    showMarks();
    panel.hide();
    const MsgAnswer answer =
        MsgBox(QStringLiteral("有 %1 位业主的编号已由其他用户保存（表中已标黄）。\r\n\r\n"
                              "选“是”跳过这些业主，只保存其他业主的编号；\r\n选“否”用本表的编号覆盖。")
                   .arg(taken.size()),
               MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("系统提示"));
    panel.show(kSaving);
    QSet<int> rows;
    if (answer == MsgAnswer::Yes)
        for (auto it = taken.constBegin(); it != taken.constEnd(); ++it)
            rows.insert(it.key());
    return rows;
}

WriteOutcome OwnerNumberForm::writeAndMark(const WritePlan& plan, const std::function<void(int)>& afterRow,
                                           PleaseWait& panel)
{
    // The statements run off the window's thread; what each written row changes in the grid is
    // done here afterwards, however the run ends.
    WriteOutcome outcome;
    QList<int> written;
    const auto showWritten = [&] {
        GridRedrawOff redrawOff(m_ui.MSFlexGrid1->gridModel());
        if (afterRow)
            for (int r : std::as_const(written))
                afterRow(r);
        markOutcome(outcome);
    };
    try {
        const int total = plan.statements.size();
        const auto count = panel.counter();
        runOffThread([&, stop = panel.stopAsked()] {
            runWritePlan(
                gConn(), plan,
                [&](int r) {
                    written << r;
                    if (written.size() % 200 == 0 || written.size() == total)
                        count(QStringLiteral("已写入 %1 / %2 行").arg(written.size()).arg(total));
                },
                &outcome, stop);
        });
    } catch (const RuntimeError&) {
        showWritten();
        throw;
    }
    showWritten();
    return outcome;
}

void OwnerNumberForm::markOutcome(const WriteOutcome& outcome)
{
    m_outcome = outcome;
    showMarks();
}

void OwnerNumberForm::reportOutcome(const WriteOutcome& outcome, const QString& done)
{
    if (outcome.asExpected() && outcome.unsent == 0) {
        notice(done);
        return;
    }
    QString text = writeOutcomeText(outcome) + QStringLiteral("。");
    if (!outcome.asExpected())
        text += QStringLiteral("\r\n\r\n这些行在表中已标黄，鼠标停留可看到原因。");
    if (outcome.unsent > 0)
        text += QStringLiteral("\r\n\r\n可以用“查看业主编号”核对已写入的行。");
    MsgBox(text, MsgButtons::OK, outcome.asExpected() ? MsgIcon::Information : MsgIcon::Exclamation,
           QStringLiteral("系统提示"));
}

void OwnerNumberForm::Command6_Click()
{
    if (m_ui.MSFlexGrid1->rows() <= 1)
        return;
    const QString question = QStringLiteral("重要说明：\r\n清除业主编号是为了重新对业主进行编号，\r\n"
                                            "非必要情况下不得清除业主编号！\r\n\r\n您确定要清除业主编号吗？");
    if (!confirm(question))
        return;
    RunCommand([this] {
        CommandLock lock(m_ui.inputControls());
        setDoneNote(QString());
        FlexGridModel& grid = m_ui.MSFlexGrid1->gridModel();
        WriteOutcome outcome;
        {
            PleaseWait panel(m_ui, QStringLiteral("正在清除业主编号，请稍等......"));
            outcome = writeAndMark(
                clearPlan(grid), [&grid](int r) { grid.setTextMatrix(r, GridColumn::OwnerNumber, QString()); }, panel);
        }
        if (outcome.asExpected() && outcome.unsent == 0)
            setDoneNote(QStringLiteral("已清除 %1 个业主编号").arg(outcome.written));
        reportOutcome(outcome, QStringLiteral("业主编号清除完毕！"));
        lock.setEnabledAfter(m_ui.Command6, outcome.unsent > 0);
        lock.setFocusAfter(m_ui.MSFlexGrid1);
    });
}

// The file the export writes: asked in the save dialog, which a No to the overwrite question
// opens again where the user was. False when the user cancelled.
bool OwnerNumberForm::chooseExportFile(const QString& officeItem, QString& target)
{
    QString start = QDir(exportStartFolder()).filePath(suggestedExportName(officeItem));
    for (;;) {
        const QString chosen =
            FileDialog::getSaveFileName(this, QStringLiteral("另存为"), start, QStringLiteral("电子表 (*.xls *.xlsx)"));
        if (chosen.isEmpty())
            return false;
        // The one question about overwriting, about the file really written (the dialog asks none).
        target = excelExportFileName(chosen);
        if (!QFileInfo(target).isFile() ||
            confirm(QStringLiteral("文件") + target + QStringLiteral("已存在，是否覆盖？")))
            return true;
        start = chosen;
    }
}

// Asks for the file, writes the grid into it and says so.
void OwnerNumberForm::Command4_Click()
{
    if (m_ui.MSFlexGrid1->rows() <= 1) {
        setDoneNote(QStringLiteral("表格中没有数据，未导出"));
        return;
    }
    const QString officeItem = m_ui.Combo1->currentText();
    CommandLock lock(m_ui.inputControls());
    setDoneNote(QString());
    QString target;
    if (!chooseExportFile(officeItem, target))
        return;

    // The progress bar takes the place of the buttons while the workbook is written.
    const auto showBar = [this] {
        m_ui.ProgressBar1->hide();
        for (QWidget* w : m_ui.buttonBar())
            w->show();
    };
    RunCommand(
        [&] {
            for (QWidget* w : m_ui.buttonBar())
                w->hide();
            m_ui.ProgressBar1->setRange(0, m_ui.MSFlexGrid1->rows());
            m_ui.ProgressBar1->setValue(0);
            m_ui.ProgressBar1->show();
            QCoreApplication::processEvents();
            // The workbook is written off the window's thread; the grid, frozen here, is only read
            // there, and the bar hears of every 256th row.
            FlexGridModel& grid = m_ui.MSFlexGrid1->gridModel();
            GridRedrawOff redrawOff(grid);
            QProgressBar* bar = m_ui.ProgressBar1;
            const QDate today = QDate::currentDate();
            const QList<SheetLegend> legend = exportLegend();
            QList<int> cutRows;
            runOffThread([&] {
                cutRows = WriteOwnerNumberWorkbook(
                    target, grid, officeItem, today,
                    [bar](int r) {
                        if (r % 256 == 1)
                            QMetaObject::invokeMethod(
                                bar, [bar, r] { bar->setValue(r); }, Qt::QueuedConnection);
                    },
                    legend);
            });
            // Every row is written and the file saved: the bar is full while the success message shows.
            m_ui.ProgressBar1->setValue(m_ui.ProgressBar1->maximum());
            rememberExportFolder(target);
            setDoneNote(QStringLiteral("已导出 %1 行：%2").arg(grid.rows() - 1).arg(QDir::toNativeSeparators(target)),
                        QFileInfo(target).absolutePath());
            notice(QStringLiteral("业主编号表导出成功!") + exportCutRowsText(cutRows));
            showBar();
        },
        showBar);
}

// What the workbook's coloured cells mean, for the line under its table.
QList<SheetLegend> OwnerNumberForm::exportLegend() const
{
    QList<SheetLegend> legend;
    if (m_duplicates > 0)
        legend.append({kDuplicateRed, QStringLiteral("浅红色：业主编号重复")});
    if (!m_unsaveable.isEmpty())
        legend.append({kDuplicateRed, QStringLiteral("浅红色：含有数据库无法保存的字符，未保存")});
    if (!m_savedByOthers.isEmpty() || !m_outcome.asExpected())
        legend.append({kUnwrittenAmber, QStringLiteral("浅黄色：保存或清除时未按预期写入，或已由其他用户保存")});
    return legend;
}

void OwnerNumberForm::MSFlexGrid1_Click()
{
    // A click marks the whole visible row; Shift and the keys keep the rows they reached.
    FlexGrid* grid = m_ui.MSFlexGrid1;
    const int rowSel = grid->rowSel();
    grid->setCol(GridColumn::Index);
    grid->setColSel(GridColumn::kShownCount - 1);
    if (rowSel >= 1 && rowSel < grid->rows())
        grid->setRowSel(rowSel);
}

void OwnerNumberForm::showGridMenu(const QPoint& at)
{
    const bool rows = m_ui.MSFlexGrid1->rows() > 1 && m_ui.MSFlexGrid1->row() >= 1;
    for (QAction* action : m_gridMenu->actions())
        action->setEnabled(rows);
    m_gridMenu->popup(m_ui.MSFlexGrid1->viewport()->mapToGlobal(at));
}

// The selected rows' owner numbers, a line each.
void OwnerNumberForm::copyOwnerNumbers()
{
    const FlexGrid* grid = m_ui.MSFlexGrid1;
    if (grid->rows() <= 1 || grid->row() < 1)
        return;
    QString numbers;
    for (int r = std::min(grid->row(), grid->rowSel()); r <= std::max(grid->row(), grid->rowSel()); ++r)
        numbers += grid->textMatrix(r, GridColumn::OwnerNumber) + u'\n';
    QGuiApplication::clipboard()->setText(numbers);
}

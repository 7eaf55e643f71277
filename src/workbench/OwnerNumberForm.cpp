#include "workbench/OwnerNumberForm.h"

#include "app/Module1.h"
#include "core/Fonts.h"
#include "core/Twips.h"
#include "engine/DuplicateNumbers.h"
#include "engine/GridBuilders.h"
#include "engine/OwnerNumberStatements.h"
#include "platform/CommandGuard.h"
#include "platform/FileDialog.h"
#include "platform/FlexGrid.h"
#include "platform/MessageBox.h"
#include "platform/TwipsGeometry.h"
#include "workbench/ExcelExport.h"
#include "workbench/GridFindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

namespace {
const QColor kDarkRed(128, 0, 0);
const QColor kBlue(0, 0, 192);
const QColor kLightBlue(166, 202, 240);
const QColor kLightPink(255, 220, 228);
// A duplicate owner number's cell.
const QColor kDuplicateRed(255, 199, 199);

// The button bar's designed height, in twips.
constexpr double kBarHeight = 900;

const char* const kRuleText = "业主编号编码规则：项目编号(2位) + 区域编号(1位字母) + 幢号(3位) + 单元号(1位) + "
                              "室号(4位) + 转卖情况(1位字母)";

QWidget* picture(QWidget* parent, const char* name, const QColor& background = QColor())
{
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromUtf8(name));
    if (background.isValid()) {
        w->setAutoFillBackground(true);
        QPalette p = w->palette();
        p.setColor(QPalette::Window, background);
        w->setPalette(p);
    }
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QFont& font,
              const QColor& colour = QColor())
{
    auto* l = new QLabel(parent);
    // Office names and the operator come from the database and the argument: text, never markup.
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    l->setObjectName(name);
    l->setFont(font);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (colour.isValid()) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, colour);
        l->setPalette(p);
    }
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

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

} // namespace

OwnerNumberForm::OwnerNumberForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frm业主编号"));
    setWindowTitle(QStringLiteral("业主编号管理"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(yaheiFont(9));
    resize(sizeHint());
    buildControls();
    Form_Load();
}

QSize OwnerNumberForm::sizeHint() const
{
    return twipsRect(0, 0, 19110, 11505).size();
}

void OwnerNumberForm::buildControls()
{
    const QFont normal = yaheiFont(9);

    Picture1 = picture(this, "Picture1", QColor(236, 240, 246));
    Tw::place(Picture1, 0, 0, 19110, 660);
    Label1[0] =
        label(Picture1, QStringLiteral("Label1(0)"), QStringLiteral("业主编号管理"), yaheiFont(12, true), kDarkRed);
    Tw::place(Label1[0], 7515, 150, 1440, 330);
    Label1[0]->setAlignment(Qt::AlignCenter);
    Label1[1] =
        label(Picture1, QStringLiteral("Label1(1)"), QStringLiteral("业主编号管理"), yaheiFont(10.5, true), kDarkRed);
    Tw::place(Label1[1], 195, 135, 1260, 285);

    Picture2 = picture(this, "Picture2");
    Tw::place(Picture2, 0, 660, 4440, 10470);
    Label1[3] = label(Picture2, QStringLiteral("Label1(3)"), QStringLiteral("管理处"), normal);
    Tw::place(Label1[3], 345, 90, 540, 255);
    Combo1 = new QComboBox(Picture2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Tw::place(Combo1, 945, 30, 3375, 375);
    Label1[2] = label(Picture2, QStringLiteral("Label1(2)"), QStringLiteral("地址列表"), normal);
    Tw::place(Label1[2], 135, 510, 720, 255);
    Check1 = new QCheckBox(QStringLiteral("全选"), Picture2);
    Check1->setObjectName(QStringLiteral("Check1"));
    Tw::place(Check1, 3525, 510, 705, 255);
    TreeView1 = new QTreeWidget(Picture2);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setUniformRowHeights(true);
    Tw::place(TreeView1, 45, 810, 4320, 6360);
    Picture6 = picture(Picture2, "Picture6", kLightBlue);
    Tw::place(Picture6, 60, 9495, 4320, 60);

    Picture3 = picture(this, "Picture3");
    Tw::place(Picture3, 4575, 1245, 14160, 6045);
    Label3 = label(Picture3, QStringLiteral("Label3"), QStringLiteral("管理处"), yaheiFont(10.5, true));
    Tw::place(Label3, 285, 165, 630, 285);
    Label3->setMinimumWidth(0);
    MSFlexGrid1 = new FlexGrid(Picture3);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFont(normal);
    Tw::place(MSFlexGrid1, 45, 510, 13710, 2415);
    // Not designed, added: a note on duplicate numbers beside Label3, a find button at the right
    // of the same line, and the find bar under the grid.
    m_duplicateNote = label(Picture3, QStringLiteral("duplicateNote"), QString(), yaheiFont(9), kDarkRed);
    m_duplicateNote->hide();
    m_findButton = new QToolButton(Picture3);
    m_findButton->setObjectName(QStringLiteral("findButton"));
    m_findButton->setText(QStringLiteral("查找"));
    m_findButton->setToolTip(QStringLiteral("在表格中查找（Ctrl+F）"));
    m_findButton->setFocusPolicy(Qt::NoFocus); // Ctrl+F is the keyboard's way
    m_findBar = new GridFindBar(MSFlexGrid1, Picture3);
    connect(m_findButton, &QToolButton::clicked, this, [this] {
        m_findBar->open();
        placeExtras();
    });
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        m_findBar->open();
        placeExtras();
    });
    connect(m_findBar, &GridFindBar::closed, this, &OwnerNumberForm::placeExtras);
    Picture5 = picture(Picture3, "Picture5", kLightPink);
    Picture5->setStyleSheet(QStringLiteral("#Picture5 { border: 1px solid #c08090; }"));
    Tw::place(Picture5, 2325, 3720, 6495, 870);
    Label4 =
        label(Picture5, QStringLiteral("Label4"), QStringLiteral("正在生成业主编号，请稍等......"), yaheiFont(10.5));
    Tw::place(Label4, 1680, 240, 3330, 330);
    Picture5->hide();

    Picture4 = picture(this, "Picture4");
    Tw::place(Picture4, 4755, 8760, 12420, kBarHeight);
    // On a small screen or at a large scale factor the bar cannot show its whole row: the row then
    // scrolls sideways, and a control that takes the focus is scrolled into view.
    m_barScroll = new QScrollArea(Picture4);
    m_barScroll->setObjectName(QStringLiteral("buttonBarScroll"));
    m_barScroll->setFrameShape(QFrame::NoFrame);
    m_barScroll->setFocusPolicy(Qt::NoFocus);
    m_barScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_barScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_barRow = picture(nullptr, "buttonBarRow");
    m_barScroll->setWidget(m_barRow);
    Label1[4] = label(m_barRow, QStringLiteral("Label1(4)"), QStringLiteral("设置小区区域"), normal, kBlue);
    Tw::place(Label1[4], 315, 150, 1080, 255);
    Combo2 = new QComboBox(m_barRow);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Tw::place(Combo2, 1485, 105, 660, 375);
    Command2 = button(m_barRow, "Command2", "生成业主编号");
    Tw::place(Command2, 2460, 105, 1335, 345);
    Command3 = button(m_barRow, "Command3", "保存");
    Tw::place(Command3, 4020, 105, 1305, 345);
    Command5 = button(m_barRow, "Command5", "查看业主编号");
    Tw::place(Command5, 5550, 105, 1335, 345);
    Command4 = button(m_barRow, "Command4", "导出Excel");
    Tw::place(Command4, 7110, 105, 1260, 345);
    Command6 = button(m_barRow, "Command6", "清除业主编号");
    Tw::place(Command6, 8640, 105, 1335, 345);
    Command1 = button(m_barRow, "Command1", "退出");
    Tw::place(Command1, 10605, 105, 1305, 345);
    Label2 = label(m_barRow, QStringLiteral("Label2"), QString(), normal);
    Tw::place(Label2, 315, 570, 11115, 285);
    m_barRow->resize(twipsToPixels(Tw::width(Picture4)), twipsToPixels(kBarHeight));
    // Over the visible part of the bar, not the scrolled row: it stands where the hidden buttons were.
    ProgressBar1 = new QProgressBar(Picture4);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    Tw::place(ProgressBar1, 300, 285, 6255, 285);
    ProgressBar1->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFont(normal);
    const double widths[9] = {720, 1440, 540, 2400, 540, 1600, 10125, 1005, 585};
    for (int i = 0; i < 9; ++i) {
        Panels[i] = new QLabel(StatusBar1);
        Panels[i]->setTextFormat(Qt::PlainText);
        Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        Panels[i]->setFixedWidth(twipsToPixels(widths[i]));
        Panels[i]->setFrameShape(QFrame::Panel);
        Panels[i]->setFrameShadow(QFrame::Sunken);
        Panels[i]->setContentsMargins(3, 0, 3, 0);
        StatusBar1->addWidget(Panels[i]);
    }
    Panels[0]->setText(QStringLiteral("操作员"));
    Panels[2]->setText(QStringLiteral("部门"));
    Panels[4]->setText(QStringLiteral("岗位"));
    Panels[6]->setText(QStringLiteral("澄岭物业服务有限公司"));
    // Date and time panels need more room than designed with this platform's wider digits.
    Panels[7]->setFixedWidth(twipsToPixels(1245));
    Panels[8]->setFixedWidth(twipsToPixels(885));
    Tw::place(StatusBar1, 0, 11130, 19110, 375);
    updateClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { updateClock(); });
    clock->start(1000);

    connect(Combo1, qOverload<int>(&QComboBox::activated), this, [this] { Combo1_Click(); });
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->close();
        else
            close();
    });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(MSFlexGrid1, &QAbstractItemView::clicked, this, [this] { MSFlexGrid1_Click(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_barRow->isAncestorOf(now))
            m_barScroll->ensureWidgetVisible(now);
    });
}

void OwnerNumberForm::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale china(QLocale::Chinese, QLocale::China);
    Panels[7]->setText(china.toString(now.date(), QLocale::ShortFormat));
    Panels[8]->setText(now.time().toString(QStringLiteral("HH:mm")));
}

void OwnerNumberForm::Form_Load()
{
    Panels[1]->setText(IdentityField(1));
    Panels[3]->setText(IdentityField(3));
    Panels[5]->setText(IdentityField(5));
    Label2->setText(QString::fromUtf8(kRuleText));
    SetUpOwnerNumberGrid(MSFlexGrid1->gridModel(), MSFlexGrid1->font());
    // Save and clear wait for a generate or a view that produced rows.
    Command3->setEnabled(false);
    Command6->setEnabled(false);
    RunCommand([this] { FillOffices(); });
    for (const char* letter : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K"})
        Combo2->addItem(QString::fromLatin1(letter));
    Combo2->setCurrentIndex(0);
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
    if (CommandLock::busy()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void OwnerNumberForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void OwnerNumberForm::Form_Resize()
{
    const double scaleW = Tw::scaleWidth(this);
    const double scaleH = Tw::scaleHeight(this);
    // A bar too narrow for its row is taller by the row's scroll bar; the work area above gives way.
    const double barScrollBar = pixelsToTwips(m_barScroll->horizontalScrollBar()->sizeHint().height());
    const bool barScrolls = scaleW - Tw::width(Picture2) < buttonRowMinimumWidth();
    Tw::setHeight(Picture4, kBarHeight + (barScrolls ? barScrollBar : 0));
    // Docked controls: the banner along the top, the status bar along the bottom, the left pane between.
    Tw::setWidth(Picture1, scaleW);
    Tw::setTop(StatusBar1, scaleH - Tw::height(StatusBar1));
    Tw::setWidth(StatusBar1, scaleW);
    Tw::setTop(Picture2, Tw::height(Picture1));
    Tw::setHeight(Picture2, scaleH - Tw::height(Picture1) - Tw::height(StatusBar1));

    // Each statement on its own: one that would give a negative size is skipped.
    Tw::setTop(Picture3, Tw::height(Picture1));
    Tw::setLeft(Picture3, Tw::width(Picture2));
    Tw::setHeight(Picture3, scaleH - Tw::top(Picture3) - Tw::height(Picture4) - Tw::height(StatusBar1));
    Tw::setWidth(Picture3, scaleW - Tw::width(Picture2));
    Tw::setHeight(TreeView1,
                  scaleH - Tw::top(TreeView1) - Tw::height(Picture1) - Tw::height(Picture6) - Tw::height(StatusBar1));
    Tw::setTop(Picture6, Tw::top(TreeView1) + Tw::height(TreeView1));
    Tw::setLeft(Label1[0], (Tw::width(Picture3) - Tw::width(Label1[0])) / 2 + Tw::left(Picture3));
    Tw::setLeft(Picture4, Tw::left(Picture3));
    Tw::setWidth(Picture4, Tw::width(Picture3));
    Tw::setTop(Picture4, Tw::height(Picture3) + Tw::height(Picture1));
    layOutButtonRow();
    Tw::setLeft(ProgressBar1, 30);
    Tw::setWidth(ProgressBar1, Tw::width(Picture4) - 90);
    Tw::setWidth(MSFlexGrid1, Tw::width(Picture3) - Tw::left(MSFlexGrid1) - 60);
    Tw::setHeight(MSFlexGrid1, Tw::height(Picture3) - Tw::top(MSFlexGrid1) - 60);
    placeExtras();
}

// The added controls keep clear of the designed ones: the note after Label3's text, the find
// button at the right end of that line, the find bar taking its height from the grid's bottom.
void OwnerNumberForm::placeExtras()
{
    m_duplicateNote->adjustSize();
    m_duplicateNote->move(Label3->x() + Label3->width() + 24,
                          Label3->y() + (Label3->height() - m_duplicateNote->height()) / 2);
    m_findButton->adjustSize();
    m_findButton->move(MSFlexGrid1->x() + MSFlexGrid1->width() - m_findButton->width(),
                       Label3->y() + (Label3->height() - m_findButton->height()) / 2);
    const int gridBottom = Picture3->height() - twipsToPixels(60);
    if (m_findBar->isVisible()) {
        const int barHeight = m_findBar->sizeHint().height();
        MSFlexGrid1->resize(MSFlexGrid1->width(), std::max(0, gridBottom - MSFlexGrid1->y() - barHeight));
        m_findBar->setGeometry(MSFlexGrid1->x(), MSFlexGrid1->y() + MSFlexGrid1->height(), MSFlexGrid1->width(),
                               barHeight);
    } else {
        MSFlexGrid1->resize(MSFlexGrid1->width(), std::max(0, gridBottom - MSFlexGrid1->y()));
    }
}

int OwnerNumberForm::markDuplicates(bool generate)
{
    FlexGridModel& grid = MSFlexGrid1->gridModel();
    QList<GridNumber> numbers;
    for (int r = 1; r < grid.rows(); ++r)
        numbers.append({r, grid.textMatrix(r, GridColumn::OwnerNumber), grid.textMatrix(r, GridColumn::OwnerId)});
    const QHash<int, QString> marks = findDuplicateNumbers(gConn(), officeCodeOf(Combo1->currentText()), numbers,
                                                           generate ? GridNumbers::Proposed : GridNumbers::Stored);
    {
        GridRedrawOff redrawOff(grid);
        for (auto it = marks.constBegin(); it != marks.constEnd(); ++it)
            grid.setCellMark(it.key(), GridColumn::OwnerNumber, kDuplicateRed, it.value());
    }
    m_duplicateNote->setText(QStringLiteral("有 %1 个业主编号重复，已标红").arg(marks.size()));
    m_duplicateNote->setVisible(!marks.isEmpty());
    placeExtras();
    return marks.size();
}

// The exit button never comes left of the last command button's right edge plus the margin the
// exit rule keeps (Command2's left).
double OwnerNumberForm::exitButtonFloor() const
{
    double lastRight = 0;
    for (const QWidget* b : {Command2, Command3, Command4, Command5, Command6})
        lastRight = std::max(lastRight, Tw::left(b) + Tw::width(b));
    return lastRight + Tw::left(Command2);
}

// The narrowest row that shows every control of the bar whole: it ends with the bar's own edge
// margin (its labels' left) after the exit button at its floor, or after the rule text.
double OwnerNumberForm::buttonRowMinimumWidth() const
{
    const double exitRight = exitButtonFloor() + Tw::width(Command1);
    const double ruleRight = Tw::left(Label2) + pixelsToTwips(Label2->sizeHint().width());
    return std::max(exitRight, ruleRight) + Tw::left(Label2);
}

// The exit button keeps the same margin on the right as Command2 has on the left wherever that
// leaves room; otherwise it stops at its floor and the row scrolls.
void OwnerNumberForm::layOutButtonRow()
{
    const double visible = Tw::width(Picture4);
    const double minimum = buttonRowMinimumWidth();
    const double row = std::max(visible, minimum);
    m_barScroll->setGeometry(Picture4->rect());
    m_barScroll->setHorizontalScrollBarPolicy(visible < minimum ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_barRow->resize(twipsToPixels(row), twipsToPixels(kBarHeight));
    Tw::setLeft(Command1, std::max(row - Tw::width(Command1) - Tw::left(Command2), exitButtonFloor()));
}

QList<QWidget*> OwnerNumberForm::inputControls() const
{
    return {Combo1, Combo2, Check1, TreeView1, MSFlexGrid1, Command1, Command2, Command3, Command4, Command5, Command6};
}

void OwnerNumberForm::FillOffices()
{
    Recordset rs = gConn().openRecordset(officeListSql());
    Combo1->clear();
    for (; !rs.eof(); rs.moveNext())
        Combo1->addItem(rs.field(QStringLiteral("GYD_DH")).toString() + u' ' +
                        rs.field(QStringLiteral("GYD_NAME")).toString());
    Combo1->setCurrentIndex(-1);
}

void OwnerNumberForm::Combo1_Click()
{
    if (Combo1->currentText().isEmpty())
        return;
    RunCommand(
        [this] {
            CommandLock lock(inputControls());
            Label3->setText(QStringLiteral("管理处：") + Combo1->currentText());
            Label3->adjustSize();
            QCoreApplication::processEvents();
            const QString code = officeCodeOf(Combo1->currentText());
            TreeView1->clear();
            TreeView1->hide();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            Recordset rs = gConn().openRecordset(buildingTreeSql(gConn().dialect(), code));
            const QIcon icon = buildingIcon();
            QList<QTreeWidgetItem*> nodes;
            for (; !rs.eof(); rs.moveNext()) {
                auto* node = new QTreeWidgetItem;
                node->setText(0, rs.field(QStringLiteral("地址")).toString());
                node->setData(0, Qt::UserRole, QStringLiteral("L") + rs.field(QStringLiteral("L_ID")).toString());
                node->setIcon(0, icon);
                node->setFlags(node->flags() | Qt::ItemIsUserCheckable);
                node->setCheckState(0, Qt::Unchecked);
                nodes << node;
            }
            TreeView1->addTopLevelItems(nodes);
            TreeView1->show();
            QApplication::restoreOverrideCursor();
        },
        [this] { TreeView1->show(); });
}

void OwnerNumberForm::Check1_Click()
{
    const Qt::CheckState state = Check1->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i)
        TreeView1->topLevelItem(i)->setCheckState(0, state);
}

void OwnerNumberForm::collectSelectedBuildings()
{
    m_selectedBuildings.clear();
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = TreeView1->topLevelItem(i);
        const QString key = node->data(0, Qt::UserRole).toString();
        const int l = key.indexOf(u'L');
        if (node->checkState(0) != Qt::Checked || l < 0)
            continue;
        if (!m_selectedBuildings.isEmpty())
            m_selectedBuildings += u',';
        m_selectedBuildings += key.mid(l + 1);
    }
}

void OwnerNumberForm::showPleaseWait(const QString& text)
{
    Tw::setTop(Picture5, (Tw::height(Picture3) - Tw::height(Picture5)) / 2);
    Tw::setLeft(Picture5, (Tw::width(Picture3) - Tw::width(Picture5)) / 2);
    Label4->setText(text);
    Label4->adjustSize();
    Label4->move((Picture5->width() - Label4->width()) / 2, (Picture5->height() - Label4->height()) / 2);
    Picture5->show();
    Picture5->raise();
    QCoreApplication::processEvents();
}

void OwnerNumberForm::hidePleaseWait()
{
    Picture5->hide();
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
            CommandLock lock(inputControls());
            MSFlexGrid1->setRows(1);
            m_duplicates = 0;
            m_duplicateNote->hide();
            showPleaseWait(generate ? QStringLiteral("正在生成业主编号，请稍等......")
                                    : QStringLiteral("正在查询业主编号，请稍等......"));
            if (generate)
                FillCandidateGrid(gConn(), MSFlexGrid1->gridModel(), Combo1->currentText(), Combo2->currentText(),
                                  m_selectedBuildings, font());
            else
                FillExistingGrid(gConn(), MSFlexGrid1->gridModel(), Combo1->currentText(), m_selectedBuildings, font());
            m_duplicates = markDuplicates(generate);
            hidePleaseWait();
            const bool rows = MSFlexGrid1->rows() > 1;
            if (generate) {
                lock.setEnabledAfter(Command6, false);
                if (!rows)
                    notice(QStringLiteral(
                        "所选楼栋的业主编号已经生产，不可重新编号！\r\n\r\n请去查看已经生成的业主编号！"));
                else
                    lock.setEnabledAfter(Command3, true);
            } else {
                lock.setEnabledAfter(Command3, false);
                lock.setEnabledAfter(Command6, rows);
            }
        },
        [this] {
            // A half-built grid must not be saved or cleared.
            hidePleaseWait();
            MSFlexGrid1->setRedraw(true);
            MSFlexGrid1->setRows(1);
            m_duplicates = 0;
            m_duplicateNote->hide();
            Command3->setEnabled(false);
            Command6->setEnabled(false);
        });
}

void OwnerNumberForm::Command2_Click()
{
    runFill(true);
}

void OwnerNumberForm::Command5_Click()
{
    runFill(false);
}

void OwnerNumberForm::Command3_Click()
{
    if (MSFlexGrid1->rows() <= 1)
        return;
    // A number handed out twice would name two owners: asked first, No the default.
    if (m_duplicates > 0 &&
        MsgBox(QStringLiteral("有 %1 个业主编号与其他业主重复（表中已标红）。\r\n\r\n"
                              "可为不同小区选择不同的小区区域后重新生成。\r\n\r\n仍要保存吗？")
                   .arg(m_duplicates),
               MsgButtons::YesNoDefaultNo, MsgIcon::Question, QStringLiteral("系统提示")) != MsgAnswer::Yes)
        return;
    if (!confirm(QStringLiteral("您确定要保存业主编号吗？")))
        return;
    RunCommand(
        [this] {
            CommandLock lock(inputControls());
            showPleaseWait(QStringLiteral("正在保存业主编号，请稍等......"));
            MSFlexGrid1->setRedraw(false);
            // Rooms without a building number have no number and are skipped.
            writeRows([this](int r, const QString& id) {
                const QString number = MSFlexGrid1->textMatrix(r, GridColumn::OwnerNumber);
                return number.isEmpty() ? QString() : saveOwnerNumberStatement(number, id);
            });
            MSFlexGrid1->setRedraw(true);
            hidePleaseWait();
            notice(QStringLiteral("业主编号保存完毕！"));
            lock.setEnabledAfter(Command3, false);
        },
        [this] {
            // Rows already written stay written; save stays enabled so the user can try again.
            MSFlexGrid1->setRedraw(true);
            hidePleaseWait();
        });
}

void OwnerNumberForm::writeRows(const std::function<QString(int, const QString&)>& statementFor,
                                const std::function<void(int)>& afterRow)
{
    QStringList statements;
    QList<int> gridRows;
    for (int r = 1; r < MSFlexGrid1->rows(); ++r) {
        const QString sql = statementFor(r, MSFlexGrid1->textMatrix(r, GridColumn::OwnerId));
        if (sql.isEmpty())
            continue;
        statements << sql;
        gridRows << r;
    }
    int written = 0;
    try {
        gConn().executeInOrder(statements, [&](int i) {
            if (afterRow)
                afterRow(gridRows[i]);
            ++written;
        });
    } catch (const WriteFailure& e) {
        // Nothing is rolled back: the user is told how far the rows got.
        QString context = QStringLiteral("已写入 %1 行，第 %2 行出错。").arg(written).arg(gridRows[e.statement()]);
        if (e.unconfirmedThrough() >= e.statement()) {
            const int first = gridRows[e.statement()], last = gridRows[e.unconfirmedThrough()];
            context += QStringLiteral("\r\n与数据库的连接已中断：第 ") +
                       (first == last ? QString::number(first) : QStringLiteral("%1 至 %2").arg(first).arg(last)) +
                       QStringLiteral(" 行可能已写入，也可能没有，请重新连接后用“查看业主编号”核对。");
        }
        throw e.withContext(context);
    }
}

void OwnerNumberForm::Command6_Click()
{
    if (MSFlexGrid1->rows() <= 1)
        return;
    const QString question = QStringLiteral("重要说明：\r\n清除业主编号是为了重新对业主进行编号，\r\n"
                                            "非必要情况下不得清除业主编号！\r\n\r\n您确定要清除业主编号吗？");
    if (!confirm(question))
        return;
    RunCommand(
        [this] {
            CommandLock lock(inputControls());
            MSFlexGrid1->setRedraw(false);
            writeRows([](int, const QString& id) { return clearOwnerNumberStatement(id); },
                      [this](int r) { MSFlexGrid1->setTextMatrix(r, GridColumn::OwnerNumber, QString()); });
            MSFlexGrid1->setRedraw(true);
            notice(QStringLiteral("业主编号清除完毕！"));
            lock.setEnabledAfter(Command6, false);
        },
        [this] { MSFlexGrid1->setRedraw(true); });
}

// Asks for the file, writes the grid into it and says so.
void OwnerNumberForm::Command4_Click()
{
    if (MSFlexGrid1->rows() <= 1)
        return;
    const QString officeItem = Combo1->currentText();
    CommandLock lock(inputControls());

    const QString chosen = FileDialog::getSaveFileName(this, QStringLiteral("另存为"), suggestedExportName(officeItem),
                                                       QStringLiteral("电子表 (*.xls *.xlsx)"));
    if (chosen.isEmpty())
        return;
    // The one question about overwriting, about the file really written (the dialog asks none).
    const QString target = excelExportFileName(chosen);
    if (QFileInfo(target).isFile() && !confirm(QStringLiteral("文件") + target + QStringLiteral("已存在，是否覆盖？")))
        return;

    // The progress bar takes the place of the buttons while the workbook is written.
    const QList<QWidget*> bar = {Command1, Command2, Command3, Command4, Command5, Command6, Label1[4], Combo2};
    const auto showBar = [this, &bar] {
        ProgressBar1->hide();
        for (QWidget* w : bar)
            w->show();
    };
    RunCommand(
        [&] {
            for (QWidget* w : bar)
                w->hide();
            ProgressBar1->setRange(0, MSFlexGrid1->rows());
            ProgressBar1->setValue(0);
            ProgressBar1->show();
            QCoreApplication::processEvents();
            const QList<int> cutRows =
                WriteOwnerNumberWorkbook(target, MSFlexGrid1->gridModel(), officeItem, QDate::currentDate(),
                                         [this](int r) { ProgressBar1->setValue(r); });
            // Every row is written and the file saved: the bar is full while the success message shows.
            ProgressBar1->setValue(ProgressBar1->maximum());
            notice(QStringLiteral("业主编号表导出成功!") + exportDoneDetails(target, cutRows));
            showBar();
        },
        [&] {
            MSFlexGrid1->setRedraw(true);
            showBar();
        });
}

void OwnerNumberForm::MSFlexGrid1_Click()
{
    // A click marks the whole visible row.
    MSFlexGrid1->setCol(GridColumn::Index);
    MSFlexGrid1->setColSel(GridColumn::kShownCount - 1);
}

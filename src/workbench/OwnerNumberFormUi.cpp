#include "workbench/OwnerNumberFormUi.h"

#include "core/Fonts.h"
#include "core/Twips.h"
#include "widgets/FlexGrid.h"
#include "widgets/TwipsGeometry.h"
#include "workbench/GridFindBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

namespace {
const QColor kDarkRed(128, 0, 0);
const QColor kBlue(0, 0, 192);
const QColor kLightBlue(166, 202, 240);
const QColor kLightPink(255, 220, 228);

// The button bar's designed height, in twips.
constexpr double kBarHeight = 900;

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

} // namespace

void OwnerNumberFormUi::setupUi(QWidget* form)
{
    setupBanner(form);
    setupOfficePane(form);
    setupGridPane(form);
    setupButtonBar(form);
    setupStatusBar(form);
}

// The banner strip along the top.
void OwnerNumberFormUi::setupBanner(QWidget* form)
{
    Picture1 = picture(form, "Picture1", QColor(236, 240, 246));
    Tw::place(Picture1, 0, 0, 19110, 660);
    Label1[0] =
        label(Picture1, QStringLiteral("Label1(0)"), QStringLiteral("业主编号管理"), yaheiFont(12, true), kDarkRed);
    Tw::place(Label1[0], 7515, 150, 1440, 330);
    Label1[0]->setAlignment(Qt::AlignCenter);
    Label1[1] =
        label(Picture1, QStringLiteral("Label1(1)"), QStringLiteral("业主编号管理"), yaheiFont(10.5, true), kDarkRed);
    Tw::place(Label1[1], 195, 135, 1260, 285);
}

// The left pane: the office, the buildings.
void OwnerNumberFormUi::setupOfficePane(QWidget* form)
{
    const QFont normal = yaheiFont(9);
    Picture2 = picture(form, "Picture2");
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
}

// The grid's pane with the please-wait panel and the added note line and find bar.
void OwnerNumberFormUi::setupGridPane(QWidget* form)
{
    const QFont normal = yaheiFont(9);
    Picture3 = picture(form, "Picture3");
    Tw::place(Picture3, 4575, 1245, 14160, 6045);
    Label3 = label(Picture3, QStringLiteral("Label3"), QStringLiteral("管理处"), yaheiFont(10.5, true));
    Tw::place(Label3, 285, 165, 630, 285);
    Label3->setMinimumWidth(0);
    MSFlexGrid1 = new FlexGrid(Picture3);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFont(normal);
    MSFlexGrid1->setSelectionByRow(true);
    MSFlexGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    Tw::place(MSFlexGrid1, 45, 510, 13710, 2415);
    // Not designed, added: a note on duplicate numbers beside Label3, a find button at the right
    // of the same line, and the find bar under the grid.
    duplicateNote = label(Picture3, QStringLiteral("duplicateNote"), QString(), yaheiFont(9), kDarkRed);
    duplicateNote->hide();
    openFolderButton = new QToolButton(Picture3);
    openFolderButton->setObjectName(QStringLiteral("openFolderButton"));
    openFolderButton->setText(QStringLiteral("打开文件夹"));
    openFolderButton->hide();
    findButton = new QToolButton(Picture3);
    findButton->setObjectName(QStringLiteral("findButton"));
    findButton->setText(QStringLiteral("查找"));
    findButton->setToolTip(QStringLiteral("在表格中查找（Ctrl+F）"));
    findButton->setFocusPolicy(Qt::NoFocus); // Ctrl+F is the keyboard's way
    findBar = new GridFindBar(MSFlexGrid1, Picture3);
    Picture5 = picture(Picture3, "Picture5", kLightPink);
    // A style sheet replaces the palette's fill: the panel's colour goes into it too, or it is
    // drawn see-through over the grid.
    Picture5->setAttribute(Qt::WA_StyledBackground);
    Picture5->setStyleSheet(
        QStringLiteral("#Picture5 { background-color: %1; border: 1px solid #c08090; }").arg(kLightPink.name()));
    Tw::place(Picture5, 2325, 3720, 6495, 870);
    Label4 =
        label(Picture5, QStringLiteral("Label4"), QStringLiteral("正在生成业主编号，请稍等......"), yaheiFont(10.5));
    Label4->setAlignment(Qt::AlignCenter); // a count may stand on a second line
    Tw::place(Label4, 1680, 240, 3330, 330);
    // Not designed, added: a command that runs long can be stopped.
    cancelButton = new QPushButton(QStringLiteral("取消"), Picture5);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setFont(yaheiFont(9));
    // Every other control is locked while the panel shows: Esc is the keyboard's way.
    cancelButton->setFocusPolicy(Qt::NoFocus);
    cancelButton->setShortcut(Qt::Key_Escape);
    Picture5->hide();
}

// The button bar, its row scrolled sideways when the bar is too narrow for it.
void OwnerNumberFormUi::setupButtonBar(QWidget* form)
{
    const QFont normal = yaheiFont(9);
    Picture4 = picture(form, "Picture4");
    Tw::place(Picture4, 4755, 8760, 12420, kBarHeight);
    // On a small screen or at a large scale factor the bar cannot show its whole row: the row then
    // scrolls sideways, and a control that takes the focus is scrolled into view.
    barScroll = new QScrollArea(Picture4);
    barScroll->setObjectName(QStringLiteral("buttonBarScroll"));
    barScroll->setFrameShape(QFrame::NoFrame);
    barScroll->setFocusPolicy(Qt::NoFocus);
    barScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    barScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    barRow = picture(nullptr, "buttonBarRow");
    barScroll->setWidget(barRow);
    Label1[4] = label(barRow, QStringLiteral("Label1(4)"), QStringLiteral("设置小区区域"), normal, kBlue);
    Tw::place(Label1[4], 315, 150, 1080, 255);
    Combo2 = new QComboBox(barRow);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Tw::place(Combo2, 1485, 105, 660, 375);
    Command2 = button(barRow, "Command2", "生成业主编号");
    Tw::place(Command2, 2460, 105, 1335, 345);
    Command3 = button(barRow, "Command3", "保存");
    Tw::place(Command3, 4020, 105, 1305, 345);
    Command5 = button(barRow, "Command5", "查看业主编号");
    Tw::place(Command5, 5550, 105, 1335, 345);
    Command4 = button(barRow, "Command4", "导出Excel");
    Tw::place(Command4, 7110, 105, 1260, 345);
    Command6 = button(barRow, "Command6", "清除业主编号");
    Tw::place(Command6, 8640, 105, 1335, 345);
    Command1 = button(barRow, "Command1", "退出");
    Tw::place(Command1, 10605, 105, 1305, 345);
    Label2 = label(barRow, QStringLiteral("Label2"), QString(), normal);
    Tw::place(Label2, 315, 570, 11115, 285);
    barRow->resize(twipsToPixels(Tw::width(Picture4)), twipsToPixels(kBarHeight));
    // Over the visible part of the bar, not the scrolled row: it stands where the hidden buttons were.
    ProgressBar1 = new QProgressBar(Picture4);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    Tw::place(ProgressBar1, 300, 285, 6255, 285);
    ProgressBar1->hide();
}

// The status bar's nine panels.
void OwnerNumberFormUi::setupStatusBar(QWidget* form)
{
    const QFont normal = yaheiFont(9);
    StatusBar1 = new QStatusBar(form);
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
    // The date and the time fill their designed panels: no margin beside the text.
    for (QLabel* panel : {Panels[7], Panels[8]}) {
        panel->setContentsMargins(0, 0, 0, 0);
        panel->setAlignment(Qt::AlignCenter);
    }
    Tw::place(StatusBar1, 0, 11130, 19110, 375);
}

namespace {
template <typename T> T* named(QWidget& form, const QString& name)
{
    T* control = form.findChild<T*>(name);
    if (!control)
        qFatal("the workbench has no control %s", qPrintable(name));
    return control;
}
} // namespace

OwnerNumberFormUi OwnerNumberFormUi::find(QWidget& form)
{
    OwnerNumberFormUi ui;
    ui.Picture1 = named<QWidget>(form, QStringLiteral("Picture1"));
    ui.Picture2 = named<QWidget>(form, QStringLiteral("Picture2"));
    ui.Picture3 = named<QWidget>(form, QStringLiteral("Picture3"));
    ui.Picture4 = named<QWidget>(form, QStringLiteral("Picture4"));
    ui.Picture5 = named<QWidget>(form, QStringLiteral("Picture5"));
    ui.Picture6 = named<QWidget>(form, QStringLiteral("Picture6"));
    for (int i = 0; i < 5; ++i)
        ui.Label1[i] = named<QLabel>(form, QStringLiteral("Label1(%1)").arg(i));
    ui.Label2 = named<QLabel>(form, QStringLiteral("Label2"));
    ui.Label3 = named<QLabel>(form, QStringLiteral("Label3"));
    ui.Label4 = named<QLabel>(form, QStringLiteral("Label4"));
    ui.Combo1 = named<QComboBox>(form, QStringLiteral("Combo1"));
    ui.Combo2 = named<QComboBox>(form, QStringLiteral("Combo2"));
    ui.Check1 = named<QCheckBox>(form, QStringLiteral("Check1"));
    ui.TreeView1 = named<QTreeWidget>(form, QStringLiteral("TreeView1"));
    ui.MSFlexGrid1 = named<FlexGrid>(form, QStringLiteral("MSFlexGrid1"));
    QPushButton** commands[6] = {&ui.Command1, &ui.Command2, &ui.Command3, &ui.Command4, &ui.Command5, &ui.Command6};
    for (int i = 0; i < 6; ++i)
        *commands[i] = named<QPushButton>(form, QStringLiteral("Command%1").arg(i + 1));
    ui.ProgressBar1 = named<QProgressBar>(form, QStringLiteral("ProgressBar1"));
    ui.StatusBar1 = named<QStatusBar>(form, QStringLiteral("StatusBar1"));
    for (int i = 0; i < 9; ++i)
        ui.Panels[i] = named<QLabel>(form, QStringLiteral("Panel%1").arg(i + 1));
    ui.duplicateNote = named<QLabel>(form, QStringLiteral("duplicateNote"));
    ui.openFolderButton = named<QToolButton>(form, QStringLiteral("openFolderButton"));
    ui.findButton = named<QToolButton>(form, QStringLiteral("findButton"));
    ui.findBar = form.findChild<GridFindBar*>();
    ui.barScroll = named<QScrollArea>(form, QStringLiteral("buttonBarScroll"));
    ui.barRow = named<QWidget>(form, QStringLiteral("buttonBarRow"));
    ui.cancelButton = named<QPushButton>(form, QStringLiteral("cancelButton"));
    return ui;
}

void OwnerNumberFormUi::showPleaseWait(const QString& text)
{
    Label4->setText(text);
    Label4->adjustSize();
    cancelButton->adjustSize();
    const QSize designed = twipsRect(0, 0, 6495, 870).size();
    const int margin = cancelButton->height() / 3;
    const int width = std::max(designed.width(), Label4->width() + cancelButton->width() + 4 * margin);
    const int height = std::max(designed.height(), std::max(Label4->height(), cancelButton->height()) + 2 * margin);
    Picture5->setGeometry((Picture3->width() - width) / 2, (Picture3->height() - height) / 2, width, height);
    // The text centred in what the button leaves of the panel.
    const int textArea = width - cancelButton->width() - 2 * margin;
    Label4->move((textArea - Label4->width()) / 2, (height - Label4->height()) / 2);
    cancelButton->move(width - margin - cancelButton->width(), (height - cancelButton->height()) / 2);
    Picture5->show();
    Picture5->raise();
}

QList<QWidget*> OwnerNumberFormUi::inputControls() const
{
    return {Combo1, Combo2, Check1, TreeView1, MSFlexGrid1, Command1, Command2, Command3, Command4, Command5, Command6};
}

QList<QWidget*> OwnerNumberFormUi::buttonBar() const
{
    return {Command1, Command2, Command3, Command4, Command5, Command6, Label1[4], Combo2};
}

void OwnerNumberFormUi::layOut(QWidget* form)
{
    const double scaleW = Tw::scaleWidth(form);
    const double scaleH = Tw::scaleHeight(form);
    // A bar too narrow for its row is taller by the row's scroll bar; the work area above gives way.
    const double barScrollBar = pixelsToTwips(barScroll->horizontalScrollBar()->sizeHint().height());
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
void OwnerNumberFormUi::setNote(const QString& text)
{
    m_note = text;
    placeExtras();
}

void OwnerNumberFormUi::placeExtras()
{
    const auto centredOnLabel3 = [this](QWidget* w) { return Label3->y() + (Label3->height() - w->height()) / 2; };
    findButton->adjustSize();
    findButton->move(MSFlexGrid1->x() + MSFlexGrid1->width() - findButton->width(), centredOnLabel3(findButton));
    // The note between Label3 and the find button, the folder button right after it.
    constexpr int kGap = 12;
    const int noteLeft = Label3->x() + Label3->width() + 24;
    openFolderButton->adjustSize();
    const int folderRoom = openFolderButton->isHidden() ? 0 : openFolderButton->width() + kGap;
    const int room = std::max(0, findButton->x() - kGap - folderRoom - noteLeft);
    const QString shown = duplicateNote->fontMetrics().elidedText(m_note, Qt::ElideMiddle, room);
    duplicateNote->setText(shown);
    duplicateNote->setToolTip(shown == m_note ? QString() : Qt::convertFromPlainText(m_note));
    duplicateNote->adjustSize();
    duplicateNote->move(noteLeft, centredOnLabel3(duplicateNote));
    openFolderButton->move(noteLeft + duplicateNote->width() + kGap, centredOnLabel3(openFolderButton));
    const int gridBottom = Picture3->height() - twipsToPixels(60);
    if (findBar->isVisible()) {
        const int barHeight = findBar->sizeHint().height();
        MSFlexGrid1->resize(MSFlexGrid1->width(), std::max(0, gridBottom - MSFlexGrid1->y() - barHeight));
        findBar->setGeometry(MSFlexGrid1->x(), MSFlexGrid1->y() + MSFlexGrid1->height(), MSFlexGrid1->width(),
                             barHeight);
    } else {
        MSFlexGrid1->resize(MSFlexGrid1->width(), std::max(0, gridBottom - MSFlexGrid1->y()));
    }
}

// The exit button never comes left of the last command button's right edge plus the margin the
// exit rule keeps (Command2's left).
double OwnerNumberFormUi::exitButtonFloor() const
{
    double lastRight = 0;
    for (const QWidget* b : {Command2, Command3, Command4, Command5, Command6})
        lastRight = std::max(lastRight, Tw::left(b) + Tw::width(b));
    return lastRight + Tw::left(Command2);
}

// The narrowest row that shows every control of the bar whole: it ends with the bar's own edge
// margin (its labels' left) after the exit button at its floor, or after the rule text.
double OwnerNumberFormUi::buttonRowMinimumWidth() const
{
    const double exitRight = exitButtonFloor() + Tw::width(Command1);
    const double ruleRight = Tw::left(Label2) + pixelsToTwips(Label2->sizeHint().width());
    return std::max(exitRight, ruleRight) + Tw::left(Label2);
}

// The exit button keeps the same margin on the right as Command2 has on the left wherever that
// leaves room; otherwise it stops at its floor and the row scrolls.
void OwnerNumberFormUi::layOutButtonRow()
{
    const double visible = Tw::width(Picture4);
    const double minimum = buttonRowMinimumWidth();
    const double row = std::max(visible, minimum);
    barScroll->setGeometry(Picture4->rect());
    barScroll->setHorizontalScrollBarPolicy(visible < minimum ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    barRow->resize(twipsToPixels(row), twipsToPixels(kBarHeight));
    Tw::setLeft(Command1, std::max(row - Tw::width(Command1) - Tw::left(Command2), exitButtonFloor()));
}

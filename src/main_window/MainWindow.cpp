#include "main_window/MainWindow.h"

#include "core/ProgramEnd.h"
#include "core/Twips.h"
#include "deduction/DeductionForm.h"
#include "main_window/AboutForm.h"
#include "main_window/BannerStrip.h"
#include "main_window/Frmtu.h"
#include "main_window/MenuPrivileges.h"
#include "main_window/Resources.h"
#include "startup/CenterInMainWindow.h"
#include "startup/Module1.h"
#include "widgets/CommandGuard.h"
#include "widgets/MessageBox.h"
#include "workbench/OwnerNumberForm.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_backgroundFile(Frmtu::pictureFile())
{
    installProgramIcon();
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral(" 澄岭物业管理工具"));
    setWindowIcon(QIcon(QStringLiteral(":/main_window/icon.png")));
    // The size it has when the user restores it from maximized.
    resize(twipsToPixels(15360), twipsToPixels(10800));

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_banner = new BannerStrip(client);
    m_area = new QMdiArea(client);
    m_area->setObjectName(QStringLiteral("MDIClient"));
    m_area->setBackground(palette().color(QPalette::Dark));
    // Each child decides its own state: the workbench maximizes itself when activated, and the fixed
    // About box keeps its designed size even beside a maximized workbench.
    m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    layout->addWidget(m_banner);
    layout->addWidget(m_area, 1);
    setCentralWidget(client);
    // The client area's own resize, so the background is painted at the size it will show.
    m_area->viewport()->installEventFilter(this);

    buildMenus();
    Form_Load();
}

QMenu* MainWindow::addMenu(const QString& name)
{
    QMenu* menu = menuBar()->addMenu(name);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

void MainWindow::addItem(QMenu* menu, const QString& name, std::function<void()> handler)
{
    QAction* action = menu->addAction(name);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { RunCommand(handler); });
}

void MainWindow::buildMenus()
{
    QMenu* owners = addMenu(QStringLiteral("业主编号"));
    addItem(owners, QStringLiteral("业主编号管理"), [this] { 业主编号管理_Click(); });
    QMenu* deduction = addMenu(QStringLiteral("扣款方式"));
    addItem(deduction, QStringLiteral("银行扣款方式设置"), [this] { 银行扣款方式设置_Click(); });
    QMenu* leave = addMenu(QStringLiteral("退出系统"));
    addItem(leave, QStringLiteral("退出"), [this] { 退出_Click(); });
    QMenu* about = addMenu(QStringLiteral("关于"));
    addItem(about, QStringLiteral("关于软件"), [this] { 关于软件_Click(); });
    addItem(about, QStringLiteral("联系我们"), [this] { 联系我们_Click(); });
}

void MainWindow::Form_Load()
{
    // The launcher's super user gets the same menu as everyone: the comparison decides nothing.
    [[maybe_unused]] const bool superUser = IdentityField(0) == QStringLiteral("超级用户");
}

QSizeF MainWindow::clientAreaTwips()
{
    // A window not shown yet has had no layout: lay it out at its current size first.
    if (!isVisible() && layout())
        layout()->activate();
    const QSize size = m_area->viewport()->size();
    return QSizeF(pixelsToTwips(size.width()), pixelsToTwips(size.height()));
}

void MainWindow::setBackgroundFile(const QString& file)
{
    m_backgroundFile = file;
    MDIForm_Resize();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area->viewport() && event->type() == QEvent::Resize)
        MDIForm_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::MDIForm_Resize()
{
    // Frmtu paints the picture at the client area's current size; a failure leaves it plain.
    const QColor plain = Frmtu::backColor();
    m_area->setBackground(plain);
    const QPixmap background =
        Frmtu::paint(m_area->viewport()->size(), m_area->devicePixelRatioF(), m_backgroundFile, plain);
    if (!background.isNull())
        m_area->setBackground(QBrush(background));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A workbench command is still running: the close waits for it, without a question.
    if (CommandLock::busy()) {
        event->ignore();
        return;
    }
    if (!workbenchMayClose() ||
        MsgBox(QStringLiteral("确认要退出系统吗？"), MsgButtons::YesNo, MsgIcon::Information) == MsgAnswer::No) {
        event->ignore();
        return;
    }
    EndProgram();
    event->ignore();
}

void MainWindow::showChild(const QString& name, const std::function<QWidget*()>& create, Qt::WindowFlags flags)
{
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == name) {
            if (sub->isMinimized())
                sub->showNormal();
            m_area->setActiveSubWindow(sub);
            sub->raise();
            return;
        }
    }
    QWidget* form = create();
    form->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = m_area->addSubWindow(form, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    m_area->setActiveSubWindow(sub);
    sub->raise();
}

void MainWindow::业主编号管理_Click()
{
    showChild(
        QStringLiteral("frm业主编号"), [] { return new OwnerNumberForm; }, Qt::SubWindow);
}

// While a workbench command has the database, the menu's own users of it wait their turn, and
// the program does not end in the middle of a write.
bool MainWindow::databaseBusy()
{
    if (!CommandLock::busy())
        return false;
    notice(QStringLiteral("正在执行其他操作，请稍候"));
    return true;
}

void MainWindow::银行扣款方式设置_Click()
{
    if (databaseBusy())
        return;
    showFrm扣款方式设置Modal();
}

void MainWindow::退出_Click()
{
    if (databaseBusy() || !workbenchMayClose())
        return;
    EndProgram();
}

// Generated numbers not saved yet are not lost without a word.
bool MainWindow::workbenchMayClose() const
{
    auto* workbench = m_area->findChild<OwnerNumberForm*>();
    return !workbench || workbench->confirmLeavingUnsaved();
}

void MainWindow::关于软件_Click()
{
    // A fixed-size box: a title bar with its close button, no minimize or maximize.
    showChild(
        QStringLiteral("frmAbout"), [] { return createFrmAbout(); },
        Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
            Qt::WindowCloseButtonHint);
}

void MainWindow::联系我们_Click() {}

void MainWindow::权限设置(const QString& memo)
{
    applyPostPrivileges(*menuBar(), IdentityField(4), memo);
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
    MDIForm1()->activateWindow();
}

void registerMainWindowClientArea()
{
    SetMainWindowClientArea([] { return MDIForm1()->clientAreaTwips(); });
}

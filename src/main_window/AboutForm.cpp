#include "main_window/AboutForm.h"

#include "core/Fonts.h"
#include "core/Twips.h"
#include "main_window/ExternalProgram.h"
#include "main_window/Resources.h"
#include "main_window/SystemInfoTool.h"
#include "startup/CenterInMainWindow.h"
#include "widgets/CommandGuard.h"
#include "widgets/MessageBox.h"

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>

namespace {
// The form's inner size as designed, in twips.
constexpr double kFormWidth = 5970;
constexpr double kFormHeight = 3690;
} // namespace

QString programVersion()
{
    return QStringLiteral(CHENGLING_VERSION);
}

AboutForm::AboutForm(QWidget* parent) : QWidget(parent)
{
    initMainWindowResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于澄岭物业管理工具"));
    setWindowIcon(QIcon(QStringLiteral(":/main_window/icon.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(yaheiFont(9));
    setFixedSize(twipsToPixels(kFormWidth), twipsToPixels(kFormHeight));

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setGeometry(twipsRect(300, 300, 720, 720));
    m_picIcon->setPixmap(QIcon(QStringLiteral(":/main_window/icon.png")).pixmap(m_picIcon->size()));

    m_lblTitle = new QLabel(this);
    m_lblTitle->setTextFormat(Qt::PlainText);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblTitle->setGeometry(twipsRect(1260, 270, 4410, 450));
    m_lblTitle->setFont(yaheiFont(13, true));

    m_label7 = new QLabel(this);
    m_label7->setTextFormat(Qt::PlainText);
    m_label7->setObjectName(QStringLiteral("Label7"));
    m_label7->setGeometry(twipsRect(1260, 780, 4410, 300));

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(twipsRect(300, 1320, 5370, 30));

    m_lblDisclaimer = new QLabel(this);
    m_lblDisclaimer->setTextFormat(Qt::PlainText);
    m_lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_lblDisclaimer->setGeometry(twipsRect(300, 1500, 5370, 1080));
    m_lblDisclaimer->setWordWrap(true);
    m_lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_cmdSysInfo->setGeometry(twipsRect(2580, 2880, 1590, 450));

    m_cmdOK = new QPushButton(QStringLiteral("确定"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twipsRect(4320, 2880, 1350, 450));
    m_cmdOK->setDefault(true);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(m_cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void AboutForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Loads on first show, when its sub-window has its size and can be centred.
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

// 确定 is the box's default and cancel button: Enter and Escape close it. Enter on the other button,
// when it has the focus, presses that one, as in any dialog.
void AboutForm::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && isAncestorOf(focused))
            focused->click();
        else
            m_cmdOK->click();
        return;
    case Qt::Key_Escape:
        m_cmdOK->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void AboutForm::Form_Load()
{
    CenterInMainWindow(*this);
    m_cmdOK->setFocus();
    m_label7->setText(QStringLiteral("系统信息设置系统") + programVersion());
    m_lblTitle->setText(QStringLiteral("澄岭物业管理工具（配置版）"));
    m_lblDisclaimer->setText(QStringLiteral("版权所有 © 澄岭物业，保留所有权利。\n"
                                            "本软件仅供澄岭物业及其授权单位内部使用，\n"
                                            "未经书面许可，不得复制、修改或向第三方提供。"));
}

void AboutForm::cmdOK_Click()
{
    // Closing the sub-window closes the form with it.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void AboutForm::cmdSysInfo_Click()
{
    RunCommand([this] { StartSysInfo(); });
}

void AboutForm::StartSysInfo()
{
    const std::unique_ptr<QSettings> root = machineSettings();
    const QString tool = findSystemInfoTool(*root);
    if (tool.isEmpty() || !ExternalProgram::startDetached(tool))
        MsgBox(QStringLiteral("此时系统信息不可用"), MsgButtons::OK);
}

QWidget* createFrmAbout()
{
    return new AboutForm;
}

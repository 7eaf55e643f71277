#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About box (objectName "frmAbout"), a child window of the main window: version line,
// product and rights lines, OK, and a button that starts the system-information tool.
class AboutForm : public QWidget
{
public:
    explicit AboutForm(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    QLabel* m_picIcon;
    QLabel* m_lblTitle;
    QLabel* m_label7;
    QLabel* m_lblDisclaimer;
    QPushButton* m_cmdSysInfo;
    QPushButton* m_cmdOK;
    bool m_loaded = false;
};

// The program's version as major.minor.revision.
QString programVersion();

// A new About box, deleted when closed.
QWidget* createFrmAbout();

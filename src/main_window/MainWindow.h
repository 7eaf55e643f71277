#pragma once

#include <QMainWindow>
#include <QSizeF>
#include <functional>

class BannerStrip;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The program's frame MDIForm1: menu bar, banner strip, stretched background picture, the
// child windows, and the exit question.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    QMdiArea* mdiArea() const { return m_area; }

    // The client area (where the child windows live, below the banner strip) in twips.
    QSizeF clientAreaTwips();

    // Disables the menu items the current post (identity field 4) is not granted for module `memo`.
    void 权限设置(const QString& memo);

    // The background picture file; beside the executable unless a test points elsewhere.
    QString backgroundFile() const { return m_backgroundFile; }
    void setBackgroundFile(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QMenu* addMenu(const QString& name);
    void addItem(QMenu* menu, const QString& name, std::function<void()> handler);
    // Shows a child window, or brings the open one of that name to the front.
    void showChild(const QString& name, const std::function<QWidget*()>& create, Qt::WindowFlags flags);

    void Form_Load();
    void MDIForm_Resize();
    void 业主编号管理_Click();
    static bool databaseBusy();
    bool workbenchMayClose() const;
    void 银行扣款方式设置_Click();
    void 退出_Click();
    void 关于软件_Click();
    void 联系我们_Click();

    BannerStrip* m_banner;
    QMdiArea* m_area;
    QString m_backgroundFile;
};

// The one process-wide instance, created on first use.
MainWindow* MDIForm1();
void showMDIForm1();

// Lets the form-centring helper read the main window's client area, creating the window when
// it does not exist yet. Called at start-up (and by tests) before any form is centred.
void registerMainWindowClientArea();

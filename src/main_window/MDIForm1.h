#pragma once

#include <QMainWindow>

class QMdiArea;

// The program's frame: menu bar, banner strip, background and the child windows.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    QMdiArea* mdiArea() const { return m_area; }

private:
    QMdiArea* m_area;
};

// The one process-wide instance, created on first use.
MainWindow* MDIForm1();
void showMDIForm1();

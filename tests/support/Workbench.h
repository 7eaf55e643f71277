#pragma once

#include <QString>

class FlexGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QWidget;

// The owner-number workbench's controls as a test drives them: found by their designer names,
// since the form keeps them to itself. A missing control ends the test program with its name.
struct Workbench
{
    explicit Workbench(QWidget& form);

    QWidget& form;
    QWidget* Picture1;
    QWidget* Picture2;
    QWidget* Picture3;
    QWidget* Picture4;
    QWidget* Picture5;
    QWidget* Picture6;
    QLabel* Label1[5];
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QComboBox* Combo1;
    QComboBox* Combo2;
    QCheckBox* Check1;
    QTreeWidget* TreeView1;
    FlexGrid* MSFlexGrid1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QProgressBar* ProgressBar1;
    QStatusBar* StatusBar1;
    QLabel* Panels[9];

    // A click on the office whose item starts with `code`; false when none is offered.
    bool chooseOffice(const QString& code) const;
    // A click on 全选, ticked.
    void tickAll() const;
};

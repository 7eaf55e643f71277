#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The bank deduction method form: shows the setting stored in SystemSetup, lets the user
// compose a new one (cycle and start month) and saves it. Constructing it runs its load
// handling; the menu shows it modal through showFrm扣款方式设置Modal().
class DeductionForm : public QDialog
{
public:
    explicit DeductionForm(QWidget* parent = nullptr);

private:
    void createControls();
    void Form_Load();
    void showStoredSetting();
    void Combo1_Click();
    void Combo2_Click();
    void Command1_Click();
    void Command2_Click();

    // Designer names, as the rest of the system refers to them.
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QLabel* Label1[5];
    QLineEdit* Text1[3];
    QComboBox* Combo1;
    QComboBox* Combo2;
    QPushButton* Command1;
    QPushButton* Command2;
};

// Shows the bank deduction form (objectName "frm扣款方式设置") as a modal dialog and returns when it is closed.
void showFrm扣款方式设置Modal();

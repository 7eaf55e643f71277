#pragma once

#include <QList>
#include <QString>

class FlexGrid;
class GridFindBar;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class QWidget;

// The owner-number workbench's controls as designed, their objectName the designer name, and the
// arithmetic that places them. The form builds them with setupUi; tests, the benchmark and the
// screenshots find them in a form with find().
struct OwnerNumberFormUi
{
    QWidget* Picture1 = nullptr;
    QWidget* Picture2 = nullptr;
    QWidget* Picture3 = nullptr;
    QWidget* Picture4 = nullptr;
    QWidget* Picture5 = nullptr;
    QWidget* Picture6 = nullptr;
    QLabel* Label1[5] = {};
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    FlexGrid* MSFlexGrid1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Panels[9] = {};

    // Added to the designed form: the note line beside Label3, the find button and its bar, and
    // the button bar's row (everything on Picture4 but the progress bar), scrolled sideways when
    // the bar is too narrow for it.
    QLabel* duplicateNote = nullptr;
    QToolButton* openFolderButton = nullptr; // after an export's note: opens the file's folder
    QToolButton* findButton = nullptr;
    GridFindBar* findBar = nullptr;
    QScrollArea* barScroll = nullptr;
    QWidget* barRow = nullptr;
    QPushButton* cancelButton = nullptr; // on the please-wait panel

    void setupUi(QWidget* form);
    // The controls of a form built by setupUi; a missing one ends the program with its name.
    static OwnerNumberFormUi find(QWidget& form);

    // The resize arithmetic for the form's current size.
    void layOut(QWidget* form);
    // The note line's text, shortened in its middle where the line has no room for it whole.
    void setNote(const QString& text);
    // The added controls' places, after a change of the note or the find bar.
    void placeExtras();
    // The please-wait panel centred over the grid's pane with `text` and its 取消, shown in front;
    // it grows past its designed size where the text needs it.
    void showPleaseWait(const QString& text);

    // What a running command locks; what the progress bar takes the place of.
    QList<QWidget*> inputControls() const;
    QList<QWidget*> buttonBar() const;

private:
    void setupBanner(QWidget* form);
    void setupOfficePane(QWidget* form);
    void setupGridPane(QWidget* form);
    void setupButtonBar(QWidget* form);
    void setupStatusBar(QWidget* form);
    double exitButtonFloor() const;
    double buttonRowMinimumWidth() const;
    void layOutButtonRow();

    QString m_note;
};

#pragma once

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>

struct WriteOutcome;

class FlexGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTreeWidget;
class QToolButton;

// The owner-number workbench: pick an office, tick buildings, generate, save, view, clear
// and export owner numbers. Controls keep their designer names as objectName.
class OwnerNumberForm : public QWidget
{
    Q_OBJECT
public:
    explicit OwnerNumberForm(QWidget* parent = nullptr);
    // The designed size: the main window's client area gives it to the workbench when it is first
    // placed, and so it is the size a restore by the user comes back to (within the client area).
    QSize sizeHint() const override;

    // The ticked buildings' ids as the last generate or view collected them ("3,7,12").
    const QString& selectedBuildings() const { return m_selectedBuildings; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Resize();
    double exitButtonFloor() const;
    double buttonRowMinimumWidth() const;
    void layOutButtonRow();
    void FillOffices();
    void Combo1_Click();
    void Check1_Click();
    void Command2_Click();
    void Command5_Click();
    void Command3_Click();
    void Command6_Click();
    void Command4_Click();
    void MSFlexGrid1_Click();

    // One statement per data row (given the row and its ZH_ID cell; empty skips the row), then
    // `afterRow`; a failure stops there and says how many rows were written. Rows whose statement
    // changed no owner or several are marked.
    WriteOutcome writeRows(const std::function<QString(int, const QString&)>& statementFor,
                           const std::function<void(int)>& afterRow = {});
    void markOutcome(const WriteOutcome& outcome);
    void reportOutcome(const WriteOutcome& outcome, const QString& done);
    QSet<int> rowsSavedByOthers();
    void collectSelectedBuildings();
    void showPleaseWait(const QString& text);
    void hidePleaseWait();
    void runFill(bool generate);
    QList<QWidget*> inputControls() const;
    void updateClock();
    // Marks the grid's owner numbers that another row or another owner already has, and (for
    // proposed ones) those the database's code page cannot hold; the note line says how many.
    void markProblems(bool generate);
    void addMark(int row, const QColor& colour, const QString& tip);
    void showNotes();
    void clearNotes();
    void placeExtras();

    // Controls, named as designed; their objectName is the same, and tests find them by it.
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

    // The button bar's row (everything on Picture4 but the progress bar), scrolled sideways when
    // the bar is too narrow for it.
    QScrollArea* m_barScroll = nullptr;
    QWidget* m_barRow = nullptr;
    // Added to the designed form: the duplicate note beside Label3, the find button and its bar.
    QLabel* m_duplicateNote = nullptr;
    QToolButton* m_findButton = nullptr;
    class GridFindBar* m_findBar = nullptr;
    int m_duplicates = 0;
    QSet<int> m_unsaveable; // rows whose number the database's code page cannot hold
    QStringList m_notes;    // the note line's parts
    QString m_selectedBuildings;
    bool m_activationHooked = false;
};

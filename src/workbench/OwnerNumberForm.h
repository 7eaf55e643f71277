#pragma once

#include "engine/OwnerNumberWrites.h"
#include "engine/WorkbenchCommands.h"
#include "workbench/ExcelExport.h"
#include "workbench/OwnerNumberFormUi.h"

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>

class QColor;
class QMenu;

// The owner-number workbench: pick an office, tick buildings, generate, save, view, clear
// and export owner numbers. Its controls (OwnerNumberFormUi) keep their designer names as
// objectName; the work apart from them is in engine/WorkbenchCommands.
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

    // How long the please-wait panel waits for a word from the database before saying that the
    // server has not answered (30 s; tests shorten it).
    static void setSilenceNoticeAfter(int ms);
    // Generated numbers not saved yet: a close asks first (No the default); true when the
    // workbench may go.
    bool hasUnsavedNumbers() const;
    bool confirmLeavingUnsaved();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void Form_Load();
    void Form_Resize();
    void FillOffices();
    void Combo1_Click();
    void Check1_Click();
    void Command2_Click();
    void Command5_Click();
    void Command3_Click();
    void Command6_Click();
    void Command4_Click();
    void MSFlexGrid1_Click();
    void showGridMenu(const QPoint& at);
    void copyOwnerNumbers();
    bool chooseExportFile(const QString& officeItem, QString& target);
    QList<SheetLegend> exportLegend() const;

    void collectSelectedBuildings();
    void runFill(bool generate);
    void updateClock();
    // Marks the grid's owner numbers that another row or another owner already has, and (for
    // proposed ones) those the database's code page cannot hold; the note line says how many.
    void markProblems(const GridProblems& problems);
    // The rows another user has numbered since the grid was made, marked; those to skip.
    QSet<int> rowsSavedByOthers(class PleaseWait& panel);
    // Runs a save or clear plan with redraw off, its count and 取消 on `panel`; the rows not
    // written as planned are marked however it ends.
    WriteOutcome writeAndMark(const struct WritePlan& plan, const std::function<void(int)>& afterRow,
                              class PleaseWait& panel);
    // The rows whose statement did not change exactly one owner, marked with the rest.
    void markOutcome(const WriteOutcome& outcome);
    // Every mark and the note line again from what the rows hold now: a mark on a number that is
    // gone goes with it.
    void showMarks();
    void showNotes();
    // What the last command did, on the note line; `folder` offers the button that opens it.
    void setDoneNote(const QString& text, const QString& folder = {});
    // The grid back to its header row, nothing to save or clear.
    void emptyGrid(class CommandLock* lock = nullptr);
    // The done text when every statement changed one owner; otherwise what happened instead.
    void reportOutcome(const WriteOutcome& outcome, const QString& done);
    void addMark(int row, const QColor& colour, const QString& tip);
    void clearNotes();

    OwnerNumberFormUi m_ui;
    QMenu* m_gridMenu = nullptr;
    GridProblems m_problems;             // what the last fill found in its numbers
    QHash<int, QString> m_savedByOthers; // rows another user numbered meanwhile, not written over
    WriteOutcome m_outcome;              // the last save's or clear's statements
    int m_duplicates = 0;                // marked now
    QSet<int> m_unsaveable;              // rows whose number the database's code page cannot hold
    QString m_doneNote;
    QString m_doneFolder;
    QString m_gridOffice; // the office the grid's rows belong to
    QString m_selectedBuildings;
    bool m_activationHooked = false;
};

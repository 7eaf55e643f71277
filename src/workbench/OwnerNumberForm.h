#pragma once

#include "workbench/OwnerNumberFormUi.h"

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>

struct WriteOutcome;
class QColor;

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

    void collectSelectedBuildings();
    void runFill(bool generate);
    void updateClock();
    // Marks the grid's owner numbers that another row or another owner already has, and (for
    // proposed ones) those the database's code page cannot hold; the note line says how many.
    void markProblems(const struct GridProblems& problems);
    // The rows another user has numbered since the grid was made, marked; those to skip.
    QSet<int> rowsSavedByOthers(class PleaseWait& panel);
    // Runs a save or clear plan with redraw off, its count and 取消 on `panel`; the rows not
    // written as planned are marked however it ends.
    WriteOutcome writeAndMark(const struct WritePlan& plan, const std::function<void(int)>& afterRow,
                              class PleaseWait& panel);
    // The rows whose statement did not change exactly one owner, marked.
    void markOutcome(const WriteOutcome& outcome);
    // The done text when every statement changed one owner; otherwise what happened instead.
    void reportOutcome(const WriteOutcome& outcome, const QString& done);
    void addMark(int row, const QColor& colour, const QString& tip);
    void showNotes();
    void clearNotes();

    OwnerNumberFormUi m_ui;
    int m_duplicates = 0;
    QSet<int> m_unsaveable; // rows whose number the database's code page cannot hold
    QStringList m_notes;    // the note line's parts
    QString m_selectedBuildings;
    bool m_activationHooked = false;
};

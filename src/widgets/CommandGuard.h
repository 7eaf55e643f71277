#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

// Runs a command handler. A failure does not end the program: `restore` first returns the
// form to a usable state, then one run-time error box tells the user what went wrong
// (critical icon, OK, application title). A command the user cancelled (CommandCancelled) is
// tidied up the same way, without a box. Returns false when the command failed.
bool RunCommand(const std::function<void()>& body, const std::function<void()>& restore = {});

// Shows the run-time error box for the exception in flight; for use inside a catch block.
void ReportCurrentException();

// While a command runs, the form takes no other input: the given controls are disabled and
// get back exactly the enabled state they had; other windows can ask busy() to refuse a close.
// Disabling the control with the focus drops the focus: it goes back where it was afterwards.
class CommandLock
{
public:
    explicit CommandLock(const QList<QWidget*>& controls);
    ~CommandLock();
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

    // A control the command itself enables or disables: the state it gets when the lock ends.
    void setEnabledAfter(QWidget* control, bool enabled);
    // Where the focus goes when the lock ends, instead of where it was.
    void setFocusAfter(QWidget* control) { m_focus = control; }

    static bool busy();

private:
    QList<QPair<QPointer<QWidget>, bool>> m_states;
    QPointer<QWidget> m_focus;
};

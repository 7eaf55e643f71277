#include "widgets/CommandGuard.h"

#include "core/OffThread.h"
#include "core/RuntimeError.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <new>

namespace {
int gBusy = 0;

void showError(long number, const QString& description, const QString& context)
{
    QString text = runtimeErrorText(number, description);
    if (!context.isEmpty())
        text = context + QStringLiteral("\r\n") + text;
    MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
}
} // namespace

void ReportCurrentException()
{
    try {
        throw;
    } catch (const RuntimeError& e) {
        showError(e.number(), e.description(), e.context());
    } catch (const std::bad_alloc&) {
        showError(static_cast<long>(ErrorNumber::OutOfMemory), QStringLiteral("内存不足"), {});
    } catch (const std::exception& e) {
        showError(0, QString::fromLocal8Bit(e.what()), {});
    } catch (...) {
        showError(0, QStringLiteral("未知错误"), {});
    }
}

bool RunCommand(const std::function<void()>& body, const std::function<void()>& restore)
{
    const auto tidyUp = [&restore] {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        if (restore) {
            try {
                restore();
            } catch (...) {
                // The report matters more than a second failure while tidying up.
            }
        }
    };
    try {
        body();
        return true;
    } catch (const CommandCancelled&) {
        // The user stopped it: nothing needs saying.
        tidyUp();
        return false;
    } catch (...) {
        tidyUp();
        ReportCurrentException();
        return false;
    }
}

CommandLock::CommandLock(const QList<QWidget*>& controls)
{
    ++gBusy;
    m_focus = QApplication::focusWidget();
    for (QWidget* w : controls) {
        if (!w)
            continue;
        m_states.append({QPointer<QWidget>(w), w->isEnabled()});
        w->setEnabled(false);
    }
}

CommandLock::~CommandLock()
{
    for (const auto& [w, enabled] : m_states)
        if (w)
            w->setEnabled(enabled);
    if (m_focus && m_focus->isEnabled() && m_focus->isVisible() && m_focus->focusPolicy() != Qt::NoFocus)
        m_focus->setFocus(Qt::OtherFocusReason);
    --gBusy;
}

void CommandLock::setEnabledAfter(QWidget* control, bool enabled)
{
    for (auto& state : m_states)
        if (state.first == control) {
            state.second = enabled;
            return;
        }
    control->setEnabled(enabled);
}

bool CommandLock::busy()
{
    return gBusy > 0;
}

#include "startup/CenterInMainWindow.h"

#include "core/Twips.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace {
std::function<QSizeF()>& clientArea()
{
    static std::function<QSizeF()> f;
    return f;
}
} // namespace

QPointF centredPosition(QSizeF clientTwips, QSizeF formTwips)
{
    const float left = (static_cast<float>(clientTwips.width()) - static_cast<float>(formTwips.width())) / 2.0f;
    const float top = (static_cast<float>(clientTwips.height()) - static_cast<float>(formTwips.height())) / 2.0f;
    return QPointF(left, top);
}

void SetMainWindowClientArea(std::function<QSizeF()> clientAreaTwips)
{
    clientArea() = std::move(clientAreaTwips);
}

void CenterInMainWindow(QWidget& form)
{
    if (!clientArea())
        return;
    // A child form lives in its MDI sub-window: that frame is what gets placed.
    QWidget* target = qobject_cast<QMdiSubWindow*>(form.parentWidget()) ? form.parentWidget() : &form;
    const QSizeF formTwips(pixelsToTwips(target->frameGeometry().width()),
                           pixelsToTwips(target->frameGeometry().height()));
    const QPointF pos = centredPosition(clientArea()(), formTwips);
    target->move(twipsToPixels(pos.x()), twipsToPixels(pos.y()));
}

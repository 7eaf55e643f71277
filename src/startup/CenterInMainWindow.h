#pragma once

#include <QPointF>
#include <QSizeF>
#include <functional>

class QWidget;

// left = (client width - form width) / 2, top likewise; single precision twips, no rounding
// or clamping, so a form larger than the client area gets a negative position.
QPointF centredPosition(QSizeF clientTwips, QSizeF formTwips);

// The main window's client-area size in twips; asking for it creates the main window if need be.
void SetMainWindowClientArea(std::function<QSizeF()> clientAreaTwips);

// Places a form in the middle of the main window's client area: relative to that area for a
// child window, in screen coordinates for a top-level dialog.
void CenterInMainWindow(QWidget& form);

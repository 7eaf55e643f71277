#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace FileDialog {
// The save dialog; an empty result means the user cancelled. It never asks about overwriting.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath, const QString& filter);
} // namespace FileDialog

namespace FileDialogSeam {
// Tests answer the dialog through a script: it gets the suggested path and filter.
using Script = std::function<QString(const QString& suggestedPath, const QString& filter)>;
void setScript(Script script);
void clearScript();
} // namespace FileDialogSeam

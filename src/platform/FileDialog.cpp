#include "platform/FileDialog.h"

#include <QFileDialog>

namespace {
FileDialogSeam::Script& script()
{
    static FileDialogSeam::Script s;
    return s;
}
} // namespace

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                    const QString& filter)
{
    if (script())
        return script()(suggestedPath, filter);
    // The export decides itself about overwriting a file it writes under another name.
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
}

void FileDialogSeam::setScript(Script s)
{
    script() = std::move(s);
}

void FileDialogSeam::clearScript()
{
    script() = nullptr;
}

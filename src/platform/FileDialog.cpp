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
    // Qt's own dialog, so that it speaks Chinese on any desktop. It asks nothing about an existing
    // file: the export writes under a name of its own and asks once, about the file it writes.
    return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
}

void FileDialogSeam::setScript(Script s)
{
    script() = std::move(s);
}

void FileDialogSeam::clearScript()
{
    script() = nullptr;
}

#include "widgets/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QTreeView>

namespace {
FileDialogSeam::Script& script()
{
    static FileDialogSeam::Script s;
    return s;
}

// The file list's columns as Qt's file system model has them.
enum FileColumn { NameColumn, SizeColumn, TypeColumn, DateColumn };

// Qt's file list writes its dates in the session's system locale, and its translation misses the
// type of a folder: both come out in English on a desktop that is not Chinese.
class ChineseFileDetails : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && index.isValid()) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == DateColumn)
                return QLocale(QLocale::Chinese, QLocale::China)
                    .toString(files->lastModified(source), QStringLiteral("yyyy/M/d HH:mm"));
            if (index.column() == TypeColumn && files->isDir(source))
                return QStringLiteral("文件夹");
        }
        return QIdentityProxyModel::data(index, role);
    }
};
} // namespace

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& suggestedPath,
                                    const QString& filter)
{
    if (script())
        return script()(suggestedPath, filter);
    // Qt's own dialog, so that it speaks Chinese on any desktop. It asks nothing about an existing
    // file: the export writes under a name of its own and asks once, about the file it writes.
    QFileDialog dialog(parent, caption, suggestedPath, filter);
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setProxyModel(new ChineseFileDetails(&dialog));
    // Size, type and date as wide as their texts ("12.3 KiB", "Excel 工作表"); the name takes the rest.
    if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = files->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
        for (int c : {SizeColumn, TypeColumn, DateColumn})
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    // Qt's dialog reads a typed name holding '"' as a list of quoted names and returns one of
    // them: the name typed is taken whole instead, in the folder the dialog shows.
    QString typed;
    auto* nameEdit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (nameEdit)
        QObject::connect(&dialog, &QFileDialog::accepted, &dialog, [&] { typed = nameEdit->text(); });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (typed.contains(u'"'))
        return QDir::cleanPath(dialog.directory().absoluteFilePath(typed));
    return dialog.selectedFiles().value(0);
}

void FileDialogSeam::setScript(Script s)
{
    script() = std::move(s);
}

void FileDialogSeam::clearScript()
{
    script() = nullptr;
}

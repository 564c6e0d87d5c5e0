#include "platform/FileDialogTexts.h"

#include "core/SizeFormat.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

QVariant FileDialogTexts::data(const QModelIndex &index, int role) const
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (role != Qt::DisplayRole || !files || !index.isValid())
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
    case Size:
        return files->isDir(source) ? QString() : FormatFileSize(files->size(source), FileSizeBlankBeforeUnit);
    case Type:
        if (files->isDir(source))
            return QCoreApplication::translate("QFileDialog", "Folder");
        break;
    case Modified:
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    default:
        break;
    }
    return QIdentityProxyModel::data(index, role);
}

void FileDialogTexts::Apply(QFileDialog &dialog)
{
    dialog.setProxyModel(new FileDialogTexts(&dialog));
}

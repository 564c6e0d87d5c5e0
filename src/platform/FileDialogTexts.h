// Qt's own file dialog in the program's language. Its file model writes
// sizes and dates in the environment's locale (English on a machine left at
// C.UTF-8: "9.54 KiB", "7 Dec 2026") and folders as "Folder" whatever the
// translation; this proxy writes the size as the program's transfers do
// ("10 KB"), the date in the default locale (Chinese, set at the start) and
// the folder type in the translation of the file dialog.
#pragma once

#include <QIdentityProxyModel>

class QFileDialog;

class FileDialogTexts : public QIdentityProxyModel
{
    Q_OBJECT
public:
    // The file model's columns.
    enum Column { Name = 0, Size = 1, Type = 2, Modified = 3 };

    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Puts the proxy between the dialog and its file model.
    static void Apply(QFileDialog &dialog);
};

// Where the file dialogs of the running program start: in the folder the
// caller names, else in the folder last used for that kind of file, else in
// the user's home; never in the process's working folder.
#pragma once

#include <QHash>
#include <QString>

class DialogFolders
{
public:
    // The folder or file path to open the dialog at. `kind` names the kind
    // of file (the dialog's filter); `given` is what the caller proposes:
    // nothing, a folder, or a file name or path. A relative name is put into
    // the start folder.
    QString start(const QString &kind, const QString &given) const;
    // Notes the folder of a chosen file (or the chosen folder itself) for
    // the next dialog of the kind; nothing for an empty choice.
    void chosenFile(const QString &kind, const QString &path);
    void chosenFolder(const QString &kind, const QString &folder);

private:
    QString folderFor(const QString &kind) const;

    QHash<QString, QString> m_last;
};

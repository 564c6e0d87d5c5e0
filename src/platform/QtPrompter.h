// The prompter of the running program: QMessageBox and QFileDialog. The
// file dialogs start where DialogFolders says.
#pragma once

#include "core/Prompter.h"
#include "platform/DialogFolders.h"

class QtPrompter final : public Prompter
{
public:
    Button messageBox(QObject *owner, const QString &text, const QString &caption, Buttons buttons, Icon icon) override;
    QString openFile(QObject *owner, const QString &caption, const QString &directory, const QString &filter) override;
    QStringList openFiles(
        QObject *owner, const QString &caption, const QString &directory, const QString &filter) override;
    QString saveFile(QObject *owner, const QString &caption, const QString &suggestion, const QString &filter) override;
    QString chooseFolder(QObject *owner, const QString &caption, const QString &directory) override;

private:
    DialogFolders m_folders;
};

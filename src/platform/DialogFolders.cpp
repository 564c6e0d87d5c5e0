#include "platform/DialogFolders.h"

#include <QDir>
#include <QFileInfo>

QString DialogFolders::folderFor(const QString &kind) const
{
    const QString last = m_last.value(kind);
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

QString DialogFolders::start(const QString &kind, const QString &given) const
{
    if (given.isEmpty())
        return folderFor(kind);
    if (QDir::isAbsolutePath(given))
        return given;
    return QDir(folderFor(kind)).filePath(given);
}

void DialogFolders::chosenFile(const QString &kind, const QString &path)
{
    if (!path.isEmpty())
        m_last.insert(kind, QFileInfo(path).absolutePath());
}

void DialogFolders::chosenFolder(const QString &kind, const QString &folder)
{
    if (!folder.isEmpty())
        m_last.insert(kind, QFileInfo(folder).absoluteFilePath());
}

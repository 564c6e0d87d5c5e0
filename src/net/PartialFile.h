// A received item while its data arrive, never under its final name before it
// is complete.
//
// PartialFile: a file created beside its final name as "<name>.kwq" inside an
// open folder, never following a link and never replacing anything, and
// given its final name by one atomic rename once it is complete. Inside a
// PartialFolder the file is made under its final name at once: the folder's
// own rename publishes it with everything else. Only files created here are
// ever deleted.
//
// PartialFolder: a received folder, made as "<name>.kwq" beside its final
// name and renamed to it in one step, without replacing anything, when the
// receive ends. One rename per folder instead of one per file: a folder of
// many small files costs the system calls of the files themselves.
#pragma once

#include "net/FolderWalk.h"

#include <QByteArray>
#include <QString>

class PartialFile
{
public:
    enum class Naming {
        Partial, // "<name>.kwq", renamed when complete
        Final, // the final name, inside a PartialFolder; "<name>.kwq" when the name is taken
    };
    enum class Commit {
        Renamed, // the file has its final name (an existing file was replaced)
        RenamedAside, // the final name was blocked: the file is "[kwel]<name>"
        Kept, // both renames failed: the data stay in the partial file
    };

    PartialFile() = default;
    ~PartialFile();
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    // Creates the file of name in the open folder. When "<name>.kwq" is
    // taken (a file of the user's, or what an earlier receive left), a fresh
    // "<name>.<random>.kwq" is used instead.
    bool create(int folderFd, const QString &name, Naming naming = Naming::Partial);
    bool isOpen() const { return m_fd.isValid(); }
    // The partial file's name inside its folder.
    QString partialName() const;

    bool write(const char *data, qsizetype size);
    // Modification and access time, seconds since 1970.
    void setTimes(quint32 mtime);
    // Takes the write permission away, as the read-only attribute does.
    void setReadOnly();
    // Closes the file and gives it its final name, replacing what is there.
    Commit commit();
    // Closes the file; deletes it unless keep. A kept file made under its
    // final name moves to a partial name, so that it is not taken for whole.
    void abandon(bool keep);

private:
    int m_folderFd = -1; // borrowed: the folder stays open while the file is
    UniqueFd m_fd;
    QByteArray m_name; // final name, file-system bytes
    QByteArray m_partial; // the name the file has now; m_name when made under it
};

class PartialFolder
{
public:
    PartialFolder() = default;
    PartialFolder(const PartialFolder &) = delete;
    PartialFolder &operator=(const PartialFolder &) = delete;

    // Makes the partial folder of name in the open folder and returns it
    // open; invalid when something of that name exists already (a received
    // folder is never merged into another) or nothing can be made.
    UniqueFd create(int parentFd, const QString &name);
    bool isOpen() const { return m_open; }
    // The name the folder was made under.
    QString partialName() const;
    // Gives the folder its final name unless something has taken that name
    // meanwhile; false then, and the folder keeps its partial name. Closed
    // either way.
    bool commit();

private:
    int m_parentFd = -1; // borrowed, like PartialFile's folder
    QByteArray m_name;
    QByteArray m_partial;
    bool m_open = false;
};

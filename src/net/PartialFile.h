// The file of a received item while its data arrive: created beside its final
// name as "<name>.kwq" inside an open folder, never following a link and
// never replacing anything; given its final name by one atomic rename once it
// is complete. Only the file created here is ever deleted.
#pragma once

#include "net/FolderWalk.h"

#include <QByteArray>
#include <QString>

class PartialFile
{
public:
    enum class Commit {
        Renamed, // the file has its final name (an existing file was replaced)
        RenamedAside, // the final name was blocked: the file is "[kwel]<name>"
        Kept, // both renames failed: the data stay in the partial file
    };

    PartialFile() = default;
    ~PartialFile();
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    // Creates the partial file of name in the open folder. When
    // "<name>.kwq" is taken (a file of the user's, or what an earlier
    // receive left), a fresh "<name>.<random>.kwq" is used instead.
    bool create(int folderFd, const QString &name);
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
    // Closes the file; deletes it unless keep.
    void abandon(bool keep);

private:
    int m_folderFd = -1; // borrowed: the folder stays open while the file is
    UniqueFd m_fd;
    QByteArray m_name; // final name, file-system bytes
    QByteArray m_partial;
};

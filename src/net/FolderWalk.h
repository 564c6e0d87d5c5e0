// Reading shared folders without ever leaving them: every step goes through
// an open folder descriptor, symbolic links are neither followed nor listed
// (so a walk stays inside its folder and cannot loop), and only regular
// files and folders are listed (no FIFO, device or socket).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// An owned file descriptor.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {
    }
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(other.release())
    {
    }
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

struct FolderItem
{
    QByteArray name; // as the file system holds it
    bool folder = false;
    quint64 size = 0; // 0 for a folder
    quint32 mtime = 0; // seconds since 1970-01-01 UTC

    QString displayName() const;
};

// Deeper folders are left out of walks.
inline constexpr int kMaxFolderDepth = 100;

// Seconds since 1970 as the 32-bit field of the wire formats.
quint32 ClampUnixTime(qint64 seconds);

// Opens a folder by path, refusing a symbolic link as the last component.
UniqueFd OpenFolder(const QString &path);
// Opens a sub-folder or a regular file of an open folder; invalid for
// symbolic links and anything else. The file is opened for reading only.
UniqueFd OpenFolderAt(int folderFd, const QByteArray &name);
UniqueFd OpenFileAt(int folderFd, const QByteArray &name);

// The regular files and folders of an open folder, sorted by name; none when
// it cannot be read.
std::optional<std::vector<FolderItem>> ListFolder(int folderFd);

// Total size of the regular files in the folder tree, walked as above.
quint64 FolderTreeSize(const QString &path);

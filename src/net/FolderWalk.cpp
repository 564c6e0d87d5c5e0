#include "net/FolderWalk.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

quint64 treeSize(int folderFd, int depth)
{
    const auto items = ListFolder(folderFd);
    if (!items)
        return 0;
    quint64 total = 0;
    for (const FolderItem &item : *items) {
        if (!item.folder) {
            total += item.size;
        } else if (depth < kMaxFolderDepth) {
            const UniqueFd sub = OpenFolderAt(folderFd, item.name);
            if (sub.isValid())
                total += treeSize(sub.get(), depth + 1);
        }
    }
    return total;
}

} // namespace

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

QString FolderItem::displayName() const
{
    return QFile::decodeName(name);
}

quint32 ClampUnixTime(qint64 seconds)
{
    return quint32(std::clamp<qint64>(seconds, 0, 0xFFFFFFFFLL));
}

UniqueFd OpenFolder(const QString &path)
{
    return UniqueFd(::open(QFile::encodeName(path).constData(), kFolderFlags));
}

UniqueFd OpenFolderAt(int folderFd, const QByteArray &name)
{
    return UniqueFd(::openat(folderFd, name.constData(), kFolderFlags));
}

UniqueFd OpenFileAt(int folderFd, const QByteArray &name)
{
    // O_NONBLOCK: a FIFO put in the file's place since it was listed must not
    // block the open; it is refused below like anything that is not a file.
    UniqueFd fd(::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.isValid() && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)))
        fd.reset();
    return fd;
}

std::optional<std::vector<FolderItem>> ListFolder(int folderFd)
{
    // A descriptor of its own for the listing, read from the start.
    const int listFd = ::openat(folderFd, ".", kFolderFlags);
    if (listFd < 0)
        return std::nullopt;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return std::nullopt;
    }
    std::vector<FolderItem> items;
    while (const dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name == ".." || name == ".")
            continue;
        struct stat st;
        if (::fstatat(folderFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
            continue;
        FolderItem item;
        item.name = name;
        item.folder = S_ISDIR(st.st_mode);
        item.size = item.folder ? 0 : quint64(st.st_size);
        item.mtime = ClampUnixTime(st.st_mtime);
        items.push_back(std::move(item));
    }
    ::closedir(dir);
    std::sort(items.begin(), items.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    return items;
}

quint64 FolderTreeSize(const QString &path)
{
    const UniqueFd fd = OpenFolder(path);
    return fd.isValid() ? treeSize(fd.get(), 1) : 0;
}

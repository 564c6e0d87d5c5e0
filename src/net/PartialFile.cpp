#include "net/PartialFile.h"

#include "net/FileReceiveJob.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kCreateTries = 16;

int createNew(int folderFd, const QByteArray &name)
{
    return ::openat(folderFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

// Takes "<name>.kwq", or "<name>.<random>.kwq" while a name is taken (the
// attempt fails with EEXIST). The name taken; empty when none could be.
QByteArray takePartialName(const QByteArray &name, const std::function<bool(const QByteArray &)> &attempt)
{
    QByteArray partial = name + kPartialSuffix;
    if (attempt(partial))
        return partial;
    for (int i = 0; errno == EEXIST && i < kCreateTries; ++i) {
        partial = name + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 16) + kPartialSuffix;
        if (attempt(partial))
            return partial;
    }
    return QByteArray();
}

// Renames without replacing anything. Where the file system cannot promise
// that, a target that exists is refused before a plain rename.
bool renameNoReplace(int folderFd, const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(folderFd, from.constData(), folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    struct stat st;
    if (::fstatat(folderFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folderFd, from.constData(), folderFd, to.constData()) == 0;
}

} // namespace

PartialFile::~PartialFile()
{
    abandon(false);
}

bool PartialFile::create(int folderFd, const QString &name, Naming naming)
{
    abandon(false);
    m_folderFd = folderFd;
    m_name = QFile::encodeName(name);
    if (naming == Naming::Final) {
        m_fd.reset(createNew(folderFd, m_name));
        if (m_fd.isValid()) {
            m_partial = m_name;
            return true;
        }
        if (errno != EEXIST)
            return false;
        // The name is taken (a name the stream repeats): replaced when complete.
    }
    m_partial = takePartialName(m_name, [&](const QByteArray &partial) {
        m_fd.reset(createNew(folderFd, partial));
        return m_fd.isValid();
    });
    return m_fd.isValid();
}

QString PartialFile::partialName() const
{
    return QFile::decodeName(m_partial);
}

bool PartialFile::write(const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(m_fd.get(), data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

void PartialFile::setTimes(quint32 mtime)
{
    const timespec times[2] = { { time_t(mtime), 0 }, { time_t(mtime), 0 } };
    ::futimens(m_fd.get(), times);
}

void PartialFile::setReadOnly()
{
    struct stat st;
    if (::fstat(m_fd.get(), &st) == 0)
        ::fchmod(m_fd.get(), st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH));
}

PartialFile::Commit PartialFile::commit()
{
    m_fd.reset();
    const QByteArray partial = std::exchange(m_partial, QByteArray());
    if (partial == m_name)
        return Commit::Renamed; // made under its final name inside a partial folder
    if (::renameat(m_folderFd, partial.constData(), m_folderFd, m_name.constData()) == 0)
        return Commit::Renamed;
    // The final name is taken by something that cannot be replaced (a
    // folder): the data go beside it, without replacing anything there.
    const QByteArray aside = kAsidePrefix + m_name;
    if (::renameat2(m_folderFd, partial.constData(), m_folderFd, aside.constData(), RENAME_NOREPLACE) == 0)
        return Commit::RenamedAside;
    m_partial = partial; // for the notice
    return Commit::Kept;
}

void PartialFile::abandon(bool keep)
{
    if (!m_fd.isValid())
        return;
    m_fd.reset();
    const QByteArray partial = std::exchange(m_partial, QByteArray());
    if (keep && partial != m_name)
        return;
    if (keep && !takePartialName(m_name, [&](const QByteArray &to) { return renameNoReplace(m_folderFd, partial, to); })
                     .isEmpty())
        return;
    ::unlinkat(m_folderFd, partial.constData(), 0);
}

UniqueFd PartialFolder::create(int parentFd, const QString &name)
{
    m_parentFd = parentFd;
    m_name = QFile::encodeName(name);
    m_partial.clear();
    m_open = false;
    struct stat st;
    if (::fstatat(parentFd, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return UniqueFd();
    const QByteArray partial = takePartialName(
        m_name, [&](const QByteArray &candidate) { return ::mkdirat(parentFd, candidate.constData(), 0777) == 0; });
    if (partial.isEmpty())
        return UniqueFd();
    UniqueFd fd(::openat(parentFd, partial.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    m_open = fd.isValid();
    if (m_open)
        m_partial = partial;
    else
        ::unlinkat(parentFd, partial.constData(), AT_REMOVEDIR);
    return fd;
}

QString PartialFolder::partialName() const
{
    return QFile::decodeName(m_partial);
}

bool PartialFolder::commit()
{
    if (!std::exchange(m_open, false))
        return true;
    return renameNoReplace(m_parentFd, m_partial, m_name);
}

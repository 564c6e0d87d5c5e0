#include "net/PartialFile.h"

#include "net/FileReceiveJob.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kCreateTries = 16;

int createNew(int folderFd, const QByteArray &name)
{
    return ::openat(folderFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

} // namespace

PartialFile::~PartialFile()
{
    abandon(false);
}

bool PartialFile::create(int folderFd, const QString &name)
{
    abandon(false);
    m_folderFd = folderFd;
    m_name = QFile::encodeName(name);
    m_partial = m_name + kPartialSuffix;
    m_fd.reset(createNew(folderFd, m_partial));
    for (int i = 0; !m_fd.isValid() && errno == EEXIST && i < kCreateTries; ++i) {
        m_partial = m_name + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 16) + kPartialSuffix;
        m_fd.reset(createNew(folderFd, m_partial));
    }
    if (!m_fd.isValid())
        m_partial.clear();
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
    if (!keep)
        ::unlinkat(m_folderFd, m_partial.constData(), 0);
    m_partial.clear();
}

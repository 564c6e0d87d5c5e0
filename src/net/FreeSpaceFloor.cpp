#include "net/FreeSpaceFloor.h"

#include "net/PeerBounds.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <limits>
#include <sys/statvfs.h>

namespace {

std::optional<FreeSpaceFloor::Space> spaceOf(const QString &folder)
{
    // The folder may not exist yet: its file system is that of the nearest
    // folder above it that does.
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).absolutePath();
        if (up == path)
            return std::nullopt;
        path = up;
    }
    struct statvfs fs {};
    if (statvfs(QFile::encodeName(path).constData(), &fs) != 0 || fs.f_frsize == 0)
        return std::nullopt;
    return FreeSpaceFloor::Space { qint64(fs.f_blocks) * qint64(fs.f_frsize),
        qint64(fs.f_bavail) * qint64(fs.f_frsize) };
}

QElapsedTimer startedTimer()
{
    QElapsedTimer timer;
    timer.start();
    return timer;
}

} // namespace

FreeSpaceFloor::FreeSpaceFloor(const QString &folder)
    : m_probe([folder] { return spaceOf(folder); })
    , m_clock([timer = startedTimer()] { return timer.elapsed(); })
    , m_floor(MinimumFloor())
{
}

qint64 FreeSpaceFloor::MinimumFloor()
{
    static const qint64 floor = [] {
        bool ok = false;
        const qint64 set = qEnvironmentVariable("KWEL_FREE_SPACE_FLOOR").toLongLong(&ok);
        return ok && set >= 0 ? set : PeerBounds::kFreeSpaceFloorBytes;
    }();
    return floor;
}

qint64 FreeSpaceFloor::FloorOf(qint64 totalBytes)
{
    return qMax(MinimumFloor(), totalBytes / 100 * PeerBounds::kFreeSpaceFloorPercent);
}

void FreeSpaceFloor::look(qint64 now)
{
    m_looked = true;
    m_lookedAt = now;
    m_sinceLook = 0;
    const std::optional<Space> space = m_probe();
    if (!space) {
        m_room = std::numeric_limits<qint64>::max();
        return;
    }
    m_floor = FloorOf(space->total);
    m_room = space->available - m_floor;
}

bool FreeSpaceFloor::Admits(qint64 bytes)
{
    const qint64 now = m_clock();
    // Below the floor only time brings room back; above it, the file system
    // is asked again before this writer alone could pass the floor.
    if (!m_looked || now - m_lookedAt >= PeerBounds::kFreeSpaceCheckMs
        || (!m_below && m_sinceLook + bytes > qMin(m_room, PeerBounds::kFreeSpaceCheckBytes)))
        look(now);
    m_below = m_sinceLook + bytes > m_room;
    if (!m_below)
        m_sinceLook += bytes;
    return !m_below;
}

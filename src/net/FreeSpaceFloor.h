// Whether a writer of the data folder may write what a peer made it write:
// the file system must keep at least its floor free (kFreeSpaceFloorBytes,
// or kFreeSpaceFloorPercent of the file system, whichever is larger). The
// file system is asked (statvfs) only when what this writer wrote since it
// last asked could have used up the room it saw then (at most
// kFreeSpaceCheckBytes of it), or kFreeSpaceCheckMs after (others write
// too); below the floor once in that time. One object per writer, used on
// one thread.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class FreeSpaceFloor
{
public:
    struct Space
    {
        qint64 total = 0; // the size of the file system
        qint64 available = 0; // what this program may still write there
    };
    // The file system's sizes; none when they cannot be had (then writing
    // goes on and the file system is asked again later).
    using Probe = std::function<std::optional<Space>()>;
    // Milliseconds of a monotonic clock.
    using Clock = std::function<qint64()>;

    // Asks the file system that holds `folder` (or its nearest folder that
    // exists).
    explicit FreeSpaceFloor(const QString &folder);
    void setProbe(Probe probe) { m_probe = std::move(probe); }
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // The floor of a file system of that size.
    static qint64 FloorOf(qint64 totalBytes);
    // kFreeSpaceFloorBytes, or KWEL_FREE_SPACE_FLOOR (bytes) when it is set:
    // read once.
    static qint64 MinimumFloor();

    // True when `bytes` may be written now; counts them as written.
    bool Admits(qint64 bytes);
    // The last write asked for was refused (and nothing admitted since).
    bool isBelow() const { return m_below; }
    // The floor of the file system as last seen (MinimumFloor() before).
    qint64 floorBytes() const { return m_floor; }

private:
    void look(qint64 now);

    Probe m_probe;
    Clock m_clock;
    bool m_looked = false;
    bool m_below = false;
    qint64 m_lookedAt = 0;
    qint64 m_room = 0; // above the floor when last asked
    qint64 m_sinceLook = 0; // admitted since
    qint64 m_floor = 0;
};

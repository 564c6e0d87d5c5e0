#include "net/FreeSpaceFloor.h"
#include "net/PeerBounds.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

namespace {

constexpr qint64 kMiB = qint64(1) << 20;

// A file system the test fills and empties, and a clock it turns.
struct Disk
{
    Disk(qint64 total, qint64 free)
        : total(total)
        , used(total - free)
        , floor(QString())
    {
        floor.setProbe([this] {
            ++probes;
            return known ? std::optional(FreeSpaceFloor::Space { this->total, this->total - used }) : std::nullopt;
        });
        floor.setClock([this] { return now; });
    }
    // Writes what the floor admits; true when it did.
    bool write(qint64 bytes)
    {
        if (!floor.Admits(bytes))
            return false;
        used += bytes;
        return true;
    }

    qint64 total;
    qint64 used;
    qint64 now = 0;
    int probes = 0;
    bool known = true;
    FreeSpaceFloor floor;
};

} // namespace

TEST(FreeSpaceFloor, TheLargerOfTheMinimumAndOnePerCent)
{
    ASSERT_EQ(FreeSpaceFloor::MinimumFloor(), PeerBounds::kFreeSpaceFloorBytes) << "KWEL_FREE_SPACE_FLOOR is set";
    EXPECT_EQ(FreeSpaceFloor::FloorOf(qint64(8) << 30), 200 * kMiB);
    EXPECT_EQ(FreeSpaceFloor::FloorOf(qint64(100) << 30), (qint64(100) << 30) / 100);
}

TEST(FreeSpaceFloor, StopsAtTheFloorAskingRarelyAndResumesWithRoom)
{
    // 10 MiB above the floor of an 8 GiB disk, filled with 1 KB records.
    Disk d(qint64(8) << 30, 210 * kMiB);
    const qint64 floor = 200 * kMiB;
    int written = 0;
    while (d.write(1024))
        ++written;
    EXPECT_EQ(d.floor.floorBytes(), floor);
    EXPECT_TRUE(d.floor.isBelow());
    EXPECT_GE(d.total - d.used, floor) << "never past the floor";
    EXPECT_LT(d.total - d.used, floor + 1024) << "up to it";
    EXPECT_EQ(written, 10240);
    EXPECT_LE(d.probes, 14) << "about once a MiB, not once a record";

    // Below it, the file system is asked once a second, however much comes.
    const int before = d.probes;
    for (int i = 0; i < 5000; ++i)
        EXPECT_FALSE(d.write(1024));
    EXPECT_EQ(d.probes, before);
    d.used -= 5 * kMiB; // the user makes room
    EXPECT_FALSE(d.write(1024)) << "seen within the second, not at once";
    d.now += PeerBounds::kFreeSpaceCheckMs;
    EXPECT_TRUE(d.write(1024));
    EXPECT_FALSE(d.floor.isBelow());
    EXPECT_EQ(d.probes, before + 1);

    // Another program fills the disk: seen within a second.
    d.used = d.total - floor + 1;
    d.now += 10;
    EXPECT_TRUE(d.write(1024)) << "what was seen last still counts";
    d.now += PeerBounds::kFreeSpaceCheckMs;
    EXPECT_FALSE(d.write(1024));
    EXPECT_FALSE(d.floor.Admits(0)) << "no room at all";

    // A write larger than a check's step is judged against the whole room.
    d.used = d.total - floor - 60 * kMiB;
    d.now += PeerBounds::kFreeSpaceCheckMs;
    EXPECT_TRUE(d.write(50 * kMiB));
    EXPECT_FALSE(d.write(20 * kMiB));

    // A file system that cannot be asked is written to, and asked again.
    Disk unknown(0, 0);
    unknown.known = false;
    EXPECT_TRUE(unknown.write(1024));
    unknown.now += PeerBounds::kFreeSpaceCheckMs;
    EXPECT_TRUE(unknown.write(1024));
    EXPECT_EQ(unknown.probes, 2);
}

TEST(FreeSpaceFloor, AsksTheFileSystemOfTheFolderOrOfItsNearestParent)
{
    struct statvfs fs {};
    ASSERT_EQ(statvfs("/tmp", &fs), 0);
    FreeSpaceFloor floor(QStringLiteral("/tmp/kwel-no-such-folder/kwel"));
    floor.Admits(0);
    EXPECT_EQ(floor.floorBytes(), FreeSpaceFloor::FloorOf(qint64(fs.f_blocks) * qint64(fs.f_frsize)));
}

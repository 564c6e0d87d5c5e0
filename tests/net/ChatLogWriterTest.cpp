#include "net/ChatLogWriter.h"
#include "net/ChatLogReader.h"
#include "net/PeerBounds.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <atomic>
#include <mutex>

namespace {

ChatLogEntry peer(const QString &text)
{
    return ChatLogEntry { QStringLiteral("bob"), QStringLiteral("dev"), QStringLiteral("bob"), QStringLiteral("pc2"),
        QStringLiteral("001122334455"), 0x0A000002, 2425, {}, text };
}

QStringList texts(const QString &path)
{
    QStringList out;
    const auto r = ChatLogReader::ReadFile(path);
    if (!r || r->status != ChatLogReadStatus::Complete)
        return { QStringLiteral("<unreadable>") };
    for (const ChatLogEntry &e : r->records)
        out.append(e.text);
    return out;
}

} // namespace

TEST(ChatLogWriter, DateLineWhenTheDayChanges)
{
    const QString base = TestEnv::freshDir(QStringLiteral("chatlog-date"));
    QDateTime now(QDate(2024, 5, 1), QTime(23, 59, 58));
    {
        ChatLogWriter w(base);
        w.SetClock([&now] { return now; });
        w.LogChatMessage(peer(QStringLiteral("a")));
        now = now.addSecs(1);
        w.LogSentChatMessage(peer(QStringLiteral("me 23:59:59\n  b\n")));
        now = now.addSecs(2);
        w.LogChatMessage(peer(QStringLiteral("c")));
    }
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    EXPECT_EQ(path, base + QStringLiteral("/kwel/kwel.kwl"));
    EXPECT_EQ(texts(path),
        QStringList({ QString::fromUtf8("日期:2024-05-01\n"), QStringLiteral("bob 23:59:58\n  a\n"),
            QStringLiteral("me 23:59:59\n  b\n"), QString::fromUtf8("日期:2024-05-02\n"),
            QStringLiteral("bob 00:00:01\n  c\n") }));
    // The date line belongs to the peer of the record it opens, in the default font.
    const ChatLogEntry date = ChatLogReader::ReadFile(path)->records.at(3);
    EXPECT_EQ(date.macText, QStringLiteral("001122334455"));
    EXPECT_EQ(date.font, ChatFont::standard());
}

TEST(ChatLogWriter, DamagedTailIsCutOffBeforeTheNextAppend)
{
    const QString base = TestEnv::freshDir(QStringLiteral("chatlog-tail"));
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    const auto noon = [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0)); };
    {
        ChatLogWriter w(base);
        w.SetClock(noon);
        w.LogSentChatMessage(peer(QStringLiteral("one")));
    }
    const QByteArray good = TestEnv::readAll(path);
    const QByteArray half = ChatLogFormat::encodeRecord(peer(QStringLiteral("lost"))).first(30);
    ASSERT_TRUE(TestEnv::writeAll(path, good + half));
    {
        ChatLogWriter w(base);
        w.SetClock(noon);
        w.LogSentChatMessage(peer(QStringLiteral("two")));
    }
    const QString dateLine = QString::fromUtf8("日期:2024-05-01\n");
    // Every writer opens its first day with a date line.
    EXPECT_EQ(texts(path), QStringList({ dateLine, QStringLiteral("one"), dateLine, QStringLiteral("two") }));
    EXPECT_TRUE(TestEnv::readAll(path).startsWith(good));

    // A header cut by a crash is written again.
    ASSERT_TRUE(TestEnv::writeAll(path, QByteArray("KW")));
    ChatLogWriter w(base);
    w.LogSentChatMessage(peer(QStringLiteral("three")));
    w.Shutdown();
    EXPECT_EQ(texts(path).size(), 2);
    EXPECT_TRUE(TestEnv::readAll(path).startsWith(ChatLogFormat::encodeHeader()));
}

TEST(ChatLogWriter, WriteAtOnceFlushAndTheLoggingSwitch)
{
    const QString base = TestEnv::freshDir(QStringLiteral("chatlog-flush"));
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    ChatLogWriter w(base);
    w.SetChatLogWriteAtOnce(false);
    w.LogSentChatMessage(peer(QStringLiteral("held")));
    EXPECT_EQ(w.PendingCount(), 1);
    EXPECT_FALSE(w.IsChatLogWriterBusy());
    EXPECT_FALSE(QFile::exists(path));
    w.FlushChatLog();
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(texts(path).size(), 2);

    w.SetLoggingEnabled(false);
    w.LogSentChatMessage(peer(QStringLiteral("not logged")));
    EXPECT_EQ(w.PendingCount(), 0);
    // The program's switch reads the setting at every record.
    int setting = 1;
    w.SetLoggingSwitch([&setting] { return setting != 0; });
    w.LogSentChatMessage(peer(QStringLiteral("logged")));
    setting = 0;
    w.LogChatMessage(peer(QStringLiteral("switched off")));
    EXPECT_EQ(w.PendingCount(), 1);
    EXPECT_EQ(w.LastQueued(), 2u);
    w.FlushChatLog();
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(texts(path).size(), 3);
    w.SetLoggingEnabled(true);

    w.SetChatLogWriteAtOnce(true);
    w.LogSentChatMessage(peer(QStringLiteral("at once")));
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(texts(path).size(), 4);

    // A write that fails keeps its records for the next hand-over.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    w.LogSentChatMessage(peer(QStringLiteral("retry")));
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(w.PendingCount(), 1);
    ASSERT_TRUE(QDir().rmdir(path));
    w.FlushChatLog();
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(texts(path).size(), 2);
}

TEST(ChatLogWriter, ManyRecordsWhileTheWriterRunsAndTheExitDrain)
{
    const QString base = TestEnv::freshDir(QStringLiteral("chatlog-many"));
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    constexpr int kCount = 3000;
    {
        ChatLogWriter w(base);
        for (int i = 0; i < kCount; ++i) {
            if (i % 500 == 0)
                w.SetChatLogWriteAtOnce(i % 1000 == 0);
            w.LogSentChatMessage(peer(QString::number(i)));
            if (i % 97 == 0)
                w.FlushChatLog();
        }
        w.FlushChatLog();
        w.SetChatLogWriteAtOnce(false);
        for (int i = kCount; i < kCount + 50; ++i)
            w.LogSentChatMessage(peer(QString::number(i)));
        EXPECT_EQ(w.PendingCount(), 50);
    } // the destructor hands over the last 50 and waits for them
    const QStringList got = texts(path);
    ASSERT_EQ(got.size(), kCount + 51);
    for (int i = 0; i < kCount + 50; ++i)
        ASSERT_EQ(got[i + 1], QString::number(i));
}

TEST(ChatLogWriter, BelowTheFreeSpaceFloorRecordsArePassedOverAndCountAsWritten)
{
    const QString base = TestEnv::freshDir(QStringLiteral("chatlog-floor"));
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    const qint64 floorBytes = FreeSpaceFloor::MinimumFloor();
    std::atomic<qint64> available = floorBytes - 1;
    std::atomic<qint64> now = 0;
    FreeSpaceFloor floor(base);
    floor.setProbe([&] { return std::optional(FreeSpaceFloor::Space { qint64(1) << 30, available.load() }); });
    floor.setClock([&] { return now.load(); });

    ChatLogWriter w(base);
    w.SetFreeSpaceFloor(floor);
    w.SetClock([] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0)); });
    std::mutex m;
    quint64 reported = 0;
    QList<quint32> passedOver;
    qint64 told = 0;
    w.SetWrittenCallback([&](quint64 upTo) {
        std::lock_guard lock(m);
        reported = upTo;
    });
    w.SetPassedOverCallback([&](const QList<quint32> &addresses, qint64 floorSeen) {
        std::lock_guard lock(m);
        passedOver += addresses;
        told = floorSeen;
    });
    // Down to the floor from the start: not even a file is made.
    w.LogChatMessage(peer(QStringLiteral("lost")));
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_FALSE(QFile::exists(path));
    {
        std::lock_guard lock(m);
        EXPECT_EQ(reported, 1u) << "reported as written: its receipt leaves";
        EXPECT_EQ(passedOver, QList<quint32> { 0x0A000002 });
        EXPECT_EQ(told, floorBytes);
    }
    EXPECT_TRUE(w.IsPassingOver());

    // Room: written; the disk fills up again: passed over, nothing pending.
    available = floorBytes + (1 << 20);
    now += PeerBounds::kFreeSpaceCheckMs;
    w.LogChatMessage(peer(QStringLiteral("one")));
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_FALSE(w.IsPassingOver());
    available = floorBytes - 1;
    now += PeerBounds::kFreeSpaceCheckMs;
    w.SetChatLogWriteAtOnce(false);
    w.LogChatMessage(peer(QStringLiteral("two")));
    w.LogSentChatMessage(peer(QStringLiteral("three")));
    w.SetChatLogWriteAtOnce(true);
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    EXPECT_EQ(w.PendingCount(), 0);
    {
        std::lock_guard lock(m);
        EXPECT_EQ(reported, 4u);
        EXPECT_EQ(passedOver.size(), 3);
    }
    // Writing resumes once the file system is asked again and has room.
    available = floorBytes + (1 << 20);
    w.LogChatMessage(peer(QStringLiteral("four")));
    ASSERT_TRUE(w.WaitUntilIdle(10000));
    now += PeerBounds::kFreeSpaceCheckMs;
    w.LogChatMessage(peer(QStringLiteral("five")));
    w.Shutdown();
    EXPECT_EQ(texts(path),
        QStringList({ QString::fromUtf8("日期:2024-05-01\n"), QStringLiteral("bob 12:00:00\n  one\n"),
            QStringLiteral("bob 12:00:00\n  five\n") }));
}

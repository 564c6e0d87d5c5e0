#include "net/ChatLogRewrite.h"

#include "TestEnv.h"
#include "core/Gbk.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace {

ChatLogEntry of(const QString &user, const QString &mac, quint32 address, const QString &text)
{
    ChatLogEntry e;
    e.userName = user;
    e.groupName = QStringLiteral("我的好友");
    e.loginName = user;
    e.hostName = user + QStringLiteral("-pc");
    e.macText = mac;
    e.address = address;
    e.port = 2425;
    e.text = text;
    return e;
}

const ChatLogEntry kAnn = of(QStringLiteral("ann"), QStringLiteral("00AA00000001"), 0x0A000001, QString());
const ChatLogEntry kBob = of(QStringLiteral("鲍勃"), QStringLiteral("00AA00000002"), 0x0A000002, QString());
const ChatLogEntry kCat = of(QStringLiteral("cat"), QString(), 0x0A000003, QString());

struct Log
{
    QString base;
    QString path;
    QDateTime now { QDate(2024, 6, 1), QTime(8, 0) };

    explicit Log(const QString &name)
        : base(TestEnv::freshDir(name))
        , path(ChatLogWriter::ChatLogPathIn(base))
    {
    }

    // Writes the records through the program's writer; a null entry moves to the next day.
    void write(const QList<std::optional<ChatLogEntry>> &records)
    {
        ChatLogWriter writer(base);
        writer.SetClock([this] { return now; });
        for (const std::optional<ChatLogEntry> &r : records) {
            if (r)
                writer.LogSentChatMessage(*r);
            else
                now = now.addDays(1);
        }
        writer.Shutdown();
    }
};

std::optional<ChatLogEntry> with(ChatLogEntry e, const QString &text)
{
    e.text = text;
    return e;
}

bool isBob(const ChatLogPeer &p)
{
    return p.macText == QByteArray("00AA00000002");
}

// The bytes of every record of the data, by text.
QList<QByteArray> recordBytes(const QByteArray &data)
{
    const ChatLogIndex index = ChatLogIndex::Build(data);
    QList<QByteArray> out;
    for (qsizetype i = 0; i < index.recordCount(); ++i)
        out.append(data.mid(index.recordOffset(i), index.recordEnd(i) - index.recordOffset(i)));
    return out;
}

} // namespace

TEST(ChatLogRewrite, RemovingOnePeerKeepsEveryOtherRecordByteForByte)
{
    Log log(QStringLiteral("rewrite-one"));
    log.write({ with(kAnn, QStringLiteral("a1")), with(kBob, QStringLiteral("b1")), with(kCat, QStringLiteral("c1")),
        std::nullopt, with(kCat, QStringLiteral("c2")), with(kBob, QStringLiteral("b2")), with(kAnn, QStringLiteral("a2")) });
    // A cut record at the end stays as it is.
    QByteArray before = TestEnv::readAll(log.path) + QByteArray("\x01\x00\x00\x00\x10", 5);
    ASSERT_TRUE(TestEnv::writeAll(log.path, before));

    const ChatLogRewrite::Result result = ChatLogRewrite::RemoveRecords(log.path, isBob);
    ASSERT_EQ(result.status, ChatLogRewrite::Status::Done);
    EXPECT_EQ(result.removed, 2);
    const QByteArray after = TestEnv::readAll(log.path);
    EXPECT_EQ(after.left(4), before.left(4));
    EXPECT_TRUE(after.endsWith(QByteArray("\x01\x00\x00\x00\x10", 5)));
    QList<QByteArray> expected = recordBytes(before);
    expected.removeIf([](const QByteArray &r) {
        const auto e = ChatLogReader::ParseRecord(r);
        return e && e->macText == QStringLiteral("00AA00000002");
    });
    EXPECT_EQ(recordBytes(after), expected);
    EXPECT_FALSE(QFile::exists(ChatLogRewrite::TemporaryPath(log.path)));

    // Nothing of that peer left: the file is not touched again.
    const ChatLogRewrite::Result again = ChatLogRewrite::RemoveRecords(log.path, isBob);
    EXPECT_EQ(again.status, ChatLogRewrite::Status::Done);
    EXPECT_EQ(again.removed, 0);
    EXPECT_EQ(TestEnv::readAll(log.path), after);
}

TEST(ChatLogRewrite, ADateLineOfARemovedPeerStaysForTheRecordsOfItsDay)
{
    Log log(QStringLiteral("rewrite-date"));
    // The second day's date line carries Bob's fields (his record opened it).
    log.write({ with(kAnn, QStringLiteral("a1")), std::nullopt, with(kBob, QStringLiteral("b1")),
        with(kAnn, QStringLiteral("a2")) });
    ASSERT_EQ(ChatLogRewrite::RemoveRecords(log.path, isBob).status, ChatLogRewrite::Status::Done);
    const auto read = ChatLogReader::ReadFile(log.path);
    ASSERT_TRUE(read);
    QStringList texts;
    for (const ChatLogEntry &e : read->records)
        texts.append(e.userName + QLatin1Char(':') + e.text);
    EXPECT_EQ(texts, QStringList({ QStringLiteral("ann:日期:2024-06-01\n"), QStringLiteral("ann:a1"),
                         QStringLiteral("ann:日期:2024-06-02\n"), QStringLiteral("ann:a2") }));
    EXPECT_EQ(ChatLogIndex::Build(TestEnv::readAll(log.path)).recordDay(3), QDate(2024, 6, 2));
}

TEST(ChatLogRewrite, AFailedWriteLeavesTheLogWhole)
{
    Log log(QStringLiteral("rewrite-fail"));
    log.write({ with(kAnn, QStringLiteral("a1")), with(kBob, QStringLiteral("b1")) });
    const QByteArray before = TestEnv::readAll(log.path);
    // The temporary file cannot be made: a folder stands in its place.
    ASSERT_TRUE(QDir().mkpath(ChatLogRewrite::TemporaryPath(log.path)));
    const ChatLogRewrite::Result result = ChatLogRewrite::RemoveRecords(log.path, isBob);
    EXPECT_EQ(result.status, ChatLogRewrite::Status::CannotWrite);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(TestEnv::readAll(log.path), before);
    EXPECT_EQ(ChatLogRewrite::RemoveRecords(log.path + QStringLiteral("x"), isBob).status,
        ChatLogRewrite::Status::CannotRead);
}

TEST(ChatLogRewriteDeathTest, AKillDuringTheRewriteLeavesAReadableLog)
{
    // The child forked at the call shares the log's path with this process.
    GTEST_FLAG_SET(death_test_style, "fast");
    Log log(QStringLiteral("rewrite-kill"));
    QList<std::optional<ChatLogEntry>> records;
    const QString text(600, QChar(0x6587)); // 1200 bytes of GBK
    for (int i = 0; i < 3000; ++i)
        records.append(with(i % 3 ? kAnn : kBob, text + QString::number(i)));
    log.write(records);
    const QByteArray before = TestEnv::readAll(log.path);
    ASSERT_GT(before.size(), 3 * 1024 * 1024);
    // The process dies with the temporary file half written.
    EXPECT_EXIT(ChatLogRewrite::RemoveRecords(log.path, isBob,
                    [](qint64 written) {
                        if (written > 1024 * 1024)
                            std::raise(SIGKILL);
                    }),
        testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(TestEnv::readAll(log.path), before);
    EXPECT_GT(QFile(ChatLogRewrite::TemporaryPath(log.path)).size(), 512 * 1024) << "half written";
    // The next rewrite takes the leftover file's place.
    const ChatLogRewrite::Result result = ChatLogRewrite::RemoveRecords(log.path, isBob);
    ASSERT_EQ(result.status, ChatLogRewrite::Status::Done);
    EXPECT_EQ(result.removed, 1001); // Bob's records and the date line his first one opened
    const auto read = ChatLogReader::ReadFile(log.path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, ChatLogReadStatus::Complete);
    EXPECT_EQ(read->records.size(), 2001); // the date line and Ann's 2000
}

TEST(ChatLogRewrite, TheWriterHeldMeanwhileAppendsAfterwardsToTheNewFile)
{
    Log log(QStringLiteral("rewrite-hold"));
    ChatLogWriter writer(log.base);
    writer.LogSentChatMessage(with(kAnn, QStringLiteral("a1")).value());
    writer.LogSentChatMessage(with(kBob, QStringLiteral("b1")).value());
    ASSERT_TRUE(writer.WaitUntilIdle(5000));
    ASSERT_TRUE(writer.Hold(5000));
    EXPECT_TRUE(writer.isHeld());
    // A record queued meanwhile waits, also when it is handed over.
    writer.LogSentChatMessage(with(kAnn, QStringLiteral("a2")).value());
    writer.FlushChatLog();
    EXPECT_EQ(writer.PendingCount(), 1);
    ASSERT_EQ(ChatLogRewrite::RemoveRecords(log.path, isBob).status, ChatLogRewrite::Status::Done);
    writer.Release();
    EXPECT_FALSE(writer.isHeld());
    ASSERT_TRUE(writer.WaitUntilIdle(5000));
    writer.Shutdown();
    const auto read = ChatLogReader::ReadFile(log.path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->status, ChatLogReadStatus::Complete);
    QStringList texts;
    for (const ChatLogEntry &e : read->records) {
        if (!e.text.startsWith(QStringLiteral("日期:")))
            texts.append(e.text);
    }
    EXPECT_EQ(texts, QStringList({ QStringLiteral("a1"), QStringLiteral("a2") }));
}

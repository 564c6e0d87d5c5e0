#include "net/ChatLogIndex.h"
#include "net/ChatLogFormat.h"

#include "TestEnv.h"
#include "core/Gbk.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

ChatLogEntry entry(const QString &user, const QString &mac, quint32 address, const QString &text)
{
    ChatLogEntry e;
    e.userName = user;
    e.groupName = QStringLiteral("研发部");
    e.loginName = user.toLower();
    e.hostName = user + QStringLiteral("-pc");
    e.macText = mac;
    e.address = address;
    e.port = 2425;
    e.text = text;
    return e;
}

// A log written by the program's own writer over two days.
QString writeLog(const QString &name)
{
    const QString base = TestEnv::freshDir(name);
    QDateTime now(QDate(2024, 5, 1), QTime(9, 0));
    ChatLogWriter writer(base);
    writer.SetClock([&now] { return now; });
    const ChatLogEntry a = entry(QStringLiteral("张三"), QStringLiteral("001122334455"), 0xC0A80102, QString());
    const ChatLogEntry b = entry(QStringLiteral("Bob"), QString(), 0x0A000003, QString());
    for (int i = 0; i < 5; ++i) {
        ChatLogEntry e = (i % 2) ? b : a;
        e.text = QStringLiteral("第%1条 /:) /~#>000003e8<B~").arg(i);
        writer.LogChatMessage(e);
        if (i == 2)
            now = now.addDays(1);
    }
    writer.Shutdown();
    return ChatLogWriter::ChatLogPathIn(base);
}

QByteArray rawText(const QByteArray &bytes)
{
    QByteArray out;
    char n[4];
    qToLittleEndian(quint32(bytes.size()), n);
    out.append(n, 4);
    return out + bytes;
}

// A record with raw name bytes (the writer would cut them).
QByteArray rawRecord(const QByteArray &user, const QByteArray &text)
{
    QByteArray out("\x01\x00\x00\x00\x00\x00\x00\x00", 8);
    out += rawText(user) + rawText("g") + rawText("login") + rawText("host") + rawText("00AABBCCDDEE");
    out += QByteArray("\x0A\x00\x00\x07", 4); // 10.0.0.7
    out += QByteArray("\x79\x09\x00\x00", 4);
    out += QByteArray("\x01\x00\x00\x00\x00", 5); // colour only
    return out + rawText(text);
}

} // namespace

TEST(ChatLogIndex, AgreesWithTheReaderOnALogOfTheWriter)
{
    const QString path = writeLog(QStringLiteral("index-writer"));
    const QByteArray data = TestEnv::readAll(path);
    const ChatLogReadResult read = ChatLogReader::Parse(data);
    ASSERT_EQ(read.status, ChatLogReadStatus::Complete);
    // Windows far smaller than a record make the walk map again and again.
    for (const qint64 window : { ChatLogIndex::kDefaultWindow, qint64(1), qint64(37) }) {
        SCOPED_TRACE(window);
        const std::optional<ChatLogIndex> index = ChatLogIndex::BuildFromFile(path, {}, nullptr, window);
        ASSERT_TRUE(index);
        ASSERT_EQ(index->recordCount(), read.records.size());
        EXPECT_FALSE(index->truncated());
        EXPECT_EQ(index->endOffset(), data.size());
        ASSERT_EQ(index->peers().size(), 2);
        EXPECT_EQ(Gbk::decode(index->peers()[0].userName), QStringLiteral("张三"));
        EXPECT_EQ(index->peers()[0].address, 0xC0A80102u);
        EXPECT_EQ(index->peers()[1].macText, QByteArray());
        for (qsizetype i = 0; i < index->recordCount(); ++i) {
            const QByteArray bytes = data.mid(index->recordOffset(i), index->recordEnd(i) - index->recordOffset(i));
            const std::optional<ChatLogEntry> parsed = ChatLogReader::ParseRecord(bytes);
            ASSERT_TRUE(parsed);
            EXPECT_EQ(*parsed, read.records[i]);
            EXPECT_EQ(Gbk::decode(index->peers()[index->recordPeer(i)].userName), read.records[i].userName);
        }
        // Records 0 and 4 are date lines; the second day starts at record 4.
        EXPECT_TRUE(index->isDateLine(0));
        EXPECT_FALSE(index->isDateLine(1));
        EXPECT_EQ(index->recordDay(3), QDate(2024, 5, 1));
        EXPECT_TRUE(index->isDateLine(4));
        EXPECT_EQ(index->recordDay(5), QDate(2024, 5, 2));
    }
}

TEST(ChatLogIndex, ACutLastRecordKeepsTheRecordsBeforeIt)
{
    const QString path = writeLog(QStringLiteral("index-torn"));
    QByteArray data = TestEnv::readAll(path);
    const qsizetype whole = ChatLogIndex::Build(data).recordCount();
    data.chop(3);
    ASSERT_TRUE(TestEnv::writeAll(path, data));
    for (const qint64 window : { ChatLogIndex::kDefaultWindow, qint64(16) }) {
        const std::optional<ChatLogIndex> index = ChatLogIndex::BuildFromFile(path, {}, nullptr, window);
        ASSERT_TRUE(index);
        EXPECT_EQ(index->recordCount(), whole - 1);
        EXPECT_TRUE(index->truncated());
        EXPECT_EQ(index->endOffset(), index->recordEnd(index->recordCount() - 1));
        EXPECT_EQ(index->endOffset(), ChatLogReader::Parse(data).endOffset);
    }
    // Files of three bytes or fewer hold nothing.
    EXPECT_EQ(ChatLogIndex::Build(QByteArray("abc")).recordCount(), 0);
    EXPECT_EQ(ChatLogIndex::Build(QByteArray()).recordCount(), 0);
    EXPECT_FALSE(ChatLogIndex::BuildFromFile(path + QStringLiteral(".missing")));
}

TEST(ChatLogIndex, PeersAreTheFieldsAsRead)
{
    // Two different names of 50 bytes or more both read as empty: one peer.
    // A NUL ends a name as the reader decodes it.
    QByteArray data("KWL\x01", 4);
    data += rawRecord(QByteArray(50, 'a'), "one");
    data += rawRecord(QByteArray(60, 'b'), "two");
    data += rawRecord(QByteArray("ann\0xx", 6), "three");
    data += rawRecord("ann", "four");
    const ChatLogIndex index = ChatLogIndex::Build(data);
    ASSERT_EQ(index.recordCount(), 4);
    ASSERT_EQ(index.peers().size(), 2);
    EXPECT_TRUE(index.peers()[0].userName.isEmpty());
    EXPECT_EQ(index.peers()[0].address, 0x0A000007u);
    EXPECT_EQ(index.recordPeer(1), 0);
    EXPECT_EQ(index.peers()[1].userName, QByteArray("ann"));
    EXPECT_EQ(index.recordPeer(3), 1);
    // No date line: no day.
    EXPECT_FALSE(index.recordDay(2).isValid());
    // The progress reaches the end; a cancelled walk gives nothing.
    const QString path = TestEnv::freshDir(QStringLiteral("index-raw")) + QStringLiteral("/log.kwl");
    ASSERT_TRUE(TestEnv::writeAll(path, data));
    qint64 last = -1;
    ASSERT_TRUE(ChatLogIndex::BuildFromFile(path, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, data.size());
        last = done;
    }));
    EXPECT_EQ(last, data.size());
    const std::atomic<bool> cancel { true };
    EXPECT_FALSE(ChatLogIndex::BuildFromFile(path, {}, &cancel));
}

namespace {

// Everything an index says, for comparing two of them.
QStringList describe(const ChatLogIndex &index)
{
    QStringList out;
    for (const ChatLogPeer &p : index.peers())
        out.append(QString::fromLatin1(p.userName.toHex() + '/' + p.macText) + QString::number(p.address));
    for (qsizetype i = 0; i < index.recordCount(); ++i)
        out.append(QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(index.recordOffset(i))
                       .arg(index.recordEnd(i))
                       .arg(index.recordPeer(i))
                       .arg(index.recordDay(i).toString(Qt::ISODate))
                       .arg(index.isDateLine(i)));
    out.append(QStringLiteral("end %1 of %2").arg(index.endOffset()).arg(index.fileSize()));
    return out;
}

} // namespace

TEST(ChatLogIndex, SeveralThreadsFindTheSameRecordsAsOneWalk)
{
    const QString base = TestEnv::freshDir(QStringLiteral("index-threads"));
    QDateTime now(QDate(2024, 5, 1), QTime(9, 0));
    {
        ChatLogWriter writer(base);
        writer.SetClock([&now] { return now; });
        for (int i = 0; i < 6000; ++i) {
            ChatLogEntry e = entry(QStringLiteral("用户%1").arg(i % 37), QStringLiteral("00AA000000%1").arg(i % 37, 2, 10,
                QLatin1Char('0')), 0x0A000000u + quint32(i % 37), QStringLiteral("第%1条消息/:)").arg(i));
            if (i % 500 == 0)
                now = now.addDays(1);
            if (i == 3000)
                e.text = QString(20000, QLatin1Char('x')); // one long record
            writer.LogChatMessage(e);
        }
    }
    const QString path = ChatLogWriter::ChatLogPathIn(base);
    QByteArray data = TestEnv::readAll(path);
    const QStringList one = describe(*ChatLogIndex::BuildFromFile(path, {}, nullptr, ChatLogIndex::kDefaultWindow, 1));
    ASSERT_EQ(one, describe(ChatLogIndex::Build(data)));
    for (const int threads : { 2, 3, 7, 16 }) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(describe(*ChatLogIndex::BuildFromFile(path, {}, nullptr, 4096, threads)), one);
    }
    // A cut last record; tags the writer does not write (no part finds a
    // start: one walk does it all).
    data.chop(5);
    ASSERT_TRUE(TestEnv::writeAll(path, data));
    const QStringList cut = describe(ChatLogIndex::Build(data));
    EXPECT_EQ(describe(*ChatLogIndex::BuildFromFile(path, {}, nullptr, 4096, 5)), cut);
    const ChatLogIndex index = ChatLogIndex::Build(data);
    for (qsizetype i = 0; i < index.recordCount(); ++i)
        data[index.recordOffset(i)] = '\x07';
    ASSERT_TRUE(TestEnv::writeAll(path, data));
    EXPECT_EQ(describe(*ChatLogIndex::BuildFromFile(path, {}, nullptr, 4096, 4)), cut);
}

TEST(ChatLogIndex, ATextThatLooksLikeRecordsDoesNotFoolTheThreads)
{
    // In the middle of the file a record whose text holds 3000 encoded
    // records: a part that starts inside it finds them and ends at the next
    // true record, but the part before ends past its start: one walk goes on.
    const QString path = TestEnv::freshDir(QStringLiteral("index-fake")) + QStringLiteral("/kwel.kwl");
    QByteArray fake;
    for (int i = 0; i < 3000; ++i) {
        ChatLogEntry e = entry(QStringLiteral("fake"), QString(), 0x0A000063, QStringLiteral("x%1").arg(i));
        e.groupName = e.hostName = e.loginName = QStringLiteral("f");
        fake += ChatLogFormat::encodeRecord(e);
    }
    ASSERT_LT(fake.size(), ChatLogFormat::kMaxTextBytes);
    QByteArray data = ChatLogFormat::encodeHeader();
    for (int i = 0; i < 200; ++i)
        data += ChatLogFormat::encodeRecord(entry(QStringLiteral("ann"), QString(), 1, QStringLiteral("a%1").arg(i)));
    data += ChatLogFormat::encodeRecord(entry(QStringLiteral("host"), QString(), 2, QString::fromLatin1(fake)));
    for (int i = 0; i < 200; ++i)
        data += ChatLogFormat::encodeRecord(entry(QStringLiteral("bob"), QString(), 3, QStringLiteral("b%1").arg(i)));
    ASSERT_TRUE(TestEnv::writeAll(path, data));
    const QStringList one = describe(ChatLogIndex::Build(data));
    ASSERT_EQ(ChatLogIndex::Build(data).recordCount(), 401);
    for (const int threads : { 2, 3, 4 })
        EXPECT_EQ(describe(*ChatLogIndex::BuildFromFile(path, {}, nullptr, 4096, threads)), one) << threads;
}

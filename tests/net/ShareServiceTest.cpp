#include "net/ShareService.h"
#include "TestEnv.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/Password.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/LoopbackNet.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"
#include "net/ShareList.h"

#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

QString makeFile(const QString &path, const QByteArray &data = "data")
{
    TestEnv::writeAll(path, data);
    return QFileInfo(path).canonicalFilePath();
}

// A share folder with a.txt, b.txt and the folder "docs", stored with ids 3, 9, 12.
struct Shares
{
    Shares()
        : dir(TestEnv::freshDir(QStringLiteral("shares")))
        , config(dir + QStringLiteral("/kwel.ini"))
    {
        QDir(dir).mkdir(QStringLiteral("docs"));
        a = makeFile(dir + QStringLiteral("/a.txt"));
        b = makeFile(dir + QStringLiteral("/b.txt"), "more data");
        docs = QFileInfo(dir + QStringLiteral("/docs")).canonicalFilePath();
        config.FileShareInfo = ShareList::BuildStored({ { 3, a }, { 9, b }, { 12, docs } });
    }
    QString item(int id, const QString &path) const
    {
        return QStringLiteral("%1_%2").arg(id).arg(ShareList::RequestTime(QFileInfo(path).lastModified()));
    }
    QStringList resolve(const QString &body, bool rights = false) const
    {
        return ShareService::ResolveDownload(config, body.toLatin1(), rights);
    }

    QString dir;
    CConfig config;
    QString a, b, docs;
};

} // namespace

TEST(ShareList, ReceivedEntriesAreCheckedFieldByField)
{
    const auto entries = ShareList::ParseReceived(
        u("7::a.txt::1::123::2008-01-02 03:04:05||7::a.txt::1::123||8::docs::0::0::2008-01-02 03:04:05||"
          "9::x::1::-5::2008-01-02 03:04:05||10::y::1::5::2008-02-30 01:02:03||11::../../etc::1::5::2009-1-2 3:4:5"));
    ASSERT_EQ(entries.size(), 3u) << "four fields, a negative size and 30 February are skipped";
    EXPECT_EQ(entries[0].id, 7);
    EXPECT_EQ(entries[0].name, QStringLiteral("a.txt"));
    EXPECT_TRUE(entries[0].file);
    EXPECT_EQ(entries[0].size, 123);
    EXPECT_EQ(entries[0].modified, QDateTime(QDate(2008, 1, 2), QTime(3, 4, 5)));
    EXPECT_FALSE(entries[1].file);
    EXPECT_EQ(entries[2].name, QStringLiteral("../../etc")) << "kept to be shown; a download names the id";
    EXPECT_TRUE(ShareList::ParseReceived(QString()).empty());

    // Names are bounded, and what we build reads back.
    const auto longName
        = ShareList::ParseReceived(QStringLiteral("1::%1::1::1::2020-01-01 00:00:00").arg(QString(400, u'x')));
    ASSERT_EQ(longName.size(), 1u);
    EXPECT_EQ(longName[0].name.size(), ShareList::kNameChars);
    const auto again = ShareList::ParseReceived(ShareList::BuildReceived(entries));
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[2].modified, entries[2].modified);
}

TEST(ShareList, RequestsWithAndWithoutPassword)
{
    const std::vector<ShareList::RequestItem> items { { 3, QStringLiteral("08:05") }, { 9, QStringLiteral("17:30") } };
    EXPECT_EQ(ShareList::BuildRequest({}, items), QByteArray("3_08:05;9_17:30"));
    EXPECT_EQ(ShareList::BuildRequest("pw", items), QByteArray("pw||3_08:05;9_17:30"));

    const auto parsed = ShareList::ParseRequest("pw||3_08:05;9_17:30;junk;4_1_2");
    EXPECT_TRUE(parsed.hasPassword);
    EXPECT_EQ(parsed.password, QByteArray("pw"));
    EXPECT_EQ(parsed.items, items);
    EXPECT_FALSE(ShareList::ParseRequest("a||b||3_08:05").wellFormed);
    EXPECT_FALSE(ShareList::ParseRequest("3_08:05").hasPassword);

    // The request stays below 16384 bytes, cut at an item.
    std::vector<ShareList::RequestItem> many(3000, { 123456, QStringLiteral("12:34") });
    const QByteArray big = ShareList::BuildRequest("pw", many);
    EXPECT_LT(big.size(), ShareList::kTextBytes);
    EXPECT_TRUE(big.endsWith("12:34"));
}

TEST(ShareList, StoredListRefusesPathsItCannotHold)
{
    EXPECT_EQ(ShareList::CheckStorablePath(u("/home/u/文件")), ShareList::PathProblem::None);
    EXPECT_EQ(ShareList::CheckStorablePath(u("/home/u/a::b")), ShareList::PathProblem::Separator);
    EXPECT_EQ(ShareList::CheckStorablePath(u("/home/u/a||b")), ShareList::PathProblem::Separator);
    EXPECT_EQ(ShareList::CheckStorablePath(u("/home/u/😀")), ShareList::PathProblem::NotGbk);

    const auto stored = ShareList::ParseStored(u("1::/a||bad||2::/b::c||x::/d||3::/e"));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].id, 3);
    // Entries that would pass 16383 bytes are not written.
    std::vector<ShareList::StoredShare> many(2000, { 1, QStringLiteral("/some/long/path/name") });
    EXPECT_LE(Gbk::byteLength(ShareList::BuildStored(many)), ShareList::kTextBytes - 1);
}

TEST(SharePassword, HighCharactersAndScrambledCarriageReturnsVerify)
{
    Shares s;
    // Characters above 127 cannot be unscrambled: they verify by scrambling.
    s.config.FileSharePwd = ScrambleForField(u("密码")).value();
    EXPECT_TRUE(VerifyScrambledPassword(u("密码"), s.config.FileSharePwd));
    EXPECT_FALSE(VerifyScrambledPassword(u("密吗"), s.config.FileSharePwd));
    // A long password verifies against its cut stored form.
    const QString longPw(48, u'长');
    EXPECT_TRUE(VerifyScrambledPassword(longPw, ScrambleForField(longPw).value()));

    // 'r' scrambles to CR, which the packet layer drops.
    s.config.FileSharePwd = ScrambleForField(u("are")).value();
    ASSERT_TRUE(s.config.FileSharePwd.contains('\r'));
    EXPECT_TRUE(ShareService::PasswordMatches(s.config, PacketCodec::StripCarriageReturns(s.config.FileSharePwd)));
    EXPECT_FALSE(ShareService::PasswordMatches(s.config, ScrambleForField(u("ate")).value()));
    // A password that is nothing but CR after scrambling is never opened by an empty text.
    s.config.FileSharePwd = ScrambleForField(u("rr")).value();
    EXPECT_FALSE(ShareService::PasswordMatches(s.config, QByteArray()));
}

TEST(ShareService, DownloadsAreRefusedUnlessEveryRuleHolds)
{
    Shares s;
    const QString both = s.item(3, s.a) + QLatin1Char(';') + s.item(12, s.docs);
    EXPECT_EQ(s.resolve(both), (QStringList { s.a, s.docs })) << "no password set";
    EXPECT_EQ(s.resolve(s.item(3, s.a) + QLatin1Char(';') + s.item(3, s.a)), QStringList { s.a }) << "once each";

    s.config.FileSharePwd = ScrambleForField(u("secret")).value();
    const QString pw = QString::fromLatin1(s.config.FileSharePwd);
    EXPECT_TRUE(s.resolve(both).isEmpty()) << "no \"||\"";
    EXPECT_TRUE(s.resolve(QString::fromLatin1(ScrambleForField(u("wrong")).value()) + QStringLiteral("||") + both).isEmpty());
    EXPECT_TRUE(s.resolve(QStringLiteral("||") + both).isEmpty()) << "an empty password";
    EXPECT_TRUE(s.resolve(pw + QStringLiteral("||x||") + both).isEmpty()) << "three parts";
    EXPECT_EQ(s.resolve(pw + QStringLiteral("||") + both).size(), 2);
    EXPECT_EQ(s.resolve(both, true).size(), 2) << "the group may see shares without it";

    // Wrong time, a stale id, an id that is not shared.
    const QString ok = pw + QStringLiteral("||");
    EXPECT_TRUE(s.resolve(ok + QStringLiteral("3_99:99")).isEmpty());
    EXPECT_TRUE(s.resolve(ok + QStringLiteral("77_") + s.item(3, s.a).mid(2)).isEmpty());
    s.config.FileShareInfo = ShareList::BuildStored({ { 9, s.b } });
    EXPECT_TRUE(s.resolve(ok + s.item(3, s.a)).isEmpty()) << "no longer in the list";

    // The shared file replaced by a link to a file outside the share.
    const QString outside = makeFile(TestEnv::freshDir(QStringLiteral("outside")) + QStringLiteral("/secret.txt"));
    const QString item = s.item(9, s.b);
    ASSERT_TRUE(QFile::remove(s.b));
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(s.b).constData()), 0);
    EXPECT_TRUE(s.resolve(ok + item).isEmpty());
    EXPECT_FALSE(ShareService::Inspect(s.b));
    EXPECT_TRUE(ShareService::CurrentShares(s.config).empty()) << "nor is it listed";
}

TEST(ShareService, AnswersListRequestsBehindThePassword)
{
    Shares s;
    s.config.FileSharePwd = ScrambleForField(u("secret")).value();
    CNetManager net;
    ASSERT_TRUE(TestNet::openLoopback(net));
    MessengerEngine engine(s.config, net);
    ShareService service(engine);
    QUdpSocket peer;
    ASSERT_TRUE(peer.bind(QHostAddress(QHostAddress::LocalHost), 0));
    OwnHeader h;
    h.userName = QStringLiteral("li");
    h.hostName = QStringLiteral("li-pc");
    quint32 number = 100;
    const auto ask = [&](quint32 command, const QByteArray &body) -> QList<PacketRecord> {
        peer.writeDatagram(PacketCodec::BuildPacket(h, ++number, command, body), QHostAddress::LocalHost, net.port());
        QList<PacketRecord> got;
        for (int i = 0; i < 30 && got.isEmpty(); ++i) {
            QTest::qWait(10);
            while (peer.hasPendingDatagrams()) {
                const QNetworkDatagram d = peer.receiveDatagram();
                PacketRecord p;
                if (PacketCodec::ParsePacket(d.data(), 0x7F000001, quint16(d.senderPort()), p) == PacketStatus::Ok)
                    got.append(p);
            }
        }
        return got;
    };
    // Lists go to listed peers only: the peer announces itself.
    ask(CMD_ANNOUNCE_ENTRY, "li");
    auto first = ask(CMD_GET_SHARE_LIST, {});
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0].command(), CMD_SHARE_LIST);
    EXPECT_EQ(first[0].body, QByteArray(ShareList::kNeedPassword));
    auto wrong = ask(CMD_GET_SHARE_LIST_PASSWORD, ScrambleForField(u("guess")).value());
    ASSERT_EQ(wrong.size(), 1);
    EXPECT_EQ(wrong[0].body, QByteArray(ShareList::kWrongPassword));
    auto right = ask(CMD_GET_SHARE_LIST_PASSWORD, ScrambleForField(u("secret")).value());
    ASSERT_EQ(right.size(), 1);
    const auto listed = ShareList::ParseReceived(right[0].bodyText());
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].name, QStringLiteral("docs"));
    EXPECT_FALSE(listed[2].file);
    EXPECT_TRUE(ask(CMD_GET_ALL_SHARES, {}).isEmpty()) << "shares behind the password are not listed to all";

    s.config.FileSharePwd.clear();
    QTest::qWait(1000); // a list goes to a peer once a second at most
    auto all = ask(CMD_GET_ALL_SHARES, {});
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].command(), CMD_ALL_SHARES);
    // A download request of a peer that is not listed is not served.
    engine.RemoveAllHosts();
    QSignalSpy approved(&service, &ShareService::downloadApproved);
    ask(CMD_SHARE_DOWNLOAD, s.item(3, s.a).toLatin1());
    EXPECT_EQ(approved.count(), 0);
}

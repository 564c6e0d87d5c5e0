#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"
#include "net/LoopbackNet.h"
#include "TestEnv.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr quint32 kLoopback = 0x7F000001;
const QString kOwnMac = QStringLiteral("00163E0A0B0C");

QString u(const char *s) { return QString::fromUtf8(s); }

// A peer on loopback that sends hand-made packets to the engine and collects
// what the engine sends back (its broadcasts included).
class Probe
{
public:
    Probe()
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    }
    quint16 port() const { return socket.localPort(); }

    void send(const QByteArray &packet, quint16 to) { socket.writeDatagram(packet, QHostAddress(kLoopback), to); }

    // Runs the event loop (the engine works in it) and gathers packets until
    // none has arrived for a short while; a loaded machine gets up to five
    // seconds for the first atLeast packets.
    QList<PacketRecord> collect(int quietMs = 150, int atLeast = 0)
    {
        QList<PacketRecord> out;
        int quiet = 0;
        int total = 0;
        while (quiet < quietMs || (out.size() < atLeast && total < 5000)) {
            QTest::qWait(10);
            quiet += 10;
            total += 10;
            while (socket.hasPendingDatagrams()) {
                quiet = 0;
                const QNetworkDatagram d = socket.receiveDatagram();
                PacketRecord p;
                if (PacketCodec::ParsePacket(d.data(), kLoopback, quint16(d.senderPort()), p) == PacketStatus::Ok)
                    out.append(p);
            }
        }
        return out;
    }

    QByteArray entry(quint32 number, const QString &login, const QString &nick, const QString &group,
        quint32 status = 0, quint32 cmd = CMD_ANNOUNCE_ENTRY) const
    {
        OwnHeader h;
        h.userName = login;
        h.hostName = QStringLiteral("probe-pc");
        h.macText = QStringLiteral("AABBCCDDEEFF");
        h.statusBits = status;
        return PacketCodec::BuildTextPacket(h, number, cmd, nick, group);
    }

    QUdpSocket socket;
};

struct Fixture
{
    Fixture()
        : config(TestEnv::freshDir(QStringLiteral("engine")) + QStringLiteral("/kwel.ini"))
    {
        config.IPMsgCompatible = 1;
        config.NICKNAMESTR_STR = u("小王");
        config.GROUPNAMESTR_STR = u("研发部");
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.broadcastTargets = {QHostAddress(QHostAddress::LocalHost)};
        o.broadcastPort = probe.port();
        EXPECT_TRUE(TestNet::openAnyPort(net, o));
        net.setOwnIdentity(kLoopback, kOwnMac);
        engine = std::make_unique<MessengerEngine>(config, net);
        engine->setIdentity(QStringLiteral("wang"), QStringLiteral("wang-pc"));
    }

    // Lets the engine read what the probe sent.
    void settle(int ms = 100) { QTest::qWait(ms); }

    CConfig config;
    Probe probe;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
};

QList<quint32> commands(const QList<PacketRecord> &packets)
{
    QList<quint32> out;
    for (const PacketRecord &p : packets)
        out.append(p.commandWord);
    return out;
}

TEST(MessengerEngine, AnnouncesPresenceWithOwnNameGroupAndBits)
{
    Fixture f;
    f.engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
    const auto sent = f.probe.collect();
    ASSERT_EQ(sent.size(), 1);
    const PacketRecord &p = sent.first();
    EXPECT_EQ(p.command(), CMD_ANNOUNCE_ENTRY);
    EXPECT_TRUE(p.hasOption(OPT_FILE_ATTACH)) << "the TCP socket exists";
    EXPECT_EQ(p.bodyText(), u("小王"));
    EXPECT_EQ(p.extensionText(), u("研发部"));
    EXPECT_EQ(p.extVersion, 1);
    EXPECT_EQ(p.macText, kOwnMac);
    EXPECT_EQ(p.key.loginName(), QStringLiteral("wang"));

    // Away: the option bit and the away title in the name.
    f.config.AwayState = 1;
    f.config.AwayIndex = 0;
    f.config.AwayNames[0] = u("开会");
    f.engine->AnnouncePresence(CMD_ANNOUNCE_STATUS);
    const auto away = f.probe.collect();
    ASSERT_EQ(away.size(), 1);
    EXPECT_TRUE(away.first().hasOption(OPT_ABSENCE));
    EXPECT_EQ(away.first().bodyText(), u("小王[开会]"));
}

TEST(MessengerEngine, PlainPeersAreToldToForgetAHiddenOrIncompatibleUser)
{
    Fixture f;
    f.config.IPMsgCompatible = 0;
    f.engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
    EXPECT_EQ(commands(f.probe.collect()),
        (QList<quint32>{CMD_ANNOUNCE_ENTRY | OPT_FILE_ATTACH, CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY | OPT_FILE_ATTACH}));

    // Hidden: the status field says so, and the peers kept in a group that
    // may see us get the visible-to list, once per announcement sent.
    f.config.IPMsgCompatible = 1;
    f.config.StatusValue = OwnStatus::Hidden;
    UserGroupRecord friends = InitUserGroupRecord(u("同事"));
    friends.visibleWhenHidden = 1;
    f.config.MemberGroups = {friends, InitUserGroupRecord(u("其他"))};
    f.config.RebuildGroupIndex();
    f.config.memoGroupNames.insert(QStringLiteral("111111111111"), u("同事"));
    f.config.memoGroupNames.insert(QStringLiteral("222222222222"), u("其他"));
    f.engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
    const auto sent = f.probe.collect();
    ASSERT_EQ(sent.size(), 4);
    EXPECT_EQ(sent[0].statusBits, OwnStatus::Hidden);
    EXPECT_EQ(sent[1].commandWord & ~OPT_FILE_ATTACH, CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY);
    EXPECT_EQ(sent[2].commandWord, CMD_EXT_ANNOUNCE);
    EXPECT_EQ(sent[2].bodyText(), u("小王@##~@研发部@##~@111111111111#"));
    EXPECT_EQ(sent[3].commandWord, CMD_EXT_ANNOUNCE);
    // Without a nick name the list names the host, where the entry names the login.
    f.config.NICKNAMESTR_STR.clear();
    f.engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
    const auto unnamed = f.probe.collect();
    ASSERT_EQ(unnamed.size(), 4);
    EXPECT_EQ(unnamed[0].bodyText(), QStringLiteral("wang"));
    EXPECT_EQ(unnamed[2].bodyText(), u("wang-pc@##~@研发部@##~@111111111111#"));

    // Under the all-blacklist switch everybody sees the user as hidden.
    f.config.StatusValue = 0;
    f.config.AllBlackList = 1;
    f.engine->AnnouncePresence(CMD_ANNOUNCE_ENTRY);
    EXPECT_EQ(f.probe.collect().first().statusBits, 0xFFFFFFFFu);
}

TEST(MessengerEngine, EntryIsRecordedAndAnsweredExitRemoves)
{
    Fixture f;
    QSignalSpy added(f.engine.get(), &MessengerEngine::hostAdded);
    QSignalSpy removed(f.engine.get(), &MessengerEngine::hostRemoved);
    f.probe.send(f.probe.entry(100, QStringLiteral("li"), u("老李"), u("销售部")), f.net.port());
    const auto answers = f.probe.collect();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().command(), CMD_ANSWER_ENTRY);
    EXPECT_EQ(answers.first().bodyText(), u("小王"));
    ASSERT_EQ(added.size(), 1);
    HostRecord *host = f.engine->FindHost(kLoopback, f.probe.port());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->nickName, u("老李"));
    EXPECT_EQ(host->groupName, u("销售部"));
    EXPECT_EQ(host->keyText, QStringLiteral("AABBCCDDEEFF"));
    EXPECT_EQ(host->customGroup, u("我的好友"));
    EXPECT_EQ(host->extension, 1);

    // A status change updates the same record; the same datagram twice
    // (broadcast and directed broadcast) is handled once.
    QSignalSpy updated(f.engine.get(), &MessengerEngine::hostUpdated);
    const QByteArray away = f.probe.entry(101, QStringLiteral("li"), u("老李[外出]"), u("销售部"), 0,
        CMD_ANNOUNCE_STATUS | OPT_ABSENCE);
    f.probe.send(away, f.net.port());
    f.probe.send(away, f.net.port());
    f.settle();
    EXPECT_EQ(updated.size(), 1);
    EXPECT_EQ(f.engine->hostTable().Count(), 1);
    EXPECT_TRUE(host->statusBits & HostRecord::StatusAway);

    f.probe.send(f.probe.entry(102, QStringLiteral("li"), {}, {}, 0, CMD_ANNOUNCE_EXIT), f.net.port());
    f.settle();
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(f.engine->hostTable().Count(), 0);
}

TEST(MessengerEngine, PlainPeerIsListedAndGetsPlainAnswers)
{
    Fixture f;
    f.probe.send(PacketCodec::BuildPlainPacket(QStringLiteral("ipmsg"), QStringLiteral("old-pc"), 7,
                     CMD_ANNOUNCE_ENTRY, "Old Timer", "Group"),
        f.net.port());
    const auto answers = f.probe.collect();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().command(), CMD_ANSWER_ENTRY);
    EXPECT_EQ(answers.first().protocolVersion, 1) << "plain peers read the leading number";
    HostRecord *host = f.engine->FindHost(kLoopback, f.probe.port());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->extension, 0);
    EXPECT_EQ(host->displayName, QStringLiteral("Old Timer"));
}

// The probe listed as 老李: the header its messages go under.
OwnHeader listProbe(Fixture &f)
{
    f.probe.send(f.probe.entry(1, QStringLiteral("li"), u("老李"), {}), f.net.port());
    f.probe.collect();
    OwnHeader h;
    h.userName = QStringLiteral("li");
    h.hostName = QStringLiteral("probe-pc");
    return h;
}

TEST(MessengerEngine, ReceiptForEveryCopyMessageShownOnce)
{
    Fixture f;
    const OwnHeader h = listProbe(f);
    QSignalSpy messages(f.engine.get(), &MessengerEngine::messageReceived);
    const QByteArray msg = PacketCodec::BuildTextPacket(h, 4242, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("你好"));
    f.probe.send(msg, f.net.port());
    f.probe.send(msg, f.net.port()); // the receipt was lost: the sender tries again
    const auto receipts = f.probe.collect();
    ASSERT_EQ(receipts.size(), 2);
    for (const PacketRecord &r : receipts) {
        EXPECT_EQ(r.command(), CMD_MESSAGE_RECEIVED);
        EXPECT_EQ(r.bodyText(), QStringLiteral("4242"));
    }
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first().at(0).value<PacketRecord>().bodyText(), u("你好"));

    // A sender the host table does not list is greeted with our entry so
    // that it answers, and its message is dropped without a receipt (and
    // counted); its resend after its entry is shown.
    QSignalSpy refused(f.engine.get(), &MessengerEngine::refused);
    OwnHeader stranger = h;
    stranger.userName = QStringLiteral("new");
    Probe other;
    const QByteArray first = PacketCodec::BuildTextPacket(stranger, 9, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("你好"));
    other.send(first, f.net.port());
    EXPECT_EQ(commands(other.collect()), QList<quint32>{CMD_ANNOUNCE_ENTRY | OPT_FILE_ATTACH});
    EXPECT_EQ(messages.size(), 1);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.first().at(0).value<PeerRefusal>(), PeerRefusal::MessageUnlisted);
    // A flood of them gets one introduction a second, no more.
    for (int i = 0; i < 20; ++i)
        other.send(PacketCodec::BuildTextPacket(stranger, 100 + i, CMD_SEND_MESSAGE, u("x")), f.net.port());
    EXPECT_TRUE(other.collect().isEmpty());
    EXPECT_EQ(messages.size(), 1);
    other.send(other.entry(2, QStringLiteral("new"), u("新人"), {}), f.net.port());
    other.collect();
    other.send(first, f.net.port());
    EXPECT_EQ(commands(other.collect()), QList<quint32>{CMD_MESSAGE_RECEIVED});
    EXPECT_EQ(messages.size(), 2);
}

// A copy is the same sender's message of the same number and text: packets
// of other kinds forged with a peer's next numbers, and other senders'
// traffic between a message and its resend, change nothing.
TEST(MessengerEngine, OnlyTheSendersOwnMessageMakesACopy)
{
    Fixture f;
    const OwnHeader h = listProbe(f);
    QSignalSpy messages(f.engine.get(), &MessengerEngine::messageReceived);
    const auto message = [&](quint32 number, const char *text) {
        return PacketCodec::BuildTextPacket(h, number, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u(text));
    };
    // Empty packets from the peer's address and port with its next numbers.
    for (quint32 n = 500; n < 520; ++n)
        f.probe.send(PacketCodec::BuildPacket(h, n, 0, {}), f.net.port());
    f.probe.collect();
    for (quint32 n = 500; n < 505; ++n)
        f.probe.send(message(n, "在吗"), f.net.port());
    EXPECT_EQ(f.probe.collect(150, 5).size(), 5);
    EXPECT_EQ(messages.size(), 5);
    // Another text under a number already shown is another message; its
    // own resend is a copy.
    f.probe.send(message(505, "第一"), f.net.port());
    f.probe.send(message(505, "第二"), f.net.port());
    f.probe.send(message(505, "第二"), f.net.port());
    EXPECT_EQ(commands(f.probe.collect(150, 3)), QList<quint32>(3, CMD_MESSAGE_RECEIVED));
    EXPECT_EQ(messages.size(), 7);

    // 300 packets of other senders between a message and its resend.
    f.probe.send(message(600, "开会"), f.net.port());
    f.probe.collect(150, 1);
    // (Another port of the same address, listed: its messages do not push
    // the first port's out of the address's share.)
    Probe others;
    others.send(others.entry(2, QStringLiteral("zhang"), u("老张"), {}), f.net.port());
    others.collect();
    OwnHeader o = h;
    o.userName = QStringLiteral("zhang");
    for (quint32 n = 600; n < 900; ++n)
        others.send(PacketCodec::BuildPacket(o, n, n % 2 ? CMD_SEND_MESSAGE : 0, "x"), f.net.port());
    others.collect(150, 150);
    const qsizetype before = messages.size();
    f.probe.send(message(600, "开会"), f.net.port());
    EXPECT_EQ(commands(f.probe.collect(150, 1)), QList<quint32>{CMD_MESSAGE_RECEIVED});
    EXPECT_EQ(messages.size(), before);

    // Any other packet is handled once when it comes again byte for byte,
    // and a different one of the same number is handled.
    QSignalSpy receipts(f.engine.get(), &MessengerEngine::receiptArrived);
    const QByteArray receipt = PacketCodec::BuildTextPacket(h, 700, CMD_MESSAGE_RECEIVED, QStringLiteral("11"));
    f.probe.send(receipt, f.net.port());
    f.probe.send(receipt, f.net.port());
    f.probe.send(PacketCodec::BuildTextPacket(h, 700, CMD_MESSAGE_RECEIVED, QStringLiteral("12")), f.net.port());
    f.probe.collect();
    EXPECT_EQ(receipts.size(), 2);
}

TEST(MessengerEngine, ReadNoticesReceiptsAndRequests)
{
    Fixture f;
    QSignalSpy read(f.engine.get(), &MessengerEngine::readNoticeArrived);
    QSignalSpy receipts(f.engine.get(), &MessengerEngine::receiptArrived);
    OwnHeader h;
    h.userName = QStringLiteral("li");
    h.hostName = QStringLiteral("probe-pc");
    const auto notice = [&](Probe &from, quint32 number, const QByteArray &body) {
        from.send(PacketCodec::BuildPacket(h, number, CMD_MESSAGE_OPENED | OPT_READ_CHECK, body), f.net.port());
    };
    // A notice for no message of ours, from an address we asked nothing of,
    // is not echoed: our echo would prove requests forged in our name.
    notice(f.probe, 5, "77");
    f.probe.send(PacketCodec::BuildTextPacket(h, 6, CMD_MESSAGE_RECEIVED, QStringLiteral("78")), f.net.port());
    f.probe.send(PacketCodec::BuildTextPacket(h, 7, CMD_GET_ABSENCE_INFO, {}), f.net.port());
    auto answers = f.probe.collect(150, 1);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].command(), CMD_SEND_ABSENCE_INFO);
    EXPECT_EQ(answers[0].bodyText(), QStringLiteral("Not absence mode"));
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read.first().at(1).toUInt(), 77u);
    ASSERT_EQ(receipts.size(), 1);
    EXPECT_EQ(receipts.first().at(1).toUInt(), 78u);

    // The peer's notice for a message we sent asking for it is echoed, by
    // the notice's packet number, not by its body; a second notice within
    // the second is not, whatever it holds.
    const HostKey probe(QString(), QString(), kLoopback, f.probe.port());
    ASSERT_TRUE(f.net.SendTextToHost(probe, CMD_SEND_MESSAGE | OPT_READ_CHECK | OPT_SECRET, QStringLiteral("hi")));
    const auto sent = f.probe.collect(150, 1);
    ASSERT_EQ(sent.size(), 1);
    notice(f.probe, 8, PacketCodec::FormatNumber(sent[0].packetNumber));
    notice(f.probe, 9, PacketCodec::FormatNumber(sent[0].packetNumber));
    answers = f.probe.collect(150, 1);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].command(), CMD_ANSWER_READ);
    EXPECT_EQ(answers[0].bodyText(), QStringLiteral("8"));

    // A challenge (its number as body and packet number) from an address we
    // asked something of is echoed: our request goes on.
    Probe other;
    notice(other, 4242, "4242");
    EXPECT_TRUE(other.collect(150).isEmpty()) << "not asked yet";
    ASSERT_TRUE(f.net.SendNumber(HostKey(QString(), QString(), kLoopback, other.port()), CMD_GET_PICTURE, 0));
    other.collect(150, 1);
    notice(other, 4343, "4343");
    answers = other.collect(150, 1);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].command(), CMD_ANSWER_READ);
    EXPECT_EQ(answers[0].bodyText(), QStringLiteral("4343"));
}

// Two copies: the target challenges share password requests, naming each
// request after the challenge's body; the victim echoes such a challenge only
// for a password request it sent, once, also right after another echo, and
// never because it asked the target for something else.
TEST(MessengerEngine, ChallengesThatNameARequestAreEchoedOnlyForOurOwnOnce)
{
    Fixture victim, target;
    QSignalSpy dispatched(target.engine.get(), &MessengerEngine::packetDispatched);
    const HostKey toTarget(QString(), QString(), kLoopback, target.net.port());
    const HostKey toVictim(QString(), QString(), kLoopback, victim.net.port());
    const auto arrived = [&](quint32 command) {
        QList<PacketRecord> out;
        for (const QList<QVariant> &args : dispatched)
            if (args.at(0).value<PacketRecord>().command() == command)
                out.append(args.at(0).value<PacketRecord>());
        return out;
    };
    const auto echoed = [&](quint32 number) {
        const QList<PacketRecord> echoes = arrived(CMD_ANSWER_READ);
        return std::any_of(echoes.cbegin(), echoes.cend(), [&](const PacketRecord &p) { return EchoedPacketNumber(p) == number; });
    };
    // The victim's password request as the target got it: its number.
    const auto request = [&]() -> quint32 {
        const qsizetype before = arrived(CMD_GET_SHARE_LIST_PASSWORD).size();
        if (!victim.net.SendToHost(toTarget, CMD_GET_SHARE_LIST_PASSWORD, "pw"))
            return 0;
        for (int i = 0; i < 500 && arrived(CMD_GET_SHARE_LIST_PASSWORD).size() == before; ++i)
            QTest::qWait(10);
        const QList<PacketRecord> got = arrived(CMD_GET_SHARE_LIST_PASSWORD);
        return got.size() > before ? got.last().packetNumber : 0;
    };
    const auto waitEcho = [&](quint32 number) {
        for (int i = 0; i < 500 && !echoed(number); ++i)
            QTest::qWait(10);
        return echoed(number);
    };

    // The challenge names the request after its body, the number in both
    // body and packet number, where plain peers read it.
    Probe plain;
    const std::optional<quint32> number
        = target.engine->ChallengeRequest(HostKey(QString(), QString(), kLoopback, plain.port()), 0x80000005u);
    ASSERT_TRUE(number);
    const QList<PacketRecord> got = plain.collect(150, 1);
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].commandWord, CMD_MESSAGE_OPENED | OPT_READ_CHECK);
    EXPECT_EQ(got[0].packetNumber, *number);
    EXPECT_EQ(EchoedPacketNumber(got[0]), *number);
    EXPECT_EQ(ChallengedRequest(got[0]), 0x80000005u);

    // The victim asked the target for its picture; then the target
    // challenges password requests the victim never sent (one numbered 0),
    // sends a challenge that names no request (the picture request explains
    // it), and challenges the victim's own password request twice.
    ASSERT_TRUE(victim.net.SendNumber(toTarget, CMD_GET_PICTURE, 0));
    const std::optional<quint32> forged = target.engine->ChallengeRequest(toVictim, 4242);
    const std::optional<quint32> zero = target.engine->ChallengeRequest(toVictim, 0);
    ASSERT_TRUE(target.net.SendNumber(toVictim, CMD_MESSAGE_OPENED | OPT_READ_CHECK, 777));
    const quint32 own = request();
    ASSERT_NE(own, 0u);
    const std::optional<quint32> first = target.engine->ChallengeRequest(toVictim, own);
    const std::optional<quint32> again = target.engine->ChallengeRequest(toVictim, own);
    const quint32 next = request();
    const std::optional<quint32> last = target.engine->ChallengeRequest(toVictim, next);
    ASSERT_TRUE(forged && zero && first && again && last);

    // Its own requests' challenges are echoed, each right after another
    // echo (they take no turn of the short answers), and once.
    ASSERT_TRUE(waitEcho(*first));
    ASSERT_TRUE(waitEcho(*last));
    EXPECT_FALSE(echoed(*forged)) << "a request it never sent, though it asked the target for a picture";
    EXPECT_FALSE(echoed(*zero));
    EXPECT_FALSE(echoed(*again)) << "a request's challenge is echoed once";
    EXPECT_EQ(arrived(CMD_ANSWER_READ).size(), 3) << "the challenge that names no request is echoed as before";
}

// Packet numbers echoed in a body are written as the header writes them
// ("%ld"): a Windows peer whose numbers have passed 2^31 finds its own number
// in our receipts, read notices and releases. Both forms are read.
TEST(MessengerEngine, EchoedPacketNumbersAreSignedLikeTheHeader)
{
    Fixture f;
    OwnHeader h;
    h.userName = QStringLiteral("li");
    h.hostName = QStringLiteral("win-pc");
    const QByteArray msg = PacketCodec::BuildTextPacket(h, 0x80000001u, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("你好"));
    ASSERT_TRUE(msg.contains(":-2147483647:li:")) << "the header carries the number signed";
    f.probe.send(f.probe.entry(1, QStringLiteral("li"), u("老李"), {}), f.net.port());
    f.probe.collect();
    f.probe.send(msg, f.net.port());
    auto answers = f.probe.collect(); // the receipt
    ASSERT_FALSE(answers.isEmpty());
    EXPECT_EQ(answers.first().command(), CMD_MESSAGE_RECEIVED);
    EXPECT_EQ(answers.first().body, QByteArray("-2147483647"));

    // The release of an offer and a read notice go through the same helper.
    HostRecord peer;
    peer.key = HostKey(QStringLiteral("li"), QStringLiteral("win-pc"), kLoopback, f.probe.port());
    f.net.SendNumber(peer, CMD_RELEASE_FILES, 0xFFFFFFFEu);
    f.net.SendNumber(peer.key, CMD_MESSAGE_OPENED | OPT_READ_CHECK, 0x7FFFFFFFu);
    answers = f.probe.collect();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].body, QByteArray("-2"));
    EXPECT_EQ(answers[1].body, QByteArray("2147483647"));

    // Read back signed, and unsigned as older copies wrote it.
    QSignalSpy receipts(f.engine.get(), &MessengerEngine::receiptArrived);
    f.probe.send(PacketCodec::BuildTextPacket(h, 101, CMD_MESSAGE_RECEIVED, QStringLiteral("-2147483647")), f.net.port());
    f.probe.send(PacketCodec::BuildTextPacket(h, 102, CMD_MESSAGE_RECEIVED, QStringLiteral("2147483649")), f.net.port());
    f.probe.collect();
    ASSERT_EQ(receipts.size(), 2);
    EXPECT_EQ(receipts[0].at(1).toUInt(), 0x80000001u);
    EXPECT_EQ(receipts[1].at(1).toUInt(), 0x80000001u);
}

// Requests for the program file and the picture library stay unanswered and
// reach no handler, from listed and unknown peers alike.
TEST(MessengerEngine, ProgramFileRequestsStayUnanswered)
{
    Fixture f;
    QSignalSpy dispatched(f.engine.get(), &MessengerEngine::packetDispatched);
    f.probe.send(f.probe.entry(1, QStringLiteral("li"), u("小李"), u("研发部")), f.net.port());
    f.probe.collect();
    OwnHeader h;
    h.userName = QStringLiteral("li");
    h.hostName = QStringLiteral("probe-pc");
    f.probe.send(PacketCodec::BuildTextPacket(h, 2, CMD_GET_PROGRAM, {}), f.net.port());
    f.probe.send(PacketCodec::BuildTextPacket(h, 3, CMD_GET_GDIPLUS, {}), f.net.port());
    h.userName = QStringLiteral("stranger");
    f.probe.send(PacketCodec::BuildTextPacket(h, 4, CMD_GET_PROGRAM, {}), f.net.port());
    EXPECT_TRUE(f.probe.collect().isEmpty());
    EXPECT_EQ(dispatched.size(), 0);
}

TEST(MessengerEngine, AdmissionHookAndRestrictedHostsConsumePackets)
{
    Fixture f;
    int asked = 0;
    f.engine->setAdmissionHook([&](const PacketRecord &p) {
        ++asked;
        return p.command() == CMD_ANNOUNCE_ENTRY;
    });
    f.probe.send(f.probe.entry(1, QStringLiteral("li"), u("老李"), {}), f.net.port());
    EXPECT_TRUE(f.probe.collect().isEmpty());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.engine->hostTable().Count(), 0);

    f.engine->setRestrictedFilter([](quint32) { return true; });
    f.probe.send(f.probe.entry(2, QStringLiteral("li"), u("老李"), {}, 0, CMD_ANSWER_ENTRY), f.net.port());
    f.settle();
    EXPECT_EQ(asked, 1) << "restricted senders never reach admission";
}

TEST(MessengerEngine, VisibleToListRecordsOnlyWhenItNamesUs)
{
    Fixture f;
    // The list is ignored when it comes from the own address: the probe must
    // not look like us.
    f.net.setOwnIdentity(0x0A000001, kOwnMac);
    OwnHeader h;
    h.userName = QStringLiteral("hid");
    h.hostName = QStringLiteral("hid-pc");
    Probe hidden;
    const QString longName = QString(30, QChar(0x738B)); // 60 GBK bytes
    hidden.send(PacketCodec::BuildTextPacket(h, 1, CMD_EXT_ANNOUNCE,
                    longName + QStringLiteral("@##~@G@##~@111111111111#") + kOwnMac + QStringLiteral("#")),
        f.net.port());
    hidden.send(PacketCodec::BuildTextPacket(h, 2, CMD_EXT_ANNOUNCE, QStringLiteral("x@##~@G@##~@111111111111#")),
        f.net.port());
    f.settle();
    ASSERT_EQ(f.engine->hostTable().Count(), 1);
    HostRecord *host = f.engine->FindHost(kLoopback, hidden.port());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(Gbk::byteLength(host->nickName), 48) << "cut to at most 49 bytes on a character boundary";
    EXPECT_EQ(host->groupName, QStringLiteral("G"));
}

} // namespace

TEST(MessengerEngine, HostTableBoundedByAddressAndInAllWithAFairSharePerAddress)
{
    Fixture f;
    QSignalSpy removed(f.engine.get(), &MessengerEngine::hostRemoved);
    QSignalSpy refused(f.engine.get(), &MessengerEngine::refused);
    const auto add = [&](quint32 address, quint16 port) {
        PacketRecord p;
        p.key = HostKey(QStringLiteral("u%1").arg(port), QStringLiteral("pc"), address, port);
        return f.engine->AddOrUpdateHost(p, CMD_ANNOUNCE_ENTRY, QStringLiteral("n"), QString(), 1, 1, 0, QString(), 0, 0);
    };
    AnswerBudget &budget = f.engine->answerBudget();
    const auto prove = [&](quint32 address) {
        const qint64 now = PeerRateLimiter::Now();
        budget.Echo(address, budget.Challenge(address, now).value_or(0), now);
    };
    // The ports of one address.
    constexpr quint32 many = 0x0A000001;
    for (quint16 port = 1; port <= PeerBounds::kHostsPerAddress; ++port)
        ASSERT_NE(add(many, port), nullptr);
    EXPECT_EQ(add(many, 999), nullptr);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused.last().at(0).value<PeerRefusal>(), PeerRefusal::HostTableFull);
    EXPECT_NE(add(many, 1), nullptr) << "a listed port is updated as ever";

    // In all: once full, a sender no one proved gets no place...
    quint32 address = 0x0A010000;
    while (f.engine->hostTable().Count() < PeerBounds::kHosts)
        ASSERT_NE(add(++address, 2425), nullptr);
    const quint32 latest = address;
    EXPECT_EQ(add(0x0A020001, 2425), nullptr);
    EXPECT_EQ(f.engine->hostTable().Count(), PeerBounds::kHosts);
    EXPECT_TRUE(removed.isEmpty());

    // ...and one that echoed our challenge takes the place of the latest
    // record of the address that holds the most; the peers of one record
    // stay, and the views hear of the record dropped.
    const quint32 proven = 0x0A020002;
    prove(proven);
    ASSERT_NE(add(proven, 2425), nullptr);
    EXPECT_EQ(f.engine->hostTable().Count(), PeerBounds::kHosts);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_FALSE(removed.first().at(1).toBool()) << "no offline notice for a record dropped";
    EXPECT_EQ(f.engine->FindHost(many, PeerBounds::kHostsPerAddress), nullptr);
    EXPECT_EQ(f.engine->hostTable().CountAt(many), PeerBounds::kHostsPerAddress - 1);
    EXPECT_NE(f.engine->FindHost(latest, 2425), nullptr);

    // The two share what the full table gives them; then a proven address
    // as full as the fullest gives up its own latest record.
    quint16 port = 2425;
    while (f.engine->hostTable().CountAt(proven) < f.engine->hostTable().CountAt(many))
        ASSERT_NE(add(proven, ++port), nullptr);
    EXPECT_EQ(f.engine->hostTable().CountAt(proven), PeerBounds::kHostsPerAddress / 2);
    const qsizetype before = removed.size();
    ASSERT_NE(add(proven, 3000), nullptr);
    EXPECT_EQ(removed.size(), before + 1);
    EXPECT_EQ(f.engine->FindHost(proven, port), nullptr);
    EXPECT_EQ(f.engine->hostTable().CountAt(proven), PeerBounds::kHostsPerAddress / 2);
    EXPECT_EQ(f.engine->hostTable().CountAt(many), PeerBounds::kHostsPerAddress / 2);
    EXPECT_NE(f.engine->FindHost(latest, 2425), nullptr);

    // When every address holds one record, the latest one no one proved goes.
    for (HostRecord *h = f.engine->hostTable().LatestAt(many); f.engine->hostTable().CountAt(many) > 1;
         h = f.engine->hostTable().LatestAt(many))
        f.engine->RemoveHost(h);
    for (HostRecord *h = f.engine->hostTable().LatestAt(proven); f.engine->hostTable().CountAt(proven) > 1;
         h = f.engine->hostTable().LatestAt(proven))
        f.engine->RemoveHost(h);
    while (f.engine->hostTable().Count() < PeerBounds::kHosts)
        ASSERT_NE(add(++address, 2425), nullptr);
    prove(address); // the latest record now belongs to a proven address
    const quint32 other = 0x0A030001;
    prove(other);
    ASSERT_NE(add(other, 2425), nullptr);
    EXPECT_NE(f.engine->FindHost(address, 2425), nullptr);
    EXPECT_EQ(f.engine->FindHost(address - 1, 2425), nullptr);
    EXPECT_EQ(f.engine->hostTable().MostAtOneAddress(), 1);
}

// One address, a new source port for every entry: the ports its records
// hold are answered, the rest together only so many a second; its listed
// peers and other addresses are answered as ever.
TEST(MessengerEngine, NewPortsOfOneAddressBuyNoNewAnswers)
{
    Fixture f;
    QSignalSpy refused(f.engine.get(), &MessengerEngine::refused);
    const auto rateRefusals = [&](quint32 address) {
        qsizetype n = 0;
        for (const QList<QVariant> &r : refused)
            n += r.at(0).value<PeerRefusal>() == PeerRefusal::AnswerRate && r.at(1).toUInt() == address;
        return n;
    };
    constexpr quint32 forged = 0x0A0B0C0D;
    constexpr int kPorts = 200;
    for (int i = 0; i < kPorts; ++i) {
        const quint16 port = quint16(30000 + i);
        f.engine->HandleDatagram(f.probe.entry(quint32(i + 1), QStringLiteral("u%1").arg(port), u("某人"), {}),
            forged, port);
    }
    EXPECT_EQ(f.engine->hostTable().CountAt(forged), PeerBounds::kHostsPerAddress);
    EXPECT_EQ(rateRefusals(forged), kPorts - PeerBounds::kHostsPerAddress - PeerBounds::kStrangerAnswersPerSecond);

    const qsizetype before = rateRefusals(forged);
    f.engine->HandleDatagram(f.probe.entry(900, QStringLiteral("x"), u("某人"), {}, 0, CMD_GET_INFO), forged, 30001);
    EXPECT_EQ(rateRefusals(forged), before) << "a listed port is answered";
    f.engine->HandleDatagram(f.probe.entry(901, QStringLiteral("x"), u("某人"), {}, 0, CMD_GET_INFO), forged, 40000);
    EXPECT_EQ(rateRefusals(forged), before + 1) << "another new port is not";
    f.engine->HandleDatagram(f.probe.entry(902, QStringLiteral("x"), u("某人"), {}, 0, CMD_GET_INFO), forged + 1, 40000);
    EXPECT_EQ(rateRefusals(forged + 1), 0) << "another address has its own";
}

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/GroupRights.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/LoopbackNet.h"
#include "net/MessengerEngine.h"
#include "net/PacketAdmission.h"
#include "net/PacketCodec.h"
#include "net/PeerAdmission.h"
#include "net/VisibleToList.h"
#include "TestEnv.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace PacketAdmission;

QString u(const char *s) { return QString::fromUtf8(s); }

// ---- the decision table ----

struct Expect
{
    bool consume = false;
    bool record = false;
    bool answer = false;
    bool visible = false;
    bool remove = false;
    ShareAnswer share = ShareAnswer::None;
};

Facts facts(quint32 command, void (*change)(Facts &) = nullptr)
{
    Facts f;
    f.commandWord = command;
    f.extVersion = 1;
    if (change)
        change(f);
    return f;
}

SenderGroup rights(void (*change)(UserGroupRecord &) = nullptr)
{
    SenderGroup g;
    UserGroupRecord r = InitUserGroupRecord(QStringLiteral("G"));
    if (change)
        change(r);
    g.rights = r;
    return g;
}

struct Row
{
    const char *what;
    Facts facts;
    SenderGroup group;
    Expect expect;
};

void check(const Row &row)
{
    const Decision d = Decide(row.facts, row.group);
    EXPECT_EQ(d.consume, row.expect.consume) << row.what;
    EXPECT_EQ(d.record, row.expect.record) << row.what;
    EXPECT_EQ(d.answerEntry, row.expect.answer) << row.what;
    EXPECT_EQ(d.answerVisible, row.expect.visible) << row.what;
    EXPECT_EQ(d.removeSender, row.expect.remove) << row.what;
    EXPECT_EQ(d.share, row.expect.share) << row.what;
}

const auto hiddenSender = [](Facts &f) { f.senderHidden = true; };
const auto userHidden = [](Facts &f) { f.userHidden = true; };
const auto own = [](Facts &f) { f.own = true; };
const auto visibleGroup = [](UserGroupRecord &r) { r.visibleWhenHidden = 1; };
const auto blackGroup = [](UserGroupRecord &r) { r.groupBlacklisted = 1; };
const auto sharesFree = [](UserGroupRecord &r) { r.sharesWithoutPassword = 1; };

TEST(PacketAdmission, PresenceByHiddenStateAndGroup)
{
    const Row rows[] = {
        {"a plain-only exit is no exit", facts(CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY), rights(), {true}},
        {"plain-only, whatever the group", facts(CMD_ANNOUNCE_ENTRY | OPT_PLAIN_PEERS_ONLY, own), SenderGroup{true, {}},
            {true}},
        {"a plain peer while incompatible",
            facts(CMD_ANNOUNCE_ENTRY, [](Facts &f) { f.extVersion = 0; f.ipmsgCompatible = false; }), rights(), {true}},
        {"a plain peer while compatible", facts(CMD_ANNOUNCE_ENTRY, [](Facts &f) { f.extVersion = 0; }), rights(), {}},
        {"entry, nobody hidden", facts(CMD_ANNOUNCE_ENTRY), rights(), {}},
        {"own entry while hidden", facts(CMD_ANNOUNCE_ENTRY, [](Facts &f) { f.own = f.userHidden = true; }), rights(),
            {}},
        {"hidden sender's entry: answered, taken off", facts(CMD_ANNOUNCE_ENTRY, hiddenSender), rights(),
            {true, false, true, false, true}},
        {"hidden sender in a visible group", facts(CMD_ANNOUNCE_ENTRY, hiddenSender), rights(visibleGroup),
            {true, false, true, true, true}},
        {"while hidden: recorded, not answered", facts(CMD_ANNOUNCE_ENTRY, userHidden), rights(), {true, true}},
        {"while hidden: a visible group is answered", facts(CMD_ANNOUNCE_ENTRY, userHidden), rights(visibleGroup),
            {true, true, true, true}},
        {"a group marked blacklisted records only", facts(CMD_ANNOUNCE_ENTRY), rights(blackGroup), {true, true}},
        {"no record for the group", facts(CMD_ANNOUNCE_ENTRY, userHidden), SenderGroup{}, {}},
        {"answer, nobody hidden", facts(CMD_ANSWER_ENTRY), rights(), {}},
        {"answer while hidden: recorded only", facts(CMD_ANSWER_ENTRY, userHidden), rights(), {true, true}},
        {"status while hidden: recorded only", facts(CMD_ANNOUNCE_STATUS, userHidden), rights(), {true, true}},
        {"hidden sender's answer", facts(CMD_ANSWER_ENTRY, hiddenSender), rights(), {true}},
        {"hidden sender's answer meant to list him", facts(CMD_ANSWER_ENTRY | OPT_VISIBLE_WHEN_HIDDEN, hiddenSender),
            rights(), {}},
        {"own answer", facts(CMD_ANSWER_ENTRY, [](Facts &f) { f.own = f.senderHidden = f.userHidden = true; }),
            rights(), {}},
        {"exit", facts(CMD_ANNOUNCE_EXIT, userHidden), rights(blackGroup), {}},
    };
    for (const Row &row : rows)
        check(row);
}

TEST(PacketAdmission, BlacklistAndAllBlacklistAgree)
{
    const SenderGroup inBlacklist{true, {}};
    for (const bool all : {true, false}) {
        const auto f = [all](quint32 command, void (*change)(Facts &) = nullptr) {
            Facts x = facts(command, change);
            x.allBlackList = all;
            return x;
        };
        const SenderGroup g = all ? rights() : inBlacklist;
        const Row rows[] = {
            {"entry recorded, never answered", f(CMD_ANNOUNCE_ENTRY), g, {true, true}},
            {"own entry recorded and dispatched", f(CMD_ANNOUNCE_ENTRY, own), g, {false, true}},
            {"exit goes on", f(CMD_ANNOUNCE_EXIT), g, {}},
            {"answer goes on", f(CMD_ANSWER_ENTRY), g, {}},
            {"a hidden sender's answer is dropped", f(CMD_ANSWER_ENTRY | OPT_VISIBLE_WHEN_HIDDEN, hiddenSender), g,
                {true}},
            {"a message is dropped", f(CMD_SEND_MESSAGE), g, {true}},
            {"a share request is dropped", f(CMD_GET_SHARE_LIST), g, {true}},
        };
        for (const Row &row : rows) {
            SCOPED_TRACE(all ? "AllBlackList" : "黑名单");
            check(row);
        }
    }
}

TEST(PacketAdmission, FeatureRequestsByCustomSwitchOrSystemSetting)
{
    struct Feature
    {
        quint32 command;
        uint32_t UserGroupRecord::*custom;
        uint32_t UserGroupRecord::*allowed;
    };
    const Feature features[] = {
        {CMD_VOICE_REQUEST, &UserGroupRecord::voiceCustom, &UserGroupRecord::voiceAllowed},
        {CMD_ASSIST_REQUEST, &UserGroupRecord::assistCustom, &UserGroupRecord::assistAllowed},
        {CMD_PICTURE_DATA, &UserGroupRecord::pictureCustom, &UserGroupRecord::picturesAllowed},
        {CMD_GROUP_JOINED, &UserGroupRecord::groupInviteCustom, &UserGroupRecord::groupInviteAllowed},
        {CMD_SCREEN_SHAKE, &UserGroupRecord::shakeCustom, &UserGroupRecord::shakeAllowed},
    };
    for (const Feature &feature : features) {
        for (const bool custom : {false, true}) {
            for (const bool allowed : {false, true}) {
                for (const bool system : {false, true}) {
                    SenderGroup g = rights();
                    (*g.rights).*feature.custom = custom;
                    (*g.rights).*feature.allowed = allowed;
                    Facts f = facts(feature.command | OPT_FILE_ATTACH);
                    f.screenShake = system;
                    // A clear switch leaves the decision to the normal handler,
                    // except the shake, which follows ScreenShake.
                    bool refused = custom && !allowed;
                    if (feature.command == CMD_SCREEN_SHAKE)
                        refused = custom ? !allowed : !system;
                    const Decision d = Decide(f, g);
                    EXPECT_EQ(d.consume, refused) << std::hex << feature.command << " custom " << custom
                                                  << " allowed " << allowed << " system " << system;
                    EXPECT_FALSE(d.record || d.answerEntry || d.removeSender);
                }
            }
        }
    }
    // Any other command passes unless the group is marked blacklisted.
    EXPECT_FALSE(Decide(facts(CMD_SEND_MESSAGE), rights()).consume);
    EXPECT_TRUE(Decide(facts(CMD_SEND_MESSAGE), rights(blackGroup)).consume);
}

TEST(PacketAdmission, ShareRequestsOfGroupsThatNeedNoPassword)
{
    const auto listed = [](Facts &f) { f.sharesListed = true; };
    const auto hiddenListed = [](Facts &f) { f.sharesListed = f.userHidden = true; };
    const Row rows[] = {
        {"password applies", facts(CMD_GET_SHARE_LIST), rights(), {}},
        {"a plain peer gets the password rule", facts(CMD_GET_SHARE_LIST, [](Facts &f) { f.extVersion = 0; }),
            rights(sharesFree), {}},
        {"answered at once", facts(CMD_GET_SHARE_LIST), rights(sharesFree), {true, false, false, false, false,
            ShareAnswer::ShareList}},
        {"all shares: nothing shared", facts(CMD_GET_ALL_SHARES), rights(sharesFree), {true}},
        {"all shares answered", facts(CMD_GET_ALL_SHARES, listed), rights(sharesFree),
            {true, false, false, false, false, ShareAnswer::AllShares}},
        {"all shares while hidden", facts(CMD_GET_ALL_SHARES, hiddenListed), rights(sharesFree), {true}},
        {"all shares while hidden, visible group", facts(CMD_GET_ALL_SHARES, hiddenListed),
            rights([](UserGroupRecord &r) { r.sharesWithoutPassword = r.visibleWhenHidden = 1; }),
            {true, false, false, false, false, ShareAnswer::AllShares}},
        {"blacklisted group", facts(CMD_GET_ALL_SHARES, listed),
            rights([](UserGroupRecord &r) { r.sharesWithoutPassword = r.groupBlacklisted = 1; }), {true}},
    };
    for (const Row &row : rows)
        check(row);
}

// ---- the visible-to list ----

TEST(VisibleToList, MatchesWholeKeysAndCutsAtEntries)
{
    const QString own = QStringLiteral("00163E0A0B0C");
    EXPECT_TRUE(VisibleToList::Names(QStringLiteral("111111111111#00163E0A0B0C#"), own));
    EXPECT_TRUE(VisibleToList::Names(QStringLiteral("00163E0A0B0C"), own)) << "the last key without its '#'";
    EXPECT_FALSE(VisibleToList::Names(QStringLiteral("X00163E0A0B0C#"), own));
    EXPECT_FALSE(VisibleToList::Names(QStringLiteral("00163E0A0B0#"), own));
    EXPECT_FALSE(VisibleToList::Names(QStringLiteral("AA##BB#"), QString())) << "an empty own key matches nobody";
    EXPECT_FALSE(VisibleToList::Names(QStringLiteral("##"), QString()));

    const auto parsed = VisibleToList::Parse(u("名@##~@组@##~@A#B#"));
    EXPECT_EQ(parsed.displayName, u("名"));
    EXPECT_EQ(parsed.groupName, u("组"));
    EXPECT_EQ(parsed.keys, QStringLiteral("A#B#"));
    EXPECT_TRUE(VisibleToList::Parse(QStringLiteral("only")).keys.isEmpty());

    // 5 + 5 + 5 + 5 bytes of fields and separators, then 13 bytes a key.
    const QStringList keys{QStringLiteral("AAAAAAAAAAAA"), QStringLiteral("BBBBBBBBBBBB")};
    const QByteArray one = VisibleToList::Compose(QStringLiteral("n"), QStringLiteral("g"), keys, 12 + 13 + 12);
    EXPECT_EQ(one, QByteArray("n@##~@g@##~@AAAAAAAAAAAA#")) << "the second key is left out whole";
    EXPECT_EQ(VisibleToList::Compose(QStringLiteral("n"), QStringLiteral("g"), keys, 12 + 26).size(), 38);
    EXPECT_TRUE(VisibleToList::Compose(QStringLiteral("n"), QStringLiteral("g"), keys, 20).isEmpty());
    EXPECT_TRUE(VisibleToList::Compose(QStringLiteral("n"), QStringLiteral("g"), {}, 100).isEmpty());
}

TEST(VisibleToList, ListsGoingOnTheWireAreCutBetweenEntries)
{
    EXPECT_EQ(VisibleToList::CutAtEntry("1::a||2::b||3::c", "||", 100), QByteArray("1::a||2::b||3::c"));
    EXPECT_EQ(VisibleToList::CutAtEntry("1::a||2::b||3::c", "||", 12), QByteArray("1::a||2::b"));
    EXPECT_EQ(VisibleToList::CutAtEntry("1::a||2::b||3::c", "||", 10), QByteArray("1::a||2::b"));
    EXPECT_EQ(VisibleToList::CutAtEntry("1::a||2::b||3::c", "||", 9), QByteArray("1::a"));
    EXPECT_TRUE(VisibleToList::CutAtEntry("1::aaaaaa", "||", 4).isEmpty()) << "one entry too long: nothing";

    // Long names in the header leave less room for the body: the packet with
    // a body of exactly that room is whole.
    OwnHeader h;
    h.userName = QString(49, QLatin1Char('u'));
    h.hostName = QString(49, QLatin1Char('h'));
    h.macText = QStringLiteral("00163E0A0B0C");
    const qsizetype room = VisibleToList::BodyRoom(h, CMD_SHARE_LIST);
    EXPECT_LT(room, 16384 - 100);
    const QByteArray packet = PacketCodec::BuildPacket(h, 0x80000000u, CMD_SHARE_LIST, QByteArray(room, 'x'));
    EXPECT_LE(packet.size(), 16384);
    EXPECT_TRUE(packet.contains(QByteArray(room, 'x')));
}

// ---- on the engine, with packets over loopback ----

constexpr quint32 kLoopback = 0x7F000001;
const QString kOwnMac = QStringLiteral("00163E0A0B0C");
const QString kPeerMac = QStringLiteral("AABBCCDDEEFF");

class Peer
{
public:
    Peer() { socket.bind(QHostAddress(QHostAddress::LocalHost), 0); }
    quint16 port() const { return socket.localPort(); }
    void send(quint32 number, quint32 command, const QString &body, quint32 status = 0, const QString &ext = {})
    {
        OwnHeader h;
        h.userName = QStringLiteral("li");
        h.hostName = QStringLiteral("li-pc");
        h.macText = kPeerMac;
        h.statusBits = status;
        socket.writeDatagram(PacketCodec::BuildTextPacket(h, number, command, body, ext), QHostAddress(kLoopback), to);
    }
    QList<PacketRecord> collect(int quietMs = 150)
    {
        QList<PacketRecord> out;
        for (int quiet = 0; quiet < quietMs; quiet += 10) {
            QTest::qWait(10);
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
    QUdpSocket socket;
    quint16 to = 0;
};

struct Engine
{
    Engine()
        : config(TestEnv::freshDir(QStringLiteral("admission")) + QStringLiteral("/kwel.ini"))
    {
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.broadcastTargets = {QHostAddress(QHostAddress::LocalHost)};
        o.broadcastPort = peer.port();
        EXPECT_TRUE(TestNet::openAnyPort(net, o));
        net.setOwnIdentity(kLoopback, kOwnMac);
        peer.to = net.port();
        engine = std::make_unique<MessengerEngine>(config, net);
        admission = std::make_unique<PeerAdmission>(*engine);
        admission->setNeighbourTablePath(TestEnv::freshDir(QStringLiteral("admission-arp")) + QStringLiteral("/none"));
        UserGroupRecord colleagues = InitUserGroupRecord(u("同事"));
        colleagues.visibleWhenHidden = 1;
        config.MemberGroups.append(colleagues);
        config.RebuildGroupIndex();
    }
    HostRecord *peerHost() const { return engine->FindHost(kLoopback, peer.port()); }

    CConfig config;
    Peer peer;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<PeerAdmission> admission;
};

TEST(PeerAdmission, BlacklistedPeerIsListedButNeverAnsweredNorHeard)
{
    Engine e;
    e.config.memoGroupNames.insert(kPeerMac, u("黑名单"));
    QSignalSpy messages(e.engine.get(), &MessengerEngine::messageReceived);
    e.peer.send(1, CMD_ANNOUNCE_ENTRY, u("老李"));
    EXPECT_TRUE(e.peer.collect().isEmpty()) << "no entry answer";
    ASSERT_NE(e.peerHost(), nullptr);
    e.peer.send(2, CMD_SEND_MESSAGE | OPT_SEND_CHECK, u("你好"));
    EXPECT_TRUE(e.peer.collect().isEmpty()) << "no receipt";
    EXPECT_EQ(messages.size(), 0);
    EXPECT_EQ(GroupRights::GroupNameOf(e.config, kPeerMac), u("黑名单"));

    // Out of the blacklist the same peer is heard again.
    e.config.memoGroupNames.remove(kPeerMac);
    e.peer.send(3, CMD_SEND_MESSAGE, u("再见"));
    e.peer.collect();
    EXPECT_EQ(messages.size(), 1);
}

TEST(PeerAdmission, HiddenPeerIsAnsweredAndForgottenWithoutNotice)
{
    Engine e;
    e.peer.send(1, CMD_ANNOUNCE_ENTRY, u("老李"));
    e.peer.collect();
    ASSERT_NE(e.peerHost(), nullptr);
    QSignalSpy removed(e.engine.get(), &MessengerEngine::hostRemoved);

    // The exit it sends after each announcement is meant for plain peers.
    e.peer.send(2, CMD_ANNOUNCE_EXIT | OPT_PLAIN_PEERS_ONLY, u("老李"));
    e.peer.collect();
    EXPECT_NE(e.peerHost(), nullptr);
    EXPECT_EQ(removed.size(), 0);

    e.peer.send(3, CMD_ANNOUNCE_ENTRY, u("老李"), OwnStatus::Hidden);
    const auto answers = e.peer.collect();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().command(), CMD_ANSWER_ENTRY);
    EXPECT_FALSE(answers.first().hasOption(OPT_VISIBLE_WHEN_HIDDEN));
    EXPECT_EQ(e.peerHost(), nullptr);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_FALSE(removed.first().at(1).toBool()) << "no offline notice";

    // Its answers are dropped unless they ask to be listed.
    e.peer.send(4, CMD_ANSWER_ENTRY, u("老李"), OwnStatus::Hidden);
    e.peer.collect();
    EXPECT_EQ(e.peerHost(), nullptr);
    e.peer.send(5, CMD_ANSWER_ENTRY | OPT_VISIBLE_WHEN_HIDDEN, u("老李"), OwnStatus::Hidden);
    e.peer.collect();
    EXPECT_NE(e.peerHost(), nullptr);
}

TEST(PeerAdmission, WhileHiddenOnlyVisibleGroupsAreAnswered)
{
    Engine e;
    e.config.StatusValue = OwnStatus::Hidden;
    e.peer.send(1, CMD_ANNOUNCE_ENTRY, u("老李"));
    EXPECT_TRUE(e.peer.collect().isEmpty());
    ASSERT_NE(e.peerHost(), nullptr) << "recorded all the same";

    e.config.memoGroupNames.insert(kPeerMac, u("同事"));
    e.peer.send(2, CMD_ANNOUNCE_ENTRY, u("老李"));
    const auto answers = e.peer.collect();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().commandWord & (0xFF | OPT_VISIBLE_WHEN_HIDDEN), CMD_ANSWER_ENTRY | OPT_VISIBLE_WHEN_HIDDEN);
    EXPECT_EQ(answers.first().statusBits & OwnStatus::Hidden, OwnStatus::Hidden);
}

TEST(PeerAdmission, WhileHiddenAPeerWithoutMacIsFoundInTheNeighbourTable)
{
    Engine e;
    e.config.StatusValue = OwnStatus::Hidden;
    const QString arp = TestEnv::freshDir(QStringLiteral("admission-neighbours")) + QStringLiteral("/arp");
    QFile file(arp);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("IP address       HW type     Flags       HW address            Mask     Device\n"
               "127.0.0.1        0x1         0x2         00:16:3e:aa:bb:01     *        lo\n");
    file.close();
    e.admission->setNeighbourTablePath(arp);
    e.config.memoGroupNames.insert(QStringLiteral("00163EAABB01"), u("同事"));
    OwnHeader plain;
    plain.userName = QStringLiteral("li");
    plain.hostName = QStringLiteral("li-pc");
    e.peer.socket.writeDatagram(PacketCodec::BuildTextPacket(plain, 1, CMD_ANNOUNCE_ENTRY, u("老李")),
        QHostAddress(kLoopback), e.peer.to);
    const auto answers = e.peer.collect();
    ASSERT_EQ(answers.size(), 1) << "its group is visible while hidden";
    EXPECT_TRUE(answers.first().hasOption(OPT_VISIBLE_WHEN_HIDDEN));

    // Nowhere to be found: the key made from its names, no group of its own.
    e.admission->setNeighbourTablePath(arp + QStringLiteral(".none"));
    e.peer.socket.writeDatagram(PacketCodec::BuildTextPacket(plain, 2, CMD_ANNOUNCE_ENTRY, u("老李")),
        QHostAddress(kLoopback), e.peer.to);
    EXPECT_TRUE(e.peer.collect().isEmpty());
}

TEST(PeerAdmission, GroupsWithoutPasswordGetTheShareListAtOnce)
{
    Engine e;
    e.config.MemberGroups[e.config.FindMemberGroup(u("同事"))].sharesWithoutPassword = 1;
    e.config.memoGroupNames.insert(kPeerMac, u("同事"));
    // Every peer announces its MAC text: a claim of a member's MAC counts
    // only when the neighbour table gives that MAC for the sender.
    QSignalSpy refused(e.engine.get(), &MessengerEngine::refused);
    const QString arp = TestEnv::freshDir(QStringLiteral("admission-claims")) + QStringLiteral("/arp");
    const auto neighbours = [&](const char *mac) {
        QFile file(arp);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("IP address       HW type     Flags       HW address            Mask     Device\n"
                              "127.0.0.1        0x1         0x2         ") + mac + "     *        lo\n");
    };
    e.admission->setShareListSource([] { return QStringLiteral("1::a.txt::1::3::2026-1-1 0:0:0"); });
    e.peer.send(30, CMD_ANNOUNCE_ENTRY, u("老李"));
    e.peer.collect();
    neighbours("00:16:3e:aa:bb:01");
    e.admission->setNeighbourTablePath(arp);
    QSignalSpy dispatched(e.engine.get(), &MessengerEngine::packetDispatched);
    e.peer.send(31, CMD_GET_SHARE_LIST, QString());
    EXPECT_TRUE(e.peer.collect().isEmpty()) << "another MAC at that address: no list";
    EXPECT_EQ(dispatched.size(), 1) << "the password decides";
    ASSERT_FALSE(refused.isEmpty());
    EXPECT_EQ(refused.last().at(0).value<PeerRefusal>(), PeerRefusal::MacUnconfirmed);
    e.net.setOwnIdentity(0x0A000001, kOwnMac);
    neighbours("aa:bb:cc:dd:ee:ff");
    e.peer.send(32, CMD_GET_SHARE_LIST, QString());
    EXPECT_TRUE(e.peer.collect().isEmpty()) << "a sender off our network cannot be confirmed";
    e.net.setOwnIdentity(0x7F000001, kOwnMac);
    QTest::qWait(1000); // a list goes to a peer once a second at most
    e.peer.send(33, CMD_GET_SHARE_LIST, QString());
    EXPECT_EQ(e.peer.collect().size(), 1) << "confirmed";
    e.engine->RemoveAllHosts();
    e.admission->setShareListSource({});
    QTest::qWait(1000);

    // Without a share-list source the request goes on to its normal handler.
    e.peer.send(2, CMD_GET_SHARE_LIST, QString());
    e.peer.collect();
    EXPECT_EQ(dispatched.size(), 3);

    e.admission->setShareListSource([] { return QStringLiteral("1::a.txt::1::3::2026-1-1 0:0:0"); });
    // The list goes to listed peers only.
    e.peer.send(3, CMD_GET_SHARE_LIST, QString());
    EXPECT_TRUE(e.peer.collect().isEmpty());
    e.peer.send(40, CMD_ANNOUNCE_ENTRY, u("老李"));
    e.peer.collect();
    e.peer.send(41, CMD_GET_SHARE_LIST, QString());
    const auto answers = e.peer.collect();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers.first().command(), CMD_SHARE_LIST);
    EXPECT_EQ(answers.first().bodyText(), QStringLiteral("1::a.txt::1::3::2026-1-1 0:0:0"));

    // A list longer than a packet loses its last entries whole.
    QStringList entries;
    for (int i = 0; i < 2000; ++i)
        entries.append(QStringLiteral("%1::file%1.txt::1::1000::2026-1-1 0:0:0").arg(i, 4, 10, QLatin1Char('0')));
    e.admission->setShareListSource([entries] { return entries.join(QStringLiteral("||")); });
    QTest::qWait(1000); // a list goes to a peer once a second at most
    e.peer.send(42, CMD_GET_SHARE_LIST, QString());
    const auto big = e.peer.collect();
    ASSERT_EQ(big.size(), 1);
    const QStringList got = big.first().bodyText().split(QStringLiteral("||"));
    EXPECT_LT(got.size(), entries.size());
    EXPECT_EQ(got, entries.mid(0, got.size())) << "whole entries only";
    EXPECT_EQ(dispatched.size(), 3);
    EXPECT_TRUE(GroupRights::SharesWithoutPassword(e.config, kPeerMac));
    EXPECT_FALSE(GroupRights::SharesWithoutPassword(e.config, QStringLiteral("000000000000")));
}

TEST(PeerAdmission, VisibleToListNamesWholeKeysOnly)
{
    Engine e;
    OwnHeader h;
    h.userName = QStringLiteral("hid");
    h.hostName = QStringLiteral("hid-pc");
    const auto send = [&](quint32 number, const QString &keys) {
        e.peer.socket.writeDatagram(
            PacketCodec::BuildTextPacket(h, number, CMD_EXT_ANNOUNCE, u("藏@##~@组@##~@") + keys),
            QHostAddress(kLoopback), e.peer.to);
        e.peer.collect();
    };
    e.net.setOwnIdentity(0x0A000001, kOwnMac); // the peer must not look like us
    send(1, QStringLiteral("X") + kOwnMac + QStringLiteral("#"));
    EXPECT_EQ(e.peerHost(), nullptr) << "a longer key containing ours";
    e.net.setOwnIdentity(0x0A000001, QString());
    send(2, QStringLiteral("AAAA#"));
    EXPECT_EQ(e.peerHost(), nullptr) << "no own MAC: nobody lists us";
    e.net.setOwnIdentity(0x0A000001, kOwnMac);
    send(3, QStringLiteral("111111111111#") + kOwnMac + QStringLiteral("#"));
    ASSERT_NE(e.peerHost(), nullptr);
    EXPECT_EQ(e.peerHost()->nickName, u("藏"));
}

} // namespace

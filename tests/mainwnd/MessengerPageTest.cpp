#include "controls/HeadIcons.h"
#include "core/BmpFile.h"
#include "core/Dib.h"
#include "core/Lzw.h"
#include "mainwnd/CGroupTreeCtrl.h"
#include "mainwnd/HeadImage.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/GroupRecord.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/IncomingPictures.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "net/LoopbackNet.h"
#include "net/PacketCodec.h"
#include "net/PictureSender.h"
#include "net/PictureStore.h"
#include "ContactTestUtil.h"

#include <QNetworkDatagram>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

constexpr quint32 kLoopback = 0x7F000001;

// A peer on loopback: its own socket, so the engine sees its own port.
struct Peer
{
    Peer(const QString &login, const QString &nick, const QString &group, const QString &mac)
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        header.userName = login;
        header.hostName = login.toUpper() + QStringLiteral("-PC");
        header.macText = mac;
        header.headIcon = 5;
        this->nick = nick;
        this->group = group;
    }
    // The commands the engine sent to this peer so far.
    QList<quint32> received()
    {
        QList<quint32> out;
        while (socket.hasPendingDatagrams()) {
            PacketRecord r;
            const QNetworkDatagram d = socket.receiveDatagram();
            if (PacketCodec::ParsePacket(d.data(), kLoopback, quint16(d.senderPort()), r) == PacketStatus::Ok)
                out.append(r.command());
        }
        return out;
    }
    void send(quint32 command, quint16 to)
    {
        socket.writeDatagram(PacketCodec::BuildTextPacket(header, ++number, command, nick, group),
            QHostAddress(kLoopback), to);
    }
    // The peer's answer to 0x7b: its head picture in chunks.
    void sendHeadPicture(const QByteArray &packed, quint16 to)
    {
        PictureSender sender(0x5000 + number, packed, PictureChunk::KindDib, PictureChunk::CompressionLzw,
            PictureChunk::PurposeHeadPicture, 0, 512, [this, to](const QByteArray &head, QByteArrayView chunk) {
                const QByteArray packet = PacketCodec::BuildPacket(
                    header, ++number, CMD_PICTURE_DATA | OPT_FILE_ATTACH, head, chunk, qint32(chunk.size()));
                return socket.writeDatagram(packet, QHostAddress(kLoopback), to) == packet.size();
            });
        sender.SendAll();
    }
    QUdpSocket socket;
    OwnHeader header;
    QString nick, group;
    quint32 number = 100;
};

struct Page
{
    Page()
        : config(TestEnv::freshDir(QStringLiteral("page")) + QStringLiteral("/kwel.ini"))
    {
        sink.bind(QHostAddress(QHostAddress::LocalHost), 0);
        config.memoGroupNames.insert(QStringLiteral("00000000000E"), u("同事"));
        CNetManager::Options o;
        o.bindAddress = QHostAddress(QHostAddress::LocalHost);
        o.port = 0;
        o.broadcastTargets = { QHostAddress(QHostAddress::LocalHost) };
        o.broadcastPort = sink.localPort();
        EXPECT_TRUE(TestNet::openAnyPort(net, o));
        // Not loopback: the peers below are others, not the user.
        net.setOwnIdentity(0x0A636363, QStringLiteral("00163E000001"));
        engine = std::make_unique<MessengerEngine>(config, net);
        page = std::make_unique<CMessengerDlg>(*engine);
        page->resize(260, 480);
    }
    bool waitPeers(int n)
    {
        for (int i = 0; i < 200 && engine->hostTable().Count() != n; ++i)
            QTest::qWait(10);
        QTest::qWait(20);
        return engine->hostTable().Count() == n;
    }
    QStringList treeRows() const
    {
        QStringList out;
        const ContactTreeModel *m = page->contacts().treeModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out.append(m->index(r).data().toString());
        return out;
    }

    QUdpSocket sink;
    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<CMessengerDlg> page;
};

TEST(MessengerPage, PeersFromTheEngineAppearInTreeAndList)
{
    Page p;
    QSignalSpy counts(p.page.get(), &CMessengerDlg::peerCountChanged);
    QSignalSpy notices(p.page.get(), &CMessengerDlg::tipNoticeRequested);
    ASSERT_TRUE(p.page->findChild<CUserTreeCtrl *>(QStringLiteral("1193")));
    ASSERT_TRUE(p.page->findChild<CUserListCtrl *>(QStringLiteral("1000")));

    Peer zhang(u("zhang"), u("张三"), u("研发部"), QStringLiteral("00000000000A"));
    Peer li(u("li"), u("李四"), u("研发部"), QStringLiteral("00000000000B"));
    Peer wang(u("wang"), u("王五"), QString(), QStringLiteral("00000000000C"));
    Peer bob(u("bob"), u("Bob"), u("市场部"), QStringLiteral("00000000000D"));
    Peer zhao(u("zhao"), u("赵六"), u("市场部"), QStringLiteral("00000000000E"));
    // Head pictures: zhang's is stored already, li's is not.
    zhang.header.headPictureSize = li.header.headPictureSize = 0x500;
    const PictureStore store;
    ASSERT_TRUE(store.CreateFolders());
    ASSERT_TRUE(SaveBitmapToFile(QImage(8, 8, QImage::Format_RGB32), store.HeadPhotoPath(0, zhang.header.macText, 0x500)));
    const quint16 port = p.net.port();
    for (Peer *peer : { &zhang, &li, &wang, &zhao })
        peer->send(CMD_ANNOUNCE_ENTRY, port);
    bob.send(CMD_ANNOUNCE_ENTRY | OPT_ABSENCE, port);
    ASSERT_TRUE(p.waitPeers(5));

    EXPECT_EQ(p.page->peerRowCount(), 5);
    EXPECT_EQ(counts.last().at(0).toInt(), 5);
    ASSERT_EQ(notices.size(), 5);
    const auto first = notices.first().at(0).value<TipNotice>();
    EXPECT_EQ(first.title, u(" 上 线 通 知 "));
    EXPECT_TRUE(first.linkTag.startsWith(u("#MAC:00000000000")));
    const QStringList rows = p.treeRows();
    // Newer peer groups come first below "我的好友".
    EXPECT_EQ(rows.mid(0, 2), QStringList({ u("我的好友(4)"), u("市场部(1)") }));
    EXPECT_TRUE(rows.contains(u("研发部(2)")));
    EXPECT_TRUE(rows.contains(u("对方未分组好友(1)")));
    EXPECT_TRUE(rows.contains(u("同事(1)"))) << "the memo group of 赵六's key";
    EXPECT_EQ(ListBusyCounter::value(), 0);
    // Arrivals ask for the signature and for head pictures not stored.
    QTest::qWait(50);
    const QList<quint32> toZhang = zhang.received();
    const QList<quint32> toLi = li.received();
    EXPECT_TRUE(toZhang.contains(CMD_GET_SIGNATURE));
    EXPECT_FALSE(toZhang.contains(CMD_GET_PICTURE));
    EXPECT_TRUE(toLi.contains(CMD_GET_PICTURE));
    EXPECT_FALSE(toLi.contains(CMD_GET_CUSTOM_PICTURE));

    // The own entry goes to the group "自己".
    const HostPtr self = host(u("自己"), u("研发部"), 0x0A636363, u("me"));
    self->key.port = p.net.port();
    p.page->InsertOrRefreshUser(self.data(), true, true, false);
    EXPECT_TRUE(p.treeRows().contains(u("自己(1)")));
    EXPECT_EQ(notices.size(), 5) << "no online notice for the user himself";
    p.page->RemoveUserWithNotice(self.data(), false);

    // Going offline: out of the view, the count and an offline notice.
    zhang.send(CMD_ANNOUNCE_EXIT, port);
    ASSERT_TRUE(p.waitPeers(4));
    EXPECT_EQ(p.page->peerRowCount(), 4);
    EXPECT_EQ(counts.last().at(0).toInt(), 4);
    EXPECT_EQ(notices.last().at(0).value<TipNotice>().title, u(" 下 线 通 知 "));
    EXPECT_TRUE(p.treeRows().contains(u("研发部(1)")));

    // A status change updates the row in place.
    bob.nick = u("Bob[开会]");
    bob.send(CMD_ANNOUNCE_STATUS | OPT_ABSENCE, port);
    QTest::qWait(100);
    EXPECT_EQ(p.page->peerRowCount(), 4);
    EXPECT_TRUE(p.treeRows().contains(u("Bob[开会](BOB-PC) 127.0.0.1")));

    // The list style: every peer once, in GBK order, with the head icons.
    p.page->SetMembersShowMode(0);
    EXPECT_EQ(p.page->userList()->isVisibleTo(p.page.get()), true);
    ASSERT_EQ(p.page->peerRowCount(), 4);
    QStringList names;
    for (int r = 0; r < 4; ++r)
        names.append(p.page->peerRowText(r, ContactEntry::NickField));
    EXPECT_EQ(names, QStringList({ u("Bob[开会]"), u("李四"), u("王五"), u("赵六") }));
    EXPECT_EQ(p.page->peerRowText(1, ContactEntry::GroupField), u("研发部"));
    HostRecord probe;
    probe.displayName = u("啊");
    EXPECT_EQ(p.page->FindInsertPosition(probe), 1);
    EXPECT_FALSE(p.page->userList()->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
    // A click on "用户名" sorts descending.
    p.page->contacts().OnListColumnClick(0);
    EXPECT_EQ(p.page->peerRowText(0, ContactEntry::NickField), u("赵六"));
    EXPECT_EQ(p.page->userList()->columnWidth(3), p.config.SENDGROUPNAME_STR) << "the configured width";

    // Both styles paint offscreen.
    p.page->show();
    EXPECT_FALSE(p.page->grab().isNull());
    p.page->SetMembersShowMode(1);
    p.page->userTree()->SetLargeIcons(true);
    EXPECT_EQ(p.page->peerRowCount(), 4);
    EXPECT_FALSE(p.page->grab().isNull());

    // The refresh button posts the entry announcement.
    p.page->findChild<QPushButton *>(QStringLiteral("1002"))->click();
    bool announced = false;
    for (int i = 0; i < 50 && !announced; ++i) {
        QTest::qWait(10);
        while (p.sink.hasPendingDatagrams()) {
            PacketRecord r;
            const QNetworkDatagram d = p.sink.receiveDatagram();
            if (PacketCodec::ParsePacket(d.data(), kLoopback, quint16(d.senderPort()), r) == PacketStatus::Ok
                && r.command() == CMD_ANNOUNCE_ENTRY)
                announced = true;
        }
    }
    EXPECT_TRUE(announced);

    // Clearing the list empties both views without offline notices.
    const qsizetype before = notices.size();
    p.page->RemoveAllUsers();
    EXPECT_EQ(p.page->peerRowCount(), 0);
    EXPECT_EQ(p.engine->hostTable().Count(), 0);
    EXPECT_EQ(notices.size(), before);
    EXPECT_EQ(counts.last().at(0).toInt(), 0);
}

TEST(MessengerPage, HeadPhotosShowInTheRowsAndAreAskedForWhenTheyDiffer)
{
    Page p;
    HeadImage::DropHeadPhotos();
    const PictureStore store;
    ASSERT_TRUE(store.CreateFolders());
    IncomingPictures pictures(p.config, store);
    pictures.AttachTo(*p.engine);
    p.page->contacts().AttachPictures(pictures);
    const quint16 port = p.net.port();
    auto rowImage = [&] {
        const ContactTreeModel *m = p.page->contacts().treeModel();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->rowKind(r) == ContactTreeModel::RowKind::Peer)
                return m->index(r).data(ContactTreeModel::ImageRole).toInt();
        return -1;
    };

    QImage photo(48, 48, QImage::Format_RGB32);
    photo.fill(qRgb(30, 160, 40));
    const QByteArray packed = LzwCompressGlobal(BitmapToDib(photo, {}, 0));
    Peer liu(u("liu"), u("刘一"), u("研发部"), QStringLiteral("0000000000A1"));
    liu.header.headPictureSize = qint32(packed.size());
    liu.header.customPictureSize = 0x77;
    store.SaveHeadPhoto("BM", 1, liu.header.macText, 0x77);

    // Arrival: the head picture is asked for, the stored custom picture not.
    liu.send(CMD_ANNOUNCE_ENTRY, port);
    ASSERT_TRUE(p.waitPeers(1));
    QTest::qWait(50);
    QList<quint32> asked = liu.received();
    EXPECT_TRUE(asked.contains(CMD_GET_SIGNATURE));
    EXPECT_TRUE(asked.contains(CMD_GET_PICTURE));
    EXPECT_FALSE(asked.contains(CMD_GET_CUSTOM_PICTURE));
    EXPECT_EQ(rowImage(), 6) << "head icon 5 until the photo is here";

    // The answer is stored and the row shows the photo.
    liu.sendHeadPicture(packed, port);
    QTRY_COMPARE_WITH_TIMEOUT(rowImage(), HeadImage::kImageCount, 3000);
    EXPECT_EQ(QColor(HeadIconPixmap(rowImage(), 16).toImage().pixel(8, 8)).green(), 160);
    p.page->SetMembersShowMode(0);
    const QModelIndex listRow = p.page->userList()->model()->index(0, 0);
    EXPECT_EQ(listRow.data(UserListModel::ImageRole).toInt(), HeadImage::kImageCount);
    p.page->SetMembersShowMode(1);

    // Announced again: the row keeps the photo; nothing is asked outside a refresh.
    liu.send(CMD_ANNOUNCE_STATUS, port);
    QTest::qWait(100);
    EXPECT_EQ(rowImage(), HeadImage::kImageCount);
    EXPECT_TRUE(liu.received().isEmpty());
    EXPECT_EQ(HeadIconCount(), HeadImage::kImageCount + 1) << "the same photo is not loaded twice";

    // Answering a refresh: the signature again; the pictures only when they
    // differ from the stored ones, never when none is announced.
    p.page->contacts().BeginRefresh();
    liu.send(CMD_ANSWER_ENTRY, port);
    QTest::qWait(100);
    asked = liu.received();
    EXPECT_EQ(asked, QList<quint32>({ CMD_GET_SIGNATURE }));
    liu.header.headPictureSize += 1;
    liu.header.customPictureSize = 0;
    liu.send(CMD_ANSWER_ENTRY, port);
    QTest::qWait(100);
    asked = liu.received();
    EXPECT_TRUE(asked.contains(CMD_GET_PICTURE));
    EXPECT_FALSE(asked.contains(CMD_GET_CUSTOM_PICTURE));
    liu.header.customPictureSize = 0x78;
    liu.send(CMD_ANSWER_ENTRY, port);
    QTest::qWait(100);
    EXPECT_TRUE(liu.received().contains(CMD_GET_CUSTOM_PICTURE));

    // Clearing the list drops the loaded photos.
    p.page->RemoveAllUsers();
    EXPECT_EQ(HeadIconCount(), HeadImage::kImageCount);
}

TEST(MessengerPage, RebuildsCompleteKeysAndReadMemosQuietly)
{
    Page p;
    const QString arp = TestEnv::freshDir(QStringLiteral("arp")) + QStringLiteral("/arp");
    TestEnv::writeAll(arp, "IP address HW type Flags HW address Mask Device\n10.0.0.7 0x1 0x2 00:1a:2b:3c:4d:5e * eth0\n");
    p.page->contacts().setNeighbourTablePath(arp);
    p.config.memoNickNames.insert(QStringLiteral("001A2B3C4D5E"), u("小张"));
    p.config.memoGroupNames.insert(QStringLiteral("001A2B3C4D5E"), u("黑名单"));
    const HostPtr plain = host(u("zhang"), QString(), 0x0A000007, u("zhang"));
    plain->extension = 0;
    const HostPtr keyed = host(u("李四"), u("研发部"), 0x0A000008, u("li"));
    keyed->keyText = QStringLiteral("AABBCCDDEEFF");
    p.engine->hostTable().Insert(plain.data());
    p.engine->hostTable().Insert(keyed.data());
    QSignalSpy notices(p.page.get(), &CMessengerDlg::tipNoticeRequested);
    QSignalSpy counts(p.page.get(), &CMessengerDlg::peerCountChanged);

    p.page->RebuildUserViews(false);
    EXPECT_EQ(plain->keyText, QStringLiteral("001A2B3C4D5E"));
    EXPECT_EQ(plain->displayName, u("小张"));
    EXPECT_EQ(p.page->contacts().treeModel()->UserGroupCount(u("黑名单")), 1);
    EXPECT_EQ(p.page->peerRowCount(), 1) << "黑名单 is closed";
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_TRUE(counts.isEmpty()) << "no title during a rebuild of the views";
    EXPECT_TRUE(p.page->contacts().noticesEnabled());
    EXPECT_EQ(ListBusyCounter::value(), 0);

    // With reload every peer's memo data is read again.
    p.config.memoNickNames.insert(keyed->keyText, u("老李"));
    p.page->RebuildUserViews(false);
    EXPECT_EQ(keyed->displayName, u("李四"));
    p.page->RebuildUserViews(true);
    EXPECT_EQ(keyed->displayName, u("老李"));

    // The list refilled: configured widths, once.
    p.config.MembersShowMode = 0;
    p.config.SENDNICKNAME_STR = 123;
    p.page->RebuildUserList();
    EXPECT_EQ(p.page->peerRowCount(), 2);
    EXPECT_EQ(p.page->userList()->columnWidth(0), 123);
    EXPECT_EQ(counts.last().at(0).toInt(), 2);
    p.config.SENDNICKNAME_STR = 90;
    p.page->RefillUserList();
    EXPECT_EQ(p.page->userList()->columnWidth(0), 90);
    EXPECT_EQ(p.page->peerRowText(0, ContactEntry::NickField), u("老李"));
}

TEST(MessengerPage, UnreadWindowsBlinkTheTrayUntilTheLastGoes)
{
    Page p;
    QSignalSpy blink(p.page.get(), &CMessengerDlg::blinkRequested);
    const HostPtr peer = host(u("张"));
    peer->headIcon = 9;

    auto *chat = new QWidget;
    auto *group = new QWidget;
    QWidget shown;
    shown.show();
    EXPECT_FALSE(p.page->QueueUnreadWindow(nullptr, 0));
    EXPECT_FALSE(p.page->QueueUnreadWindow(&shown, 0)) << "a visible window is not queued";
    EXPECT_TRUE(p.page->QueueUnreadWindow(chat, 0, peer.data()));
    EXPECT_FALSE(p.page->QueueUnreadWindow(chat, 0, peer.data()));
    EXPECT_TRUE(p.page->QueueUnreadWindow(group, 1));
    EXPECT_TRUE(p.page->isBlinking());
    ASSERT_EQ(blink.size(), 1) << "the second window keeps the first one's icon";
    EXPECT_EQ(blink.last(), QList<QVariant>({ true, 10 }));

    // The chat window closes while queued: dropped, the group window leads.
    delete chat;
    EXPECT_EQ(p.page->unreadCount(), 1);
    EXPECT_EQ(blink.last(), QList<QVariant>({ true, 85 }));

    // The last one shown: blinking stops.
    EXPECT_TRUE(p.page->UnqueueUnreadWindow(group));
    EXPECT_TRUE(group->isVisible());
    EXPECT_FALSE(p.page->isBlinking());
    EXPECT_EQ(blink.last(), QList<QVariant>({ false, -1 }));
    EXPECT_FALSE(p.page->UnqueueUnreadWindow(group));
    // A window destroyed as the last one stops it too.
    group->hide();
    EXPECT_TRUE(p.page->QueueUnreadWindow(group, 1));
    delete group;
    EXPECT_FALSE(p.page->isBlinking());
    EXPECT_EQ(blink.last(), QList<QVariant>({ false, -1 }));
    EXPECT_EQ(p.page->unreadCount(), 0);
}

TEST(GroupTreeCtrl, MembersLabelsAndImages)
{
    CGroupTreeCtrl tree;
    GroupRecord record { 0x1234, u("项目群"), 0 };
    tree.setGroupLookup([&](quint32 id) { return id == record.id ? &record : nullptr; });
    QStandardItem *members = tree.InsertGroup(record.name, record.id);
    EXPECT_EQ(members->text(), u("群内组织"));
    const HostPtr h = host(u("张三"), u("g"), 0x0A000001, u("zs"), u("ZS"));
    h->keyText = QStringLiteral("00163E0A0B0C");
    EXPECT_TRUE(tree.AddMember(0x1234, h.data()));
    EXPECT_FALSE(tree.AddMember(0x1234, h.data())) << "once per group";
    EXPECT_FALSE(tree.AddMember(0x9999, h.data()));
    EXPECT_EQ(members->rowCount(), 1);
    EXPECT_EQ(members->child(0)->text(), u("张三(00163E0A0B0C)(ZS) 10.0.0.1"));

    h->headIcon = 200;
    h->previousHeadIcon = 300;
    h->displayName = u("张三丰");
    tree.UpdateMember(h.data());
    EXPECT_EQ(members->child(0)->data(CGroupTreeCtrl::ImageRole).toInt(), 1);
    EXPECT_TRUE(members->child(0)->text().startsWith(u("张三丰(")));

    record.unreadCount = 3;
    tree.UpdateGroupLabel(0x1234);
    EXPECT_EQ(tree.groupNode(0x1234)->text(), u("项目群(3条新信息)"));
    record.unreadCount = 0;
    tree.UpdateGroupLabel(0x1234);
    EXPECT_EQ(tree.groupNode(0x1234)->text(), u("项目群"));

    tree.RemoveMemberFromAllGroups(h.data());
    EXPECT_EQ(members->rowCount(), 0);
    EXPECT_FALSE(tree.RemoveMember(0x1234, h.data()));
    EXPECT_TRUE(tree.DeleteGroup(0x1234));
    EXPECT_FALSE(tree.DeleteGroup(0x1234));
}

} // namespace

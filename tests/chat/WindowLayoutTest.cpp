// Every top-level window and dialog of the program at its default size, in
// the program's fonts with the Chinese font the set-up installs: no caption,
// title or column that the user cannot read whole, no control outside its
// window. The allowed exceptions stand in kExceptions with their reasons.
#include "LoopbackChat.h"
#include "TestEnv.h"
#include "WindowLayoutCheck.h"
#include "../mainwnd/PanelTestUtil.h"
#include "chat/CChatDlg.h"
#include "chat/CChatLogDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/CMultiChatDlg.h"
#include "chat/COverwritePromptDlg.h"
#include "chat/CUserLogFilterDlg.h"
#include "chat/ChatLayout.h"
#include "chat/ChatLogRecordModel.h"
#include "chat/faces/CEditFaceDlg.h"
#include "chat/faces/CFaceManagerDlg.h"
#include "chat/faces/CFacePickerDlg.h"
#include "chat/faces/CFaceProgressDlg.h"
#include "chat/faces/CImportQQFacesDlg.h"
#include "chat/facestore/FaceStore.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/MultiSendSession.h"
#include "controls/CGfxOutBarCtrl.h"
#include "controls/CQuickReplyDlg.h"
#include "controls/SkinFont.h"
#include "core/ChatFont.h"
#include "core/PlainText.h"
#include "chat/shares/CSharePasswordDlg.h"
#include "chat/shares/CSharePasswordInputDlg.h"
#include "chat/shares/CShareSettingsDlg.h"
#include "mainwnd/CAutoReplyTextDlg.h"
#include "mainwnd/CChangeUserNameDlg.h"
#include "mainwnd/CFindUserDlg.h"
#include "mainwnd/CNewUserGroupDlg.h"
#include "mainwnd/COtherSubnetFriendsDlg.h"
#include "mainwnd/CTodayNoteDlg.h"
#include "mainwnd/CTransparencyDlg.h"
#include "mainwnd/CRenameUserGroupDlg.h"
#include "mainwnd/CHelpDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CNewVersionDlg.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/CSearchEdit.h"
#include "mainwnd/CSearchPanelDlg.h"
#include "mainwnd/CSelectUsersDlg.h"
#include "mainwnd/CSendToAddressDlg.h"
#include "mainwnd/CUpgradePromptDlg.h"
#include "mainwnd/ContactEntry.h"
#include "mainwnd/ContactNotices.h"
#include "mainwnd/TipGeometry.h"
#include "net/IncomingPictures.h"
#include "net/PictureStore.h"
#include "remote/CDoodleBoard.h"
#include "remote/CScreenCaptureDlg.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTreeView>
#include <QTreeWidget>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTextDocument>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using ChatTest::Side;
using ChatTest::u;
using LayoutCheck::Exception;

const QList<Exception> kExceptions = {
    // The arrows beside "发送" and "截图" are 8 pixels wide where the window's
    // layout puts them; the arrow's ink is narrower than its character cell.
    {u("CChatDlg"), u("1052"), u("send arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg"), u("1033"), u("capture arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg+files"), u("1052"), u("send arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg+files"), u("1033"), u("capture arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg+doodle"), u("1052"), u("send arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg+doodle"), u("1033"), u("capture arrow, 8 pixels wide by the window's layout")},
    {u("CMultiChatDlg"), u("1052"), u("send arrow, 8 × 18 by the window's layout")},
    // The side pane's file lists keep the column widths the window gives
    // them when it opens (115, 45, 70, 300 and 100 pixels in a list of some
    // 160): they scroll sideways by design; each title fits its column.
    {u("CChatDlg+files"), u("QHeaderView"), u("file list columns of fixed widths"), u("ends at")},
    // The send list's names come first: in the pane of a default-size window
    // they take most of its width, and the size and the path (or the state of
    // a sent item) lie right of them and scroll into view. A wider window
    // shows the type and the size beside the names (checked below).
    {u("CChatDlg"), u("QHeaderView"), u("send list columns beyond the names"), u("ends at")},
    {u("CChatDlg+doodle"), u("QHeaderView"), u("send list columns beyond the names"), u("ends at")},
    {u("CChatDlg+attachments"), u("QHeaderView"), u("send list columns beyond the names"), u("ends at")},
    {u("CChatDlg+attachments"), u("1052"), u("send arrow, 8 pixels wide by the window's layout")},
    {u("CChatDlg+attachments"), u("1033"), u("capture arrow, 8 pixels wide by the window's layout")},
    // The result panel sizes its columns to its own width: the name and the
    // field that holds the match fit their texts (the address too where there
    // is room), the others share what is left, however narrow.
    {u("CSearchPanelDlg"), u("0"), u("columns sized to the panel's width"), u("its title needs")},
    {u("CMultiChatDlg"), u("1030"), u("capture arrow, 8 × 19 by the window's layout")},
    {u("CMultiChatDlg+doodle"), u("1052"), u("send arrow, 8 × 18 by the window's layout")},
    {u("CMultiChatDlg+doodle"), u("1030"), u("capture arrow, 8 × 19 by the window's layout")},
};

// Shows the window at the size it gives itself and lists what is cut.
QStringList shownProblems(QWidget &window, const QString &name)
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window)) << name.toStdString();
    QCoreApplication::processEvents();
    return LayoutCheck::Unexcused(LayoutCheck::Problems(window, name), kExceptions);
}

std::string joined(const QStringList &problems)
{
    return problems.join(QLatin1Char('\n')).toStdString();
}

#define EXPECT_NO_PROBLEMS(list)                                                                                       \
    do {                                                                                                               \
        const QStringList found = (list);                                                                              \
        EXPECT_TRUE(found.isEmpty()) << joined(found);                                                                 \
    } while (false)

// A peer as a user sees one on an office network: the longest address.
// Only what the windows show changes, and it is put back: nothing is sent.
struct OfficeLooks
{
    explicit OfficeLooks(HostRecord &peer, quint32 address = 0xC0A864C8) // 192.168.100.200
        : peer(peer)
        , displayName(peer.displayName)
        , nickName(peer.nickName)
        , groupName(peer.groupName)
        , key(peer.key)
    {
        peer.displayName = u("王小明");
        peer.nickName = u("王小明");
        peer.groupName = u("研发部");
        peer.key = HostKey(u("wangxm"), u("WANG-PC"), address, peer.key.port);
    }
    ~OfficeLooks()
    {
        peer.displayName = displayName;
        peer.nickName = nickName;
        peer.groupName = groupName;
        peer.key = key;
    }
    HostRecord &peer;
    QString displayName, nickName, groupName;
    HostKey key;
};

} // namespace

// The skinned windows draw in the installed Song font at the heights of the
// Windows font: 13 pixels a line for height 13.
TEST(WindowLayout, SongFontLinesAreTheirPixelHeight)
{
    ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("AR PL UMing CN")))
        << "the Chinese Song font is missing: scripts/setup.sh installs it";
    for (const int height : {12, 13, 14}) {
        const QFont font = SongFont(height);
        EXPECT_LE(QFontMetrics(font).height(), height);
        EXPECT_GE(QFontMetrics(font).height(), height - 1);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("AR PL UMing CN"));
    }
}

TEST(WindowLayout, MainPanelAndItsDialogs)
{
    Panel p;
    p.announce(0xC0A864C8, u("王小明"), u("00163E000001"));
    p.announce(0xC0A864C9, u("李四"), u("00163E000002"));
    EXPECT_NO_PROBLEMS(shownProblems(*p.panel, u("CMainPanelDlg")));
    // Every folder of the bar, and the contact list as a list.
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    for (int folder = 1; folder < bar->GetFolderCount(); ++folder) {
        bar->SetSelFolder(folder);
        QCoreApplication::processEvents();
        EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(
            LayoutCheck::Problems(*p.panel, u("CMainPanelDlg+") + bar->GetFolderText(folder)), kExceptions));
    }
    bar->SetSelFolder(0);
    p.panel->messengerPage()->SetMembersShowMode(0);
    QCoreApplication::processEvents();
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(*p.panel, u("CMainPanelDlg+list")), kExceptions));
    p.panel->messengerPage()->SetMembersShowMode(1);
    // The search strip's result panel, with a result.
    CSearchEdit *box = p.panel->searchStrip()->searchBox();
    box->setFocus();
    QTest::keyClicks(box, u("wang"));
    ASSERT_TRUE(ChatTest::waitFor([&] { return p.panel->searchStrip()->resultPanel()->isVisible(); }, 3000));
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(
        LayoutCheck::Problems(*p.panel->searchStrip()->resultPanel(), u("CSearchPanelDlg")), kExceptions));
    // Whichever field holds the match, it shows whole beside the name.
    const std::pair<QString, int> searches[] = { { u("wang"), ContactEntry::NickField },
        { u("login"), ContactEntry::LoginField }, { u("yfb"), ContactEntry::GroupField },
        { u("-pc"), ContactEntry::HostField }, { u("168.100"), ContactEntry::AddressField } };
    for (const auto &[text, field] : searches) {
        box->clear();
        QTest::keyClicks(box, text);
        CSearchPanelDlg *results = p.panel->searchStrip()->resultPanel();
        ASSERT_TRUE(ChatTest::waitFor([&] { return results->isVisible() && results->resultCount() > 0; }, 3000))
            << text.toStdString();
        if (const QByteArray shot = qgetenv("KWEL_LAYOUT_SHOTS"); !shot.isEmpty())
            results->grab().save(QString::fromLocal8Bit(shot) + QStringLiteral("/search-%1.png").arg(field));
        EXPECT_NO_PROBLEMS(LayoutCheck::CellTexts(*results->findChild<QAbstractItemView *>(u("1081")),
            { int(ContactEntry::NickField), field }, u("CSearchPanelDlg/") + text));
    }
    p.panel->searchStrip()->HidePanel();

    CFindUserDlg find;
    EXPECT_NO_PROBLEMS(shownProblems(find, u("CFindUserDlg")));
    CSendToAddressDlg send(nullptr);
    EXPECT_NO_PROBLEMS(shownProblems(send, u("CSendToAddressDlg")));
    QList<UserPickEntry> entries(2);
    entries[0].nick = u("王小明");
    entries[0].group = u("研发部");
    entries[0].address = 0xC0A864C8;
    entries[1].nick = u("李四");
    entries[1].address = 0xC0A864C9;
    CSelectUsersDlg select(entries);
    EXPECT_NO_PROBLEMS(shownProblems(select, u("CSelectUsersDlg")));
    CHelpDlg help(TestEnv::freshDir(u("layout-help")), &p.config);
    EXPECT_NO_PROBLEMS(shownProblems(help, u("CHelpDlg")));
    CNewVersionDlg newer;
    newer.SetInfo(u("Kwel检测到局域网内有更高版本!"), QString(), true, 0xC0A864C8);
    EXPECT_NO_PROBLEMS(shownProblems(newer, u("CNewVersionDlg")));
    CUpgradePromptDlg upgrade(&p.config);
    EXPECT_NO_PROBLEMS(shownProblems(upgrade, u("CUpgradePromptDlg")));
}

// The tip popup keeps its fixed 170 x 120 and draws every line of a notice
// inside it.
TEST(WindowLayout, TipPopupShowsTheWholeNotice)
{
    CConfig config(TestEnv::freshDir(u("layout-tip")) + u("/kwel.ini"));
    HostRecord host;
    const OfficeLooks looks(host);
    config.NoTice = 1;
    NoticeContext context;
    context.config = &config;
    context.notify = true;
    context.noticesEnabled = true;
    const std::optional<TipNotice> notice = OnlineNotice(host, context);
    ASSERT_TRUE(notice);
    ASSERT_TRUE(notice->text.contains(u("组名")));

    CMsgTipDlg tip(&config);
    tip.SetAutoClose(false);
    tip.AddNotice(*notice, true);
    EXPECT_EQ(tip.size(), QSize(170, 120));
    const int w = tip.width(), h = tip.height();
    QString text = notice->text;
    text.remove(QLatin1Char('\r'));
    QStringList problems = LayoutCheck::PaintedText(u("CMsgTipDlg/text"), text, TipGeometry::textRect(w, h), SongFont(12), true);
    using namespace TipGeometry;
    problems += LayoutCheck::PaintedText(u("CMsgTipDlg/title"), notice->title, titleRect(w, h), SongFont(13));
    problems += LayoutCheck::PaintedText(u("CMsgTipDlg/close"), u("关闭"), closeRect(w, h), SongFont(13));
    problems += LayoutCheck::PaintedText(u("CMsgTipDlg/open"), u("打开"), openRect(w, h), SongFont(13));
    EXPECT_NO_PROBLEMS(problems);
}

// A window that received a message with files: the side pane shows the file
// lists and the peer's lines beside its photo place.
TEST(WindowLayout, ChatWindowOnBothSides)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    HostRecord *peer = a.peerOf(b);
    ASSERT_NE(peer, nullptr);

    CChatDlg &window = *a.window;
    EXPECT_NO_PROBLEMS(shownProblems(window, u("CChatDlg")));

    // The doodle mode with the most property buttons (the rectangle tool).
    window.button(ChatCtl::Doodle)->click();
    window.doodleBoard()->Command(12);
    QCoreApplication::processEvents();
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(window, u("CChatDlg+doodle")), kExceptions));
    window.button(ChatCtl::Doodle)->click();

    // b offers a file: a's window shows its lists of offered and received files.
    const QString file = b.dir + u("/报告.txt");
    ASSERT_TRUE(TestEnv::writeAll(file, QByteArray(100, 'x')));
    b.window->AddAttachments({file});
    b.window->OnSend();
    ASSERT_TRUE(ChatTest::waitFor([&] { return a.shown == 1; }));
    ASSERT_TRUE(window.receiveList()->isVisibleTo(&window));
    const OfficeLooks looks(*peer);
    window.update();
    QCoreApplication::processEvents();
    QStringList problems = LayoutCheck::Unexcused(LayoutCheck::Problems(window, u("CChatDlg+files")), kExceptions);
    // The peer's lines, painted one under the other from the top of their
    // rows, above the first caption; with the photo beside them too.
    const QFont font = SongFont(12);
    const int lineHeight = QFontMetrics(font).height();
    for (const bool photo : {false, true}) {
        ChatLayoutInput in;
        in.client = window.size();
        in.fileListsShown = true;
        in.photoAvailable = photo;
        const ChatLayout layout = ComputeChatLayout(in);
        ASSERT_EQ(layout.photoBeside, photo);
        const int pitch = std::max(layout.peerLinePitch, lineHeight);
        QRect line = layout.peerLines;
        const QStringList lines = PeerInfoLines(*peer, layout.photoBeside);
        for (const QString &text : lines) {
            // Beside the photo, the names and the group are the peer's own
            // texts of any length: they are elided at the pane's edge. The
            // address always fits.
            if (!photo || text.startsWith(u("IP")))
                problems += LayoutCheck::PaintedText(u("CChatDlg+files/peer line"), text, line, font);
            line.translate(0, pitch);
        }
        problems += LayoutCheck::PaintedText(u("CChatDlg+files/heading"), SidePaneHeading(*peer), layout.sideHeading, font);
        for (const ChatCaption &caption : layout.captions)
            problems += LayoutCheck::PaintedText(u("CChatDlg+files/caption"), caption.title, caption.band.adjusted(5, 0, 0, 0), font);
        ASSERT_FALSE(layout.captions.isEmpty());
        EXPECT_LE(layout.peerLines.top() + int(lines.size() - 1) * pitch + lineHeight, layout.captions.first().band.top())
            << "the peer's lines run into the first caption";
    }
    EXPECT_NO_PROBLEMS(problems);
}

// A drawing from the board of a default-size window shows whole in the
// history of the peer's default-size window, also when that history scrolls.
TEST(WindowLayout, ADrawingFitsThePeersHistory)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    const PictureStore store(b.dir + u("/kwel"));
    IncomingPictures incoming(b.config, store);
    incoming.AttachTo(*b.engine);
    b.sessions->AttachPictures(incoming);
    CChatDlg &drawing = *a.window;
    CChatDlg &reading = *b.window;
    drawing.show();
    reading.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&drawing));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reading));
    CMsgRichEdit &history = *reading.history();
    for (int i = 0; i < 40; ++i)
        history.InsertTextWithFaces(u("行\n"), 0);

    drawing.button(ChatCtl::Doodle)->click();
    ASSERT_TRUE(drawing.doodleMode());
    CDoodleBoard &board = *drawing.doodleBoard();
    const int right = board.width() - 1;
    board.Command(10);
    board.canvas().Press(QPoint(0, 5), Qt::LeftButton);
    board.canvas().Move(QPoint(right, 30));
    board.canvas().Release(QPoint(right, 30));
    drawing.OnSend();
    ASSERT_TRUE(ChatTest::waitFor([&] { return !b.eventsOf(u("PICTURE")).isEmpty(); }, 8000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(history.verticalScrollBar()->isVisible());
    EXPECT_EQ(history.horizontalScrollBar()->maximum(), 0) << "the drawing needs sideways scrolling";
    EXPECT_EQ(history.verticalScrollBar()->value(), history.verticalScrollBar()->maximum())
        << "the drawing arrived in view";
    // And the board keeps the room it has: no more than the indent and the
    // scroll bar narrower than the history.
    EXPECT_GE(board.width(), history.width() - 40);
}

TEST(WindowLayout, MultiUserWindowAndLogViewer)
{
    Side sender(u("s"));
    std::vector<std::unique_ptr<Side>> peers;
    for (const char *name : {"甲", "乙"}) {
        peers.push_back(std::make_unique<Side>(u(name)));
        sender.meet(*peers.back());
    }
    // Two peers of the same name: the address tells them apart. (Only what
    // the lists show changes; nothing is sent.)
    QList<HostRecord *> hosts;
    for (const auto &peer : peers) {
        hosts.append(sender.peerOf(*peer));
        ASSERT_NE(hosts.last(), nullptr);
    }
    std::vector<std::unique_ptr<OfficeLooks>> looks;
    for (HostRecord *host : hosts) {
        looks.push_back(std::make_unique<OfficeLooks>(*host, 0xC0A864C8 + quint32(looks.size())));
        // Logged as a user would have them.
        sender.log->LogChatMessage(PeerLogEntry(*host, ChatFont::standard(), u("你好")));
    }
    MultiSendSession multi(*sender.sessions, sender.services());
    CMultiChatDlg window(multi);
    window.FillMemberList(false);
    EXPECT_NO_PROBLEMS(shownProblems(window, u("CMultiChatDlg")));
    // The doodle mode: the board's row with its buttons, the mode button
    // saying "文字模式", and back ("随手涂鸭").
    window.OnModeButton();
    QCoreApplication::processEvents();
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(window, u("CMultiChatDlg+doodle")), kExceptions));
    window.OnModeButton();
    QCoreApplication::processEvents();
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(window, u("CMultiChatDlg")), kExceptions));

    // And a message as an office sends it, from a peer known by a MAC.
    hosts.first()->keyText = u("00163E0A0B01");
    sender.log->LogChatMessage(PeerLogEntry(*hosts.first(), ChatFont::standard(), u("明天三点开会，你好好准备")));
    ASSERT_EQ(sender.logged().size(), 3);
    CChatLogDlg viewer(nullptr, sender.log->GetChatLogPath(), nullptr);
    QSignalSpy loaded(&viewer, &CChatLogDlg::taskFinished);
    ASSERT_TRUE(loaded.wait(10000) || !viewer.isWorking());
    ASSERT_EQ(viewer.userList()->topLevelItemCount(), 3);
    EXPECT_NO_PROBLEMS(shownProblems(viewer, u("CChatLogDlg")));
    // Every column of the peers tells them apart; a search hit shows its
    // peer's name and its text.
    EXPECT_NO_PROBLEMS(LayoutCheck::CellTexts(*viewer.userList(), {0, 1, 2, 3, 4, 5}, u("CChatLogDlg/1081")));
    viewer.searchText()->setText(u("你好"));
    viewer.findChild<QAbstractButton *>(u("1003"))->click();
    ASSERT_TRUE(loaded.wait(10000) || !viewer.isWorking());
    QCoreApplication::processEvents();
    ASSERT_EQ(viewer.recordList()->model()->rowCount(), 3);
    if (const QByteArray shot = qgetenv("KWEL_LAYOUT_SHOTS"); !shot.isEmpty())
        viewer.grab().save(QString::fromLocal8Bit(shot) + QStringLiteral("/chat-log-search.png"));
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(viewer, u("CChatLogDlg+search")), kExceptions));
    EXPECT_NO_PROBLEMS(LayoutCheck::CellTexts(*viewer.recordList(), {0, 3}, u("CChatLogDlg+search/1093")));
    viewer.close();

    // A peer of a long name (24 characters, as much as a name field holds):
    // the text keeps at least half the list at the default size and
    // narrower, and each hit shows what matched, also where the long name
    // heads the text; the name is cut in its column, whole in its tip.
    const QString longName = u("华东区市场营销部销售经理王小明的笔记本电脑备用机");
    ASSERT_EQ(longName.size(), 24);
    hosts.first()->displayName = longName;
    sender.log->LogChatMessage(PeerLogEntry(*hosts.first(), ChatFont::standard(), u("你好，三点的会改到四点")));
    ASSERT_EQ(sender.logged().size(), 4);
    CChatLogDlg longNames(nullptr, sender.log->GetChatLogPath(), nullptr);
    QSignalSpy longLoaded(&longNames, &CChatLogDlg::taskFinished);
    ASSERT_TRUE(longLoaded.wait(10000) || !longNames.isWorking());
    longNames.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&longNames));
    longNames.searchText()->setText(u("你好"));
    longNames.findChild<QAbstractButton *>(u("1003"))->click();
    ASSERT_TRUE(longLoaded.wait(10000) || !longNames.isWorking());
    QTreeView &hits = *longNames.recordList();
    const QAbstractItemModel &rows = *hits.model();
    ASSERT_EQ(rows.rowCount(), 4);
    const QModelIndex longCell = rows.match(rows.index(0, 0), Qt::DisplayRole, longName, 1, Qt::MatchExactly).value(0);
    ASSERT_TRUE(longCell.isValid());
    EXPECT_EQ(rows.data(longCell, Qt::ToolTipRole).toString(), PlainText::ToolTip(longName));
    const int defaultWidth = longNames.width();
    for (const int width : {defaultWidth, 720}) {
        longNames.resize(width, longNames.height());
        QCoreApplication::processEvents();
        if (const QByteArray shot = qgetenv("KWEL_LAYOUT_SHOTS"); !shot.isEmpty())
            longNames.grab().save(QString::fromLocal8Bit(shot) + QStringLiteral("/chat-log-search-long-name-%1.png").arg(width));
        const QString where = u("CChatLogDlg+long name %1/1093").arg(width);
        EXPECT_GE(2 * hits.header()->sectionSize(ChatLogRecordModel::kTextColumn), hits.viewport()->width()) << where.toStdString();
        for (int row = 0; row < rows.rowCount(); ++row) {
            const QModelIndex cell = rows.index(row, ChatLogRecordModel::kTextColumn);
            const auto *delegate = qobject_cast<const ChatLogHitDelegate *>(hits.itemDelegateForIndex(cell));
            ASSERT_NE(delegate, nullptr);
            QStyleOptionViewItem option;
            option.initFrom(&hits);
            option.widget = &hits;
            option.rect = hits.visualRect(cell);
            const QString shown = delegate->ShownText(option, cell);
            const qsizetype at = shown.indexOf(u("你好"));
            ASSERT_GE(at, 0) << where.toStdString();
            EXPECT_LE(option.fontMetrics.horizontalAdvance(shown.left(at + 2)), option.rect.width() - 4)
                << where.toStdString() << ": what matched is out of view in \"" << shown.toStdString() << "\"";
        }
        EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(hits, where), kExceptions));
        EXPECT_LT(hits.header()->sectionSize(0), static_cast<const QAbstractItemView &>(hits).sizeHintForColumn(0))
            << "the long name is cut";
        if (width == defaultWidth)
            EXPECT_NO_PROBLEMS(LayoutCheck::CellTexts(hits, {1, 2}, where)); // the host and address stay whole
    }
    CUserLogFilterDlg filter;
    EXPECT_NO_PROBLEMS(shownProblems(filter, u("CUserLogFilterDlg")));
}

// The capture's hint stays whole on the screen wherever the area is: at each
// edge and corner, and before any area is chosen.
TEST(WindowLayout, CaptureHintNearEachEdge)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    DesktopPicture desktop;
    desktop.image = QImage(screen.size(), QImage::Format_RGB32);
    desktop.image.fill(Qt::darkCyan);
    desktop.origin = screen.topLeft();
    CScreenCaptureDlg dialog(desktop);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int w = screen.width(), h = screen.height();
    QStringList problems;
    // None yet; at the left, right, top and bottom edges; in the corners.
    for (const QRect &area : { QRect(), QRect(0, h / 2, 60, 40), QRect(w - 60, h / 2, 60, 40), QRect(w / 2, 0, 60, 40),
             QRect(w / 2, h - 40, 60, 40), QRect(w - 30, 0, 30, 30), QRect(w - 30, h - 30, 30, 30) }) {
        dialog.setArea(area);
        const QRect hint = dialog.hintRect();
        const QString where = u("CScreenCaptureDlg/hint at %1,%2").arg(area.x()).arg(area.y());
        if (!dialog.rect().contains(hint) || hint.intersects(area))
            problems << where + u(": off the screen or over the area");
        problems += LayoutCheck::PaintedText(where, dialog.hintText(), hint, dialog.font());
    }
    EXPECT_NO_PROBLEMS(problems);
}

TEST(WindowLayout, SmallDialogsOfTheChatWindows)
{
    COverwritePromptDlg overwrite;
    EXPECT_NO_PROBLEMS(shownProblems(overwrite, u("COverwritePromptDlg")));
    CQuickReplyDlg quick;
    EXPECT_NO_PROBLEMS(shownProblems(quick, u("CQuickReplyDlg")));
}

// Small dialogs whose title is longer than what they hold: the window
// manager shows the title whole (the check of every window's title bar).
TEST(WindowLayout, SmallDialogsOfContactsAndShares)
{
    CChangeUserNameDlg rename(u("王小明"), QString());
    EXPECT_NO_PROBLEMS(shownProblems(rename, u("CChangeUserNameDlg")));
    CRenameUserGroupDlg group(u("研发部"), {});
    EXPECT_NO_PROBLEMS(shownProblems(group, u("CRenameUserGroupDlg")));
    CNewUserGroupDlg newGroup({});
    EXPECT_NO_PROBLEMS(shownProblems(newGroup, u("CNewUserGroupDlg")));
    CAutoReplyTextDlg reply;
    EXPECT_NO_PROBLEMS(shownProblems(reply, u("CAutoReplyTextDlg")));
    CTransparencyDlg alpha({ 0, 10, 20, 30 });
    EXPECT_NO_PROBLEMS(shownProblems(alpha, u("CTransparencyDlg")));
    COtherSubnetFriendsDlg subnets({ u("192.168.100.200") });
    EXPECT_NO_PROBLEMS(shownProblems(subnets, u("COtherSubnetFriendsDlg")));
    CTodayNoteDlg today;
    EXPECT_NO_PROBLEMS(shownProblems(today, u("CTodayNoteDlg")));
    CConfig config(TestEnv::freshDir(u("layout-shares")) + u("/kwel.ini"));
    CSharePasswordDlg password(&config);
    EXPECT_NO_PROBLEMS(shownProblems(password, u("CSharePasswordDlg")));
    CSharePasswordInputDlg asked(u("用户名:王小明(主机:WANG-PC)IP地址:192.168.100.200"));
    EXPECT_NO_PROBLEMS(shownProblems(asked, u("CSharePasswordInputDlg")));
    CShareSettingsDlg settings(&config);
    EXPECT_NO_PROBLEMS(shownProblems(settings, u("CShareSettingsDlg")));
}

TEST(WindowLayout, FaceWindows)
{
    const QString root = TestEnv::freshDir(u("layout-faces"));
    FaceStore store(PictureStore(root + u("/kwel")));
    store.Prepare();
    PictureStore::SetProgramFolder(root + u("/kwel"));

    CFacePickerDlg picker;
    EXPECT_NO_PROBLEMS(shownProblems(picker, u("CFacePickerDlg")));
    CFaceManagerDlg manager(store);
    EXPECT_NO_PROBLEMS(shownProblems(manager, u("CFaceManagerDlg")));
    CFaceProgressDlg progress(u("导入"), &manager);
    EXPECT_NO_PROBLEMS(shownProblems(progress, u("CFaceProgressDlg")));
    CImportQQFacesDlg import;
    EXPECT_NO_PROBLEMS(shownProblems(import, u("CImportQQFacesDlg")));
    CEditFaceDlg edit;
    EXPECT_NO_PROBLEMS(shownProblems(edit, u("CEditFaceDlg")));
    PictureStore::SetProgramFolder(QString());
}

// Attached files at the window's default size: the send list shows each
// name (a long one elided in its middle, keeping its type) beside its type
// and size, and a wider window gives the side pane and its lists more room.
TEST(WindowLayout, TheSendListShowsTheNamesOfAttachedFiles)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    CChatDlg &window = *a.window;
    const QString file = a.dir + u("/报告.txt");
    const QString longName = a.dir + u("/二零二六年第四季度销售统计报告最终版本.xlsx");
    ASSERT_TRUE(TestEnv::writeAll(file, QByteArray(286, 'x')));
    ASSERT_TRUE(TestEnv::writeAll(longName, QByteArray(100, 'y')));
    window.AddAttachments({file, longName, a.dir});
    window.show();
    QCoreApplication::processEvents();
    if (const QByteArray shot = qgetenv("KWEL_LAYOUT_SHOTS"); !shot.isEmpty())
        window.grab().save(QString::fromLocal8Bit(shot) + QStringLiteral("/chat-send-list.png"));
    EXPECT_NO_PROBLEMS(LayoutCheck::Unexcused(LayoutCheck::Problems(window, u("CChatDlg+attachments")), kExceptions));

    QTreeWidget *list = window.sendList();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QFontMetrics fm(list->font());
    const int indicator = list->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    const int room = list->columnWidth(0) - indicator - list->iconSize().width() - 12;
    EXPECT_GE(room, fm.horizontalAdvance(u("报告.txt"))) << "a short name shows whole";
    EXPECT_GE(list->columnWidth(1), fm.horizontalAdvance(u("文件")));
    EXPECT_GE(list->columnWidth(2), fm.horizontalAdvance(u("286B")));

    // Wider: the side pane widens in proportion, the names with it, and the
    // type and the size come into view beside them.
    const int paneBefore = list->width();
    const int nameBefore = list->columnWidth(0);
    window.resize(960, 480);
    QCoreApplication::processEvents();
    if (const QByteArray shot = qgetenv("KWEL_LAYOUT_SHOTS"); !shot.isEmpty())
        window.grab().save(QString::fromLocal8Bit(shot) + QStringLiteral("/chat-send-list-wide.png"));
    EXPECT_GE(list->width(), paneBefore * 960 / 640 - 4);
    EXPECT_GT(list->columnWidth(0), nameBefore);
    const int right = list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2);
    EXPECT_LE(right, list->viewport()->width()) << "the type and the size are in view";
    window.resize(640, 480);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->width(), paneBefore) << "back at the default size";
}

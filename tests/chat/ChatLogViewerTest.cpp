// The chat-log viewer over logs written by the program's own writer: the
// peers, the pages, the search and the deletion, without and with its window.
#include "chat/CChatDlg.h"
#include "chat/CChatLogDlg.h"
#include "chat/CUserLogFilterDlg.h"
#include "chat/LoopbackChat.h"
#include "chat/CMsgRichEdit.h"
#include "chat/ChatLogBrowser.h"
#include "chat/ChatLogFilter.h"
#include "chat/ChatLogRecordModel.h"
#include "chat/session/ChatPeer.h"
#include "chat/session/ChatSession.h"
#include "net/Commands.h"
#include "net/PacketRecord.h"
#include "core/Gbk.h"
#include "net/ChatLogReader.h"
#include "net/ChatLogWriter.h"
#include "net/PeerBounds.h"
#include "core/MessageMarkers.h"
#include <QElapsedTimer>
#include <QFontMetrics>
#include <cstdio>
#include "net/HostRecord.h"
#include "platform/ScriptedPrompter.h"

#include "TestEnv.h"
#include "core/PlainText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using ChatTest::u;

ChatLogEntry peer(const QString &user, const QString &mac, quint32 address, const QString &group = u("研发部"))
{
    ChatLogEntry e;
    e.userName = user;
    e.groupName = group;
    e.loginName = user;
    e.hostName = user + u("-pc");
    e.macText = mac;
    e.address = address;
    e.port = 2425;
    return e;
}

const ChatLogEntry kAnn = peer(u("ann"), u("00AA00000001"), 0xC0A80102); // 192.168.1.2
const ChatLogEntry kBob = peer(u("鲍勃"), u("00AA00000002"), 0x0A000003); // 10.0.0.3
const ChatLogEntry kCat = peer(u("cat"), QString(), 0x0A000104);

struct LogFile
{
    QString base;
    QString path;
    QDateTime now { QDate::currentDate(), QTime(9, 0) };

    explicit LogFile(const QString &name)
        : base(TestEnv::freshDir(name))
        , path(ChatLogWriter::ChatLogPathIn(base))
    {
    }

    // count records of the peer, texts "<prefix><n>".
    void add(ChatLogWriter &writer, const ChatLogEntry &who, int count, const QString &prefix)
    {
        for (int i = 0; i < count; ++i) {
            ChatLogEntry e = who;
            e.text = prefix + QString::number(i) + u("\n");
            writer.LogSentChatMessage(e);
        }
    }
};

std::shared_ptr<const ChatLogIndex> indexOf(const QString &path)
{
    std::optional<ChatLogIndex> index = ChatLogIndex::BuildFromFile(path);
    return index ? std::make_shared<const ChatLogIndex>(std::move(*index)) : nullptr;
}

QStringList pageTexts(const ChatLogBrowser &browser)
{
    QStringList out;
    for (const ChatLogEntry &e : ChatLogBrowser::ReadRecords(browser.path(), *browser.index(), browser.PageRecords()))
        out.append(e.text);
    return out;
}

int rowOf(const ChatLogBrowser &browser, const QString &user)
{
    for (int row = 0; row < browser.rowCount(); ++row)
        if (browser.RowTexts(row).first() == user)
            return row;
    return -1;
}

} // namespace

TEST(ChatLogBrowser, PagesCountFromTheNewestRecordBack)
{
    LogFile log(u("browser-pages"));
    {
        ChatLogWriter writer(log.base);
        writer.SetClock([&] { return log.now; });
        log.add(writer, kAnn, 40, u("a")); // and its date line: 41 records
        log.add(writer, kBob, 40, u("b"));
    }
    ChatLogBrowser browser;
    EXPECT_EQ(browser.pageCount(), 1);
    EXPECT_EQ(browser.PageLabel(), u("当前第 1/1 页"));
    browser.SetIndex(indexOf(log.path), log.path);
    ASSERT_EQ(browser.rowCount(), 2);
    EXPECT_EQ(browser.RowTexts(0), QStringList({ u("ann"), u("ann-pc"), u("ann"), u("研发部"), u("00-AA-00-00-00-01"),
                                       u("192.168.1.2") }));

    browser.ChooseRows({ rowOf(browser, u("鲍勃")) });
    EXPECT_EQ(browser.shownRecords().size(), 40u);
    EXPECT_EQ(browser.pageCount(), 2);
    EXPECT_EQ(browser.currentPage(), 2) << "the last page first";
    EXPECT_EQ(pageTexts(browser).first(), u("b20\n"));
    browser.ChooseRows({ rowOf(browser, u("ann")) });
    EXPECT_EQ(browser.pageCount(), 3);
    browser.SetPage(1);
    EXPECT_EQ(pageTexts(browser), QStringList({ u("日期:") + QDate::currentDate().toString(u("yyyy-MM-dd")) + u("\n") }))
        << "the first page holds only the oldest record";
    browser.SetPage(9);
    EXPECT_EQ(browser.currentPage(), 3);
    EXPECT_EQ(browser.PageLabel(), u("当前第 3/3 页"));

    // Two rows: the upper row's records, then the lower one's, each in file order.
    browser.ChooseRows({ 1, 0 });
    ASSERT_EQ(browser.shownRecords().size(), 81u);
    EXPECT_LT(browser.shownRecords()[0], browser.shownRecords()[40]);
    EXPECT_EQ(browser.index()->recordPeer(browser.shownRecords()[0]), 0);
    EXPECT_EQ(browser.index()->recordPeer(browser.shownRecords()[80]), 1);
}

TEST(ChatLogBrowser, ColumnSortsOneFlagForAllColumnsAddressesAsNumbers)
{
    LogFile log(u("browser-sort"));
    {
        ChatLogWriter writer(log.base);
        log.add(writer, kAnn, 1, u("a"));
        log.add(writer, kBob, 1, u("b"));
        log.add(writer, kCat, 1, u("c"));
    }
    ChatLogBrowser browser;
    browser.SetIndex(indexOf(log.path), log.path);
    const auto column = [&](int c) {
        QStringList out;
        for (int row = 0; row < browser.rowCount(); ++row)
            out.append(browser.RowTexts(row)[c]);
        return out;
    };
    browser.OnColumnClick(ChatLogBrowser::AddressColumn);
    EXPECT_TRUE(browser.ascending()) << "the first click sorts ascending";
    EXPECT_EQ(column(5), QStringList({ u("10.0.0.3"), u("10.0.1.4"), u("192.168.1.2") }));
    browser.OnColumnClick(ChatLogBrowser::UserColumn);
    EXPECT_FALSE(browser.ascending()) << "the next one, on another column, descending";
    EXPECT_EQ(column(0), QStringList({ u("鲍勃"), u("cat"), u("ann") })) << "bytes compared unsigned";
}

TEST(ChatLogBrowser, TheRecordsOfChosenPeersAndTheFilterOfTheChatWindow)
{
    LogFile log(u("browser-chosen"));
    {
        ChatLogWriter writer(log.base);
        log.add(writer, kAnn, 1, u("a"));
        log.add(writer, peer(u("ann"), u("00AA00000001"), 0xC0A80102, u("市场部")), 1, u("a-other-group"));
    }
    ChatLogBrowser browser;
    browser.SetIndex(indexOf(log.path), log.path);
    ASSERT_EQ(browser.rowCount(), 2);
    const ChatLogPeer &first = browser.rowPeer(0);
    EXPECT_TRUE(browser.IsRecordOfChosenPeers(first, { 0 }));
    EXPECT_FALSE(browser.IsRecordOfChosenPeers(browser.rowPeer(1), { 0 }))
        << "a record that differs only in the group name stays";
    EXPECT_FALSE(browser.IsRecordOfChosenPeers(first, { 7 })) << "rows outside the list are passed over";
    ChatLogPeer padded = first;
    padded.userName += "  ";
    EXPECT_TRUE(ChatLogBrowser::IsRecordOf(padded, { first })) << "trailing blanks of the names do not count";
    padded.macText += " ";
    EXPECT_FALSE(ChatLogBrowser::IsRecordOf(padded, { first })) << "the record's MAC text counts as stored";

    // The chat window's filter: the peer's MAC, or its names and address.
    HostRecord host;
    host.key = HostKey(u("ann"), u("ann-pc"), 0xC0A80102, 2425);
    host.displayName = u("ann");
    host.keyText = u("00AA00000001");
    host.customGroup = u("研发部");
    ChatLogFilter filter = ChatLogFilter::ForPeer(host);
    EXPECT_TRUE(filter.macEqual);
    EXPECT_FALSE(filter.userEqual);
    EXPECT_TRUE(filter.MatchesPeer(browser.rowPeer(1)));
    filter.groupEqual = true;
    EXPECT_FALSE(filter.MatchesPeer(browser.rowPeer(1)));
    host.keyText.clear();
    const ChatLogFilter byNames = ChatLogFilter::ForPeer(host);
    EXPECT_TRUE(byNames.userEqual && byNames.loginEqual && byNames.hostEqual && byNames.addressEqual);
    EXPECT_FALSE(byNames.macEqual);
    const QDate today(2024, 3, 31);
    ChatLogFilter period;
    EXPECT_TRUE(period.MatchesDay(today, today));
    EXPECT_FALSE(period.MatchesDay(today.addDays(-1), today));
    EXPECT_FALSE(period.MatchesDay(QDate(), today)) << "no day: only for all time";
    period.period = ChatLogFilter::Week;
    EXPECT_TRUE(period.MatchesDay(today.addDays(-6), today));
    EXPECT_FALSE(period.MatchesDay(today.addDays(-7), today));
    period.period = ChatLogFilter::Month;
    EXPECT_TRUE(period.MatchesDay(QDate(2024, 2, 29), today));
    EXPECT_FALSE(period.MatchesDay(QDate(2024, 2, 28), today));
    period.period = ChatLogFilter::AllTime;
    EXPECT_TRUE(period.MatchesDay(QDate(), today));
}

namespace {

struct ViewerFixture
{
    explicit ViewerFixture(const QString &name)
        : log(name)
    {
    }
    void open()
    {
        dialog = std::make_unique<CChatLogDlg>(nullptr, log.path, nullptr);
        done = std::make_unique<QSignalSpy>(dialog.get(), &CChatLogDlg::taskFinished);
        wait();
    }
    void wait() { ASSERT_TRUE(done->wait(10000) || !dialog->isWorking()); }
    int row(const QString &user) const
    {
        for (int r = 0; r < dialog->userList()->topLevelItemCount(); ++r)
            if (dialog->userList()->topLevelItem(r)->text(0) == user)
                return r;
        return -1;
    }
    void click(int r)
    {
        dialog->userList()->clearSelection();
        dialog->userList()->topLevelItem(r)->setSelected(true);
        dialog->OnUserListClicked();
    }

    LogFile log;
    std::unique_ptr<CChatLogDlg> dialog;
    std::unique_ptr<QSignalSpy> done;
};

} // namespace

// The name, host and address of a hit take what they need while together
// they fit half the list; past that, the short ones keep their need while the
// others keep room for their titles, and the long ones share the rest.
TEST(ChatLogRecordModel, KeyColumnsTakeAtMostHalfTheList)
{
    const QList<int> titles { 50, 40, 50 };
    EXPECT_EQ(ChatLogRecordModel::KeyColumnWidths({ 60, 50, 90 }, titles, 300), (QList<int>{ 60, 50, 90 }));
    EXPECT_EQ(ChatLogRecordModel::KeyColumnWidths({ 320, 50, 90 }, titles, 200), (QList<int>{ 60, 50, 90 }));
    EXPECT_EQ(ChatLogRecordModel::KeyColumnWidths({ 320, 300, 90 }, titles, 200), (QList<int>{ 55, 55, 90 }));
    // Too narrow for that: an even share each, what a column does not need
    // going to the others.
    EXPECT_EQ(ChatLogRecordModel::KeyColumnWidths({ 320, 30, 90 }, titles, 120), (QList<int>{ 45, 30, 45 }));
    EXPECT_EQ(ChatLogRecordModel::KeyColumnWidths({ 320, 300, 90 }, titles, -5), (QList<int>{ 0, 0, 0 }));
}

// A hit's text shows what matched: as it is while the match fits the cell,
// from a little before the match otherwise, however far in it lies.
TEST(ChatLogRecordModel, AHitsTextShowsWhatMatched)
{
    const QFontMetrics fm(QApplication::font());
    const QString heading = u("华东区市场营销部销售经理王小明的笔记本电脑备用机 07:36:01   ");
    const int width = fm.horizontalAdvance(heading) / 2;
    const QString shortText = u("王小明 08:00:00   你好");
    ASSERT_LE(fm.horizontalAdvance(shortText), width);
    EXPECT_EQ(ChatLogRecordModel::AroundMatch(shortText, u("你好"), fm, width), shortText);
    EXPECT_EQ(ChatLogRecordModel::AroundMatch(heading + u("没有"), u("你好"), fm, width), heading + u("没有"));
    for (const QString &text : QStringList{ heading + u("你好，三点的会改到四点"), QString(100000, u'x') + u("你好") }) {
        const QString shown = ChatLogRecordModel::AroundMatch(text, u("你好"), fm, width);
        ASSERT_TRUE(shown.startsWith(QChar(0x2026)));
        EXPECT_TRUE(text.endsWith(shown.mid(1)));
        const qsizetype at = shown.indexOf(u("你好"));
        ASSERT_GT(at, 1) << "a little of what comes before";
        EXPECT_LE(fm.horizontalAdvance(shown.left(at + 2)), width);
    }
}

TEST(ChatLogDlg, ReadsTheWritersLogUpToATornLastRecord)
{
    ViewerFixture f(u("viewer-torn"));
    {
        ChatLogWriter writer(f.log.base);
        f.log.add(writer, kAnn, 25, u("ann说"));
        f.log.add(writer, kBob, 3, u("bob说/:) "));
        ChatLogEntry coloured = kCat;
        coloured.font.color = 0x0000FF;
        coloured.text = u("红字 http://example.com/a 与 javascript:alert(1)");
        writer.LogSentChatMessage(coloured);
        f.log.add(writer, kCat, 1, u("断了"));
    }
    QByteArray data = TestEnv::readAll(f.log.path);
    data.chop(2); // the last record is cut
    ASSERT_TRUE(TestEnv::writeAll(f.log.path, data));
    f.open();
    EXPECT_EQ(f.dialog->windowTitle(), u("查看聊天记录"));
    ASSERT_EQ(f.dialog->userList()->topLevelItemCount(), 3);
    EXPECT_EQ(f.dialog->pageLabel()->text(), u("当前第 1/1 页"));

    f.click(f.row(u("ann")));
    EXPECT_TRUE(f.dialog->textView()->isVisibleTo(f.dialog.get()));
    EXPECT_FALSE(f.dialog->recordList()->isVisibleTo(f.dialog.get()));
    EXPECT_EQ(f.dialog->pageLabel()->text(), u("当前第 2/2 页"));
    EXPECT_EQ(f.dialog->pageCombo()->count(), 2);
    EXPECT_TRUE(f.dialog->textView()->toPlainText().contains(u("ann说24")));
    EXPECT_FALSE(f.dialog->textView()->toPlainText().contains(u("ann说4\n")));
    f.dialog->button(CChatLogDlg::FirstPage)->click();
    EXPECT_EQ(f.dialog->pageLabel()->text(), u("当前第 1/2 页"));
    EXPECT_TRUE(f.dialog->textView()->toPlainText().contains(u("ann说4")));

    // The coloured record shows in the default face with its colour; the cut one is not there.
    f.click(f.row(u("cat")));
    const QString text = f.dialog->textView()->toPlainText();
    EXPECT_TRUE(text.contains(u("红字")));
    EXPECT_FALSE(text.contains(u("断了")));
    QTextCursor cursor(f.dialog->textView()->document());
    cursor.setPosition(1);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(255, 0, 0));
    // Only web, FTP and mail addresses open.
    EXPECT_FALSE(f.dialog->OpenLink(u("javascript:alert(1)")));
}

// A record full of picture markers (past the count shown as text) and faces
// is drawn in time linear in its length.
TEST(ChatLogDlg, ARecordFullOfMarkersShowsWithoutFreezing)
{
    for (const qsizetype bytes : { qsizetype(16) << 10, qsizetype(256) << 10 }) {
        ViewerFixture f(u("viewer-markers-%1").arg(bytes));
        ChatLogEntry record = kAnn;
        for (quint32 id = 1; record.text.size() < bytes; ++id)
            record.text += PictureMarker(id, false) + (id % 3 == 0 ? u("/wx a ") : QString());
        record.text += u("\n");
        {
            ChatLogWriter writer(f.log.base);
            writer.LogSentChatMessage(record);
        }
        f.open();
        QElapsedTimer clock;
        clock.start();
        f.click(f.row(u("ann")));
        const qint64 ms = clock.elapsed();
        std::printf("FIGURE chat-log viewer, record of %lld KB of markers and faces: %lld ms\n",
            static_cast<long long>(bytes >> 10), static_cast<long long>(ms));
        EXPECT_TRUE(f.dialog->textView()->toPlainText().contains(PictureMarker(PeerBounds::kPicturesPerMessage + 1, false)));
        EXPECT_LT(ms, 8000) << "generous: the figure is the measure";
    }
}

TEST(ChatLogDlg, SearchThenDeleteOnePeersLogKeepingTheOthersByteForByte)
{
    ViewerFixture f(u("viewer-delete"));
    {
        ChatLogWriter writer(f.log.base);
        f.log.add(writer, kAnn, 5, u("会议"));
        f.log.add(writer, kBob, 5, u("会议"));
        f.log.add(writer, kCat, 5, u("午饭"));
    }
    const QByteArray before = TestEnv::readAll(f.log.path);
    f.open();
    f.dialog->searchText()->setText(u("会议3"));
    f.dialog->OnSearch();
    f.wait();
    EXPECT_TRUE(f.dialog->recordList()->isVisibleTo(f.dialog.get()));
    ASSERT_EQ(f.dialog->recordList()->model()->rowCount(), 2);
    EXPECT_EQ(f.dialog->recordList()->model()->index(0, 3).data().toString(), u("会议3"));
    EXPECT_EQ(f.dialog->recordList()->model()->index(0, 3).data(Qt::ToolTipRole).toString(), PlainText::ToolTip(u("会议3")))
        << "a text too long for its column is read in its tip, never as markup";
    const QModelIndex name = f.dialog->recordList()->model()->index(0, 0);
    ASSERT_FALSE(name.data().toString().isEmpty());
    EXPECT_EQ(name.data(Qt::ToolTipRole).toString(), PlainText::ToolTip(name.data().toString()))
        << "so is a name cut at its column's edge";
    EXPECT_FALSE(f.dialog->pageLabel()->isVisibleTo(f.dialog.get())) << "no pages for search results";
    f.dialog->OnRecordDoubleClicked(1);
    EXPECT_EQ(f.dialog->textView()->toPlainText(), u("会议3\n"));

    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    prompts.queueButton(Prompter::Button::No);
    f.dialog->userList()->topLevelItem(f.row(u("鲍勃")))->setSelected(true);
    f.dialog->OnDeleteLogs();
    EXPECT_EQ(prompts.calls().last().text, u("您是否真的要删除这 1 个人的日志？"));
    EXPECT_EQ(TestEnv::readAll(f.log.path), before);

    prompts.queueButton(Prompter::Button::Yes);
    f.dialog->OnDeleteLogs();
    f.wait();
    ASSERT_EQ(f.dialog->userList()->topLevelItemCount(), 2);
    EXPECT_EQ(f.row(u("鲍勃")), -1);
    const QByteArray after = TestEnv::readAll(f.log.path);
    const ChatLogIndex old = ChatLogIndex::Build(before);
    QByteArray expected = before.left(4);
    for (qsizetype i = 0; i < old.recordCount(); ++i)
        if (old.peers()[old.recordPeer(i)].macText != "00AA00000002")
            expected += before.mid(old.recordOffset(i), old.recordEnd(i) - old.recordOffset(i));
    EXPECT_EQ(after, expected);

    // With nobody chosen, all logs go.
    f.dialog->userList()->clearSelection();
    prompts.queueButton(Prompter::Button::Yes);
    f.dialog->OnDeleteLogs();
    EXPECT_EQ(prompts.calls().last().text, u("您是否真的要删除所有日志？"));
    f.wait();
    EXPECT_EQ(f.dialog->userList()->topLevelItemCount(), 0);
    EXPECT_EQ(TestEnv::readAll(f.log.path), before.left(4));
}

TEST(ChatWindowLog, ThePeersHistoryFromTheLogInTheWindowAndTheViewerButton)
{
    ChatTest::Side a(u("甲"));
    ChatTest::Side b(u("乙"));
    ChatTest::Side c(u("丙"));
    a.meet(c);
    a.meet(b);
    // Messages both ways with b, one from c: only b's show in b's window.
    b.meet(a);
    b.window->input()->InsertTextWithFaces(u("你好/:)"), 0);
    b.window->OnSend();
    c.meet(a);
    c.window->input()->InsertTextWithFaces(u("别人的话"), 0);
    c.window->OnSend();
    ASSERT_TRUE(ChatTest::waitFor([&] { return a.shown == 2; }));
    a.window->input()->InsertTextWithFaces(u("收到"), 0);
    a.window->OnSend();

    ChatLogFilter asked;
    CChatDlg::SetLogFilterAsker([&](QWidget *, const ChatLogFilter &preset, const CChatDlg::LogFilterDone &done) {
        asked = preset;
        done(preset);
    });
    QSignalSpy drawn(a.window.data(), &CChatDlg::loggedHistoryShown);
    a.window->OnPeerLog();
    // The log is read on a worker; a bar at the foot of the history shows it.
    auto *bar = a.window->history()->findChild<QProgressBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isHidden());
    ASSERT_TRUE(drawn.wait(10000));
    EXPECT_TRUE(bar->isHidden()) << "gone once the history is drawn";
    EXPECT_EQ(bar->value(), bar->maximum());
    CChatDlg::SetLogFilterAsker({});
    EXPECT_TRUE(asked.macEqual) << "preset by the peer's MAC text";
    EXPECT_EQ(asked.period, ChatLogFilter::Today);
    const QString history = a.window->history()->toPlainText();
    EXPECT_TRUE(history.contains(u("  你好"))) << history.toStdString();
    EXPECT_TRUE(history.contains(u("  收到")));
    EXPECT_FALSE(history.contains(u("别人的话")));

    // The filter dialog, preset for the peer, is what asks by default. It
    // runs no event loop of its own: the button returns at once, and a
    // cancel reads nothing.
    a.window->history()->clear();
    a.window->OnPeerLog();
    QPointer<CUserLogFilterDlg> dialog = a.window->findChild<CUserLogFilterDlg *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), u("设置过滤条件"));
    EXPECT_TRUE(dialog->findChild<QAbstractButton *>(u("1080"))->isChecked());
    EXPECT_FALSE(dialog->findChild<QAbstractButton *>(u("1086"))->isChecked());
    EXPECT_TRUE(dialog->findChild<QAbstractButton *>(u("1162"))->isChecked());
    dialog->reject();
    EXPECT_FALSE(drawn.wait(300));
    ASSERT_TRUE(ChatTest::waitFor([&] { return dialog.isNull(); })) << "the dialog goes when it ends";
    a.window->OnPeerLog();
    dialog = a.window->findChild<CUserLogFilterDlg *>();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QAbstractButton *>(u("1165"))->click(); // all time
    dialog->accept();
    ASSERT_TRUE(drawn.wait(10000));
    EXPECT_TRUE(a.window->history()->toPlainText().contains(u("  你好")));

    // "全部记录" asks the application for the viewer.
    QSignalSpy viewer(a.window.data(), &CChatDlg::chatLogViewerRequested);
    a.window->button(ChatCtl::WholeLog)->click();
    EXPECT_EQ(viewer.size(), 1);

    // Without a log file the user is asked whether to set it up.
    ChatTest::Side d(u("丁"));
    d.meet(a);
    QFile::remove(d.log->GetChatLogPath());
    ScriptedPrompter prompts;
    PrompterScope scope(prompts);
    prompts.queueButton(Prompter::Button::Yes);
    QSignalSpy settings(d.window.data(), &CChatDlg::settingsRequested);
    d.window->button(ChatCtl::PeerLog)->click();
    ASSERT_EQ(prompts.calls().size(), 1);
    EXPECT_EQ(prompts.calls().first().text, ChatLogTexts::NoLogQuestion());
    EXPECT_EQ(settings.size(), 1);

    // The window may go while the dialog asks: the dialog goes with it.
    a.window->OnPeerLog();
    dialog = a.window->findChild<CUserLogFilterDlg *>();
    ASSERT_NE(dialog, nullptr);
    delete a.window.data();
    EXPECT_TRUE(dialog.isNull());
}

TEST(ChatWindowLog, MessagesArrivingWhileTheLogIsShownStayBelowItsRecords)
{
    ChatTest::Side a(u("甲"));
    ChatTest::Side b(u("乙"));
    a.meet(b);
    // Old records with b, enough for several batches of drawing.
    const HostRecord &peer = *a.window->peer();
    constexpr int kOld = 180;
    for (int i = 0; i < kOld; ++i)
        a.log->LogSentChatMessage(PeerLogEntry(peer, ChatFont::standard(), u("旧话%1\n").arg(i)));
    ASSERT_TRUE(a.log->WaitUntilIdle(10000));
    // A message of b's arrives, as the program hands it to the session.
    const auto arrive = [&a, key = peer.key](const QString &text) {
        PacketRecord packet;
        packet.key = key;
        packet.commandWord = CMD_SEND_MESSAGE;
        packet.body = Gbk::encode(text);
        a.session()->TakeReceivedMessage(packet);
        return a.session()->ShowReceivedMessage(false, false);
    };

    CChatDlg::SetLogFilterAsker(
        [](QWidget *, const ChatLogFilter &preset, const CChatDlg::LogFilterDone &done) { done(preset); });
    QSignalSpy drawn(a.window.data(), &CChatDlg::loggedHistoryShown);
    CMsgRichEdit *history = a.window->history();
    a.window->OnPeerLog();
    // While the worker reads the log: shown at once.
    ASSERT_TRUE(arrive(u("读日志时到的")));
    EXPECT_TRUE(history->toPlainText().contains(u("读日志时到的")));

    // Once the first batch of records is drawn another one arrives; the
    // first stays in the window after every batch.
    auto *bar = history->findChild<QProgressBar *>();
    ASSERT_NE(bar, nullptr);
    int batches = 0;
    bool keptWhileDrawing = true;
    bool arrivedAmongBatches = false;
    QObject::connect(bar, &QProgressBar::valueChanged, history, [&] {
        const QString text = history->toPlainText();
        if (!text.contains(u("旧话0"))) // still reading
            return;
        keptWhileDrawing = keptWhileDrawing && text.contains(u("读日志时到的"));
        if (++batches == 1)
            QTimer::singleShot(0, history, [&] {
                arrivedAmongBatches = !history->toPlainText().contains(u("旧话179")) && arrive(u("画记录时到的"));
            });
    });
    ASSERT_TRUE(drawn.wait(10000));
    CChatDlg::SetLogFilterAsker({});
    EXPECT_GE(batches, 3);
    EXPECT_TRUE(arrivedAmongBatches);
    EXPECT_TRUE(keptWhileDrawing);

    // The log's records in their order, then the new messages in theirs.
    const QString text = history->toPlainText();
    const qsizetype first = text.indexOf(u("旧话0"));
    const qsizetype last = text.indexOf(u("旧话179"));
    ASSERT_GE(first, 0);
    EXPECT_LT(first, last);
    EXPECT_LT(last, text.lastIndexOf(u("读日志时到的"))) << text.toStdString();
    EXPECT_LT(text.lastIndexOf(u("读日志时到的")), text.indexOf(u("画记录时到的")));
    EXPECT_EQ(text.count(u("画记录时到的")), 1);
    EXPECT_TRUE(text.trimmed().endsWith(u("画记录时到的")));
}

// A message that arrives while "聊天记录" reads the log is in the log too by
// the time the log is read; it shows once, below the records, not also
// among them. The writer is still busy with a long batch when it arrives,
// so its record is in the file before the log is read.
TEST(ChatWindowLog, AMessageArrivingWhileTheLogIsReadShowsOnce)
{
    ChatTest::Side a(u("甲"));
    ChatTest::Side b(u("乙"));
    ChatTest::Side c(u("丙"));
    a.meet(c);
    a.meet(b);
    const HostRecord &peer = *a.window->peer();
    for (int i = 0; i < 3; ++i)
        a.log->LogSentChatMessage(PeerLogEntry(peer, ChatFont::standard(), u("旧话%1\n").arg(i)));
    ASSERT_TRUE(a.log->WaitUntilIdle(10000));
    // Another peer's records, handed to the writer as one batch.
    a.log->SetChatLogWriteAtOnce(false);
    const HostRecord &other = *a.peerOf(c);
    for (int i = 0; i < 20000; ++i)
        a.log->LogSentChatMessage(PeerLogEntry(other, ChatFont::standard(), u("别人%1\n").arg(i)));
    a.log->SetChatLogWriteAtOnce(true);

    CChatDlg::SetLogFilterAsker(
        [](QWidget *, const ChatLogFilter &preset, const CChatDlg::LogFilterDone &done) { done(preset); });
    QSignalSpy drawn(a.window.data(), &CChatDlg::loggedHistoryShown);
    a.window->OnPeerLog();
    PacketRecord packet;
    packet.key = peer.key;
    packet.commandWord = CMD_SEND_MESSAGE;
    packet.body = Gbk::encode(u("读日志时到的"));
    a.session()->TakeReceivedMessage(packet);
    ASSERT_TRUE(a.session()->ShowReceivedMessage(false, false));
    ASSERT_TRUE(drawn.wait(30000));
    CChatDlg::SetLogFilterAsker({});
    ASSERT_TRUE(a.log->WaitUntilIdle(10000));
    EXPECT_EQ(a.logged().last().text.count(u("读日志时到的")), 1) << "it is in the log";

    const QString text = a.window->history()->toPlainText();
    EXPECT_EQ(text.count(u("读日志时到的")), 1) << text.toStdString();
    EXPECT_LT(text.indexOf(u("旧话2")), text.indexOf(u("读日志时到的")));
    EXPECT_FALSE(text.contains(u("别人")));

    // Read again, it is among the records, once.
    QSignalSpy again(a.window.data(), &CChatDlg::loggedHistoryShown);
    CChatDlg::SetLogFilterAsker(
        [](QWidget *, const ChatLogFilter &preset, const CChatDlg::LogFilterDone &done) { done(preset); });
    a.window->OnPeerLog();
    ASSERT_TRUE(again.wait(30000));
    CChatDlg::SetLogFilterAsker({});
    EXPECT_EQ(a.window->history()->toPlainText().count(u("读日志时到的")), 1);
}

#include "chat/OfferEntry.h"
#include "TestEnv.h"
#include "chat/CChatFilePanel.h"
#include "chat/session/ChatFileTransfers.h"
#include "core/CConfig.h"
#include "net/FileReceiver.h"
#include "net/LoopbackNet.h"
#include "net/PacketCodec.h"
#include "net/ReceiveTestKit.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QUdpSocket>

#include <arpa/inet.h>

namespace {

namespace Id = ChatCtl;
using S = ReceiveRowStatus;

bool waitFor(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// A chat window's side of the panel: the engine on loopback, the peer a
// scripted sender whose UDP port (the same number) catches the releases.
class FilePanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FileReceiver::setOverwriteAll(false);
        base = TestEnv::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        ASSERT_TRUE(TestNet::openLoopback(net));
        config.LASTOPEN_STR = base;
        config.RECVTRANSMAX_STR = 4096;
    }

    // The panel for a peer served by the sender, in a window of 600 x 435.
    void open(const ScriptedSender &sender)
    {
        ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, sender.port()));
        peer = HostPtr(new HostRecord);
        peer->key = HostKey(QStringLiteral("peer"), QStringLiteral("pc"), INADDR_LOOPBACK, sender.port());
        window.resize(600, 435);
        files = std::make_unique<ChatFileTransfers>(peer, &net, &config);
        panel = new CChatFilePanel(*files, &config, &window);
        files->setPrompts(&prompts); // in place of the panel's dialogs
        panel->LayoutSidePanel(window.size(), 168);
        QObject::connect(files.get(), &ChatFileTransfers::systemText, [this](const QString &t) { lines << t; });
        QObject::connect(&files->receiver(), &FileReceiver::itemStatusChanged, [this](quint32, quint32 id, S s) {
            states.append({ id, s });
        });
    }

    void TearDown() override
    {
        delete panel;
        files.reset();
    }

    // Queues a received offer; returns the number of rows it added.
    int addOffer(quint32 packetNumber, const DecodedFileList &entries)
    {
        const qsizetype before = files->model().offeredRows().size();
        files->AddReceivedOffer(packetNumber, entries);
        return int(files->model().offeredRows().size() - before);
    }

    // The CMD_RELEASE_FILES bodies that reached the peer.
    QStringList releases()
    {
        QCoreApplication::processEvents();
        while (udp.hasPendingDatagrams()) {
            QByteArray data(int(udp.pendingDatagramSize()), Qt::Uninitialized);
            udp.readDatagram(data.data(), data.size());
            PacketRecord p;
            if (PacketCodec::ParsePacket(data, INADDR_LOOPBACK, 0, p) == PacketStatus::Ok
                && p.command() == CMD_RELEASE_FILES)
                released << QString::fromLatin1(p.body);
        }
        return released;
    }

    QAbstractButton *button(int id) { return qobject_cast<QAbstractButton *>(panel->control(id)); }
    QTreeWidget *list(int id) { return qobject_cast<QTreeWidget *>(panel->control(id)); }

    QString base;
    CNetManager net;
    CConfig config;
    FakePrompts prompts;
    ScriptedPrompter prompter;
    PrompterScope prompterScope { prompter };
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope { desktop };
    QUdpSocket udp;
    HostPtr peer;
    QWidget window;
    std::unique_ptr<ChatFileTransfers> files;
    CChatFilePanel *panel = nullptr;
    QStringList lines;
    QStringList released;
    QList<std::pair<quint32, S>> states;
};

} // namespace

TEST_F(FilePanelTest, ReceiveAllMovesTheRowsToTheReceivedList)
{
    ScriptedSender sender([](int fd, const FileRequest &r) {
        if (r.folder)
            SendAll(fd,
                QByteArray(Header(QStringLiteral("docs"), 0, 2) + Header(QStringLiteral("f.txt"), 3, 1) + "abc"
                    + Header(QStringLiteral("."), 0, 3)));
        else
            SendAll(fd, Pattern(10000, int(r.fileId)));
    });
    open(sender);
    EXPECT_FALSE(panel->fileListsShown());
    EXPECT_FALSE(button(Id::ReceiveAll)->isEnabled());
    EXPECT_EQ(addOffer(
                  0x55, { OfferEntry(1, QStringLiteral("a.bin"), 10000), OfferEntry(2, QStringLiteral("docs"), 0, 2) }),
        2);
    EXPECT_TRUE(panel->fileListsShown()); // the first offered rows show the receive lists
    EXPECT_TRUE(list(Id::OfferedList)->isVisibleTo(&window));
    EXPECT_TRUE(button(Id::ReceiveAll)->isEnabled());
    EXPECT_FALSE(button(Id::Receive)->isEnabled()); // until a waiting row is clicked
    EXPECT_EQ(list(Id::OfferedList)->topLevelItem(0)->foreground(0).color(), QColor(Qt::red));

    const QString save = base + QStringLiteral("/in");
    QDir().mkpath(save);
    prompter.queueSaveFile(save + QStringLiteral("/first.bin"));
    panel->OnReceiveAll();
    EXPECT_EQ(config.LASTOPEN_STR, save);
    ASSERT_TRUE(waitFor([&] { return panel->model().receivedRows().size() == 2; }));
    EXPECT_EQ(states,
        (QList<std::pair<quint32, S>> {
            { 1, S::Receiving }, { 1, S::Received }, { 2, S::Receiving }, { 2, S::Received } }));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/first.bin")), Pattern(10000, 1));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/docs/f.txt")), "abc");
    ASSERT_TRUE(waitFor([&] { return panel->model().offerCount() == 0; }));

    QTreeWidget *received = list(Id::ReceivedList);
    ASSERT_EQ(received->topLevelItemCount(), 2);
    EXPECT_EQ(received->topLevelItem(0)->text(0), QStringLiteral("docs")); // the newest on top
    EXPECT_EQ(received->topLevelItem(1)->text(3), save + QStringLiteral("/first.bin"));
    EXPECT_EQ(received->topLevelItem(1)->foreground(0).color(), QColor(Qt::black));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("文件接收完成。"))) << lines.last().toStdString();
    EXPECT_EQ(files->lastNotice(), lines.last());
    EXPECT_TRUE(releases().isEmpty()); // everything was taken: nothing to release
    EXPECT_FALSE(button(Id::ReceiveAll)->isEnabled());
    EXPECT_FALSE(panel->control(Id::Progress)->isVisibleTo(&window));

    // Showing, opening and clearing the received files.
    panel->SelectReceived(1);
    panel->OnShowInFolder();
    EXPECT_EQ(desktop.shown, QList<QString>({ save + QStringLiteral("/first.bin") }));
    panel->OnOpenReceived();
    EXPECT_EQ(desktop.opened, QList<QUrl>({ QUrl::fromLocalFile(save + QStringLiteral("/first.bin")) }));
    panel->OnClearReceived();
    EXPECT_EQ(received->topLevelItemCount(), 0);
    EXPECT_FALSE(panel->fileListsShown()); // nothing left to show
}

TEST_F(FilePanelTest, AFolderThatDoesNotExistIsMadeOrTheChoiceAskedAgain)
{
    ScriptedSender sender([](int fd, const FileRequest &r) { SendAll(fd, Pattern(500, int(r.fileId))); });
    open(sender);
    ASSERT_EQ(addOffer(0x56, { OfferEntry(1, QStringLiteral("a.bin"), 500) }), 1);
    // First a folder below a file (it cannot be made), then a new folder two deep.
    ASSERT_TRUE(TestEnv::writeAll(base + QStringLiteral("/plain"), "x"));
    prompter.queueSaveFile(base + QStringLiteral("/plain/sub/a.bin"));
    const QString made = base + QStringLiteral("/new/sub");
    prompter.queueSaveFile(made + QStringLiteral("/a.bin"));
    panel->OnReceiveAll();
    ASSERT_EQ(prompter.calls().size(), 3);
    EXPECT_EQ(prompter.calls()[1].kind, ScriptedPrompter::Kind::MessageBox);
    EXPECT_TRUE(prompter.calls()[1].text.contains(base + QStringLiteral("/plain/sub")));
    EXPECT_EQ(prompter.calls()[2].directory, base + QStringLiteral("/plain/sub/a.bin")) << "asked again with the choice";
    ASSERT_TRUE(waitFor([&] { return panel->model().receivedRows().size() == 1; }));
    EXPECT_EQ(TestEnv::readAll(made + QStringLiteral("/a.bin")), Pattern(500, 1));
    EXPECT_EQ(config.LASTOPEN_STR, made);
}

TEST_F(FilePanelTest, TheReceivedFilesMenuOpensAndDeletesWhatIsChosen)
{
    ScriptedSender sender([](int fd, const FileRequest &r) { SendAll(fd, Pattern(100, int(r.fileId))); });
    open(sender);
    addOffer(0x56,
        { OfferEntry(1, QStringLiteral("a.bin"), 100), OfferEntry(2, QStringLiteral("b,c.bin"), 100),
            OfferEntry(3, QStringLiteral("d.bin"), 100) });
    // A waiting offered row has its own menu: receive it or cancel it.
    panel->SelectOffered(0);
    std::unique_ptr<QMenu> offered(panel->CreateOfferedMenu());
    ASSERT_NE(offered, nullptr);
    ASSERT_EQ(offered->actions().size(), 2);
    EXPECT_EQ(offered->actions()[0]->text(), QStringLiteral("接收(&A)"));
    EXPECT_EQ(offered->actions()[1]->text(), QStringLiteral("取消(&C)"));
    const QString save = base + QStringLiteral("/in");
    QDir().mkpath(save);
    prompter.queueSaveFile(save + QStringLiteral("/a.bin"));
    panel->OnReceiveAll();
    ASSERT_TRUE(waitFor([&] { return panel->model().receivedRows().size() == 3; }));
    ASSERT_TRUE(waitFor([&] { return panel->model().offerCount() == 0; }));
    const auto rowOf = [&](const QString &name) {
        const auto &rows = panel->model().receivedRows();
        for (int i = 0; i < rows.size(); ++i) {
            if (rows[i].fullPath == save + QLatin1Char('/') + name)
                return i;
        }
        return -1;
    };

    // No menu without a chosen row; with one, the four commands.
    EXPECT_EQ(panel->CreateReceivedMenu(), nullptr);
    panel->SelectReceived(rowOf(QStringLiteral("b,c.bin")));
    std::unique_ptr<QMenu> menu(panel->CreateReceivedMenu());
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    EXPECT_EQ(texts,
        (QStringList { QStringLiteral("打开文件(&F)"), QStringLiteral("打开目录(&D)"),
            QStringLiteral("删除文件(夹)(&D)"), QStringLiteral("永久删除文件(夹)") }));
    // A path with a comma opens its folder instead of selecting the file in it.
    panel->OnMenuCommand(CChatFilePanel::CmdShowInFolder);
    EXPECT_TRUE(desktop.shown.isEmpty());
    EXPECT_EQ(desktop.opened, QList<QUrl>({ QUrl::fromLocalFile(save) }));

    // "No" keeps the file and its row.
    prompter.queueButton(Prompter::Button::No);
    panel->OnMenuCommand(CChatFilePanel::CmdDeletePermanently);
    EXPECT_EQ(prompter.calls().last().text,
        QStringLiteral("您是否真的要永久删除此文件.文件名为 %1").arg(save + QStringLiteral("/b,c.bin")));
    EXPECT_TRUE(QFileInfo::exists(save + QStringLiteral("/b,c.bin")));
    EXPECT_EQ(panel->model().receivedRows().size(), 3);

    // "Yes": the file goes for good and its row with it.
    prompter.queueButton(Prompter::Button::Yes);
    panel->OnMenuCommand(CChatFilePanel::CmdDeletePermanently);
    EXPECT_FALSE(QFileInfo::exists(save + QStringLiteral("/b,c.bin")));
    EXPECT_EQ(panel->model().receivedRows().size(), 2);
    EXPECT_EQ(rowOf(QStringLiteral("b,c.bin")), -1);

    // Into the trash: the file leaves its folder, the row goes.
    panel->SelectReceived(rowOf(QStringLiteral("a.bin")));
    prompter.queueButton(Prompter::Button::Yes);
    panel->OnMenuCommand(CChatFilePanel::CmdDeleteToTrash);
    EXPECT_EQ(prompter.calls().last().text,
        QStringLiteral("您是否真的要删除此文件.文件名为 %1").arg(save + QStringLiteral("/a.bin")));
    EXPECT_FALSE(QFileInfo::exists(save + QStringLiteral("/a.bin")));
    EXPECT_EQ(rowOf(QStringLiteral("a.bin")), -1);
    // In the user's trash, even while the data folder did not exist yet.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Trash/files/a.bin");
    EXPECT_EQ(TestEnv::readAll(trash), Pattern(100, 1));

    // A file that cannot be deleted says so and keeps its row.
    panel->SelectReceived(rowOf(QStringLiteral("d.bin")));
    ASSERT_TRUE(QFile::remove(save + QStringLiteral("/d.bin")));
    prompter.queueButton(Prompter::Button::Yes);
    panel->OnMenuCommand(CChatFilePanel::CmdDeletePermanently);
    EXPECT_EQ(prompter.calls().last().text, QStringLiteral("删除文件失败"));
    EXPECT_EQ(panel->model().receivedRows().size(), 1);
    EXPECT_TRUE(prompter.exhausted());
}

// A peer's file names show as written in the rows and their tooltips:
// markup and entities stay text, nothing is loaded for them.
TEST_F(FilePanelTest, OfferedNamesWithMarkupShowAsWritten)
{
    ScriptedSender sender([](int, const FileRequest &) {});
    open(sender);
    const QString names[] = { QStringLiteral("<img src=/dev/zero>"), QStringLiteral("<b>a&#47;b</b>"),
        QStringLiteral("x\n<a href=\"file:///etc\">y</a>") };
    addOffer(0x57, { OfferEntry(1, names[0], 5), OfferEntry(2, names[1], 5, 2), OfferEntry(3, names[2], 5) });
    QTreeWidget *offered = list(Id::OfferedList);
    ASSERT_EQ(offered->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QTreeWidgetItem *item = offered->topLevelItem(row);
        const QString shown = QTextDocumentFragment::fromHtml(item->toolTip(0)).toPlainText();
        EXPECT_TRUE(shown == names[0] || shown == names[1] || shown == names[2]) << shown.toStdString();
        EXPECT_EQ(shown, item->text(0)) << row;
    }
}

TEST_F(FilePanelTest, ProgressReplacesTheReceiveButtonsAndAnInterruptionPutsTheRowBack)
{
    ScriptedSender *self = nullptr;
    ScriptedSender sender([&self](int fd, const FileRequest &) {
        SendAll(fd, Pattern(5000));
        self->hold(); // stalls until the test lets go
    });
    self = &sender;
    open(sender);
    addOffer(0x60, { OfferEntry(7, QStringLiteral("big.iso"), 100000) });
    addOffer(0x61, { OfferEntry(1, QStringLiteral("later.txt"), 5) });
    panel->SelectOffered(0);
    EXPECT_TRUE(button(Id::Receive)->isEnabled());
    prompter.queueSaveFile(base + QStringLiteral("/big.iso"));
    panel->OnReceiveSelected();

    auto *progress = qobject_cast<QProgressBar *>(panel->control(Id::Progress));
    ASSERT_TRUE(waitFor([&] { return progress->value() > 0; }));
    EXPECT_TRUE(progress->isVisibleTo(&window));
    EXPECT_TRUE(progress->format().contains(QStringLiteral("/98KB"))) << progress->format().toStdString();
    for (int id : { Id::ReceiveAll, Id::RejectAll, Id::Receive, Id::Reject })
        EXPECT_FALSE(panel->control(id)->isVisibleTo(&window)) << id;
    EXPECT_TRUE(button(Id::StopTransfer)->isEnabled());
    EXPECT_EQ(list(Id::OfferedList)->topLevelItem(0)->foreground(0).color(), QColor(0, 0x82, 0xFF));
    panel->OnRejectAll(false); // nothing is rejected while an item is received
    EXPECT_EQ(panel->model().offerCount(), 2);
    EXPECT_EQ(panel->CreateOfferedMenu(), nullptr);

    panel->OnStopTransfer();
    ASSERT_TRUE(waitFor([&] { return !files->isReceiving(); }, 5000));
    sender.release();
    EXPECT_EQ(lines.last(), QStringLiteral("取消文件传送!"));
    EXPECT_EQ(panel->model().offeredRows()[0].status, S::NotReceived);
    EXPECT_EQ(panel->model().offeredRows()[0].failures, 1);
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/big.iso")));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/big.iso.kwq")));
    EXPECT_FALSE(progress->isVisibleTo(&window));
    EXPECT_TRUE(panel->control(Id::ReceiveAll)->isVisibleTo(&window));
    EXPECT_TRUE(button(Id::ReceiveAll)->isEnabled());
    EXPECT_FALSE(button(Id::StopTransfer)->isEnabled());
    EXPECT_TRUE(files->hasWaitingOffers()); // a closing window stays hidden
}

TEST_F(FilePanelTest, RejectingReleasesEachOfferOnce)
{
    ScriptedSender sender([](int, const FileRequest &) {});
    open(sender);
    addOffer(0x70, { OfferEntry(1, QStringLiteral("a"), 1), OfferEntry(2, QStringLiteral("b"), 1) });
    addOffer(0x71, { OfferEntry(1, QStringLiteral("c"), 1) });
    addOffer(0x72, { OfferEntry(1, QStringLiteral("d"), 1) });

    // One item of the newest offer: its offer becomes current, and with its
    // last item rejected it is released and the user is asked about the next.
    panel->SelectOffered(3);
    prompter.queueButton(Prompter::Button::Yes); // really reject it
    prompter.queueButton(Prompter::Button::No); // do not go on receiving all
    panel->OnRejectSelected();
    ASSERT_TRUE(waitFor([&] { return releases().size() == 1; }, 3000));
    EXPECT_EQ(releases(), QStringList(QString::number(0x72)));
    ASSERT_EQ(prompter.calls().size(), 2);
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral("您是否真的要拒收您选中的这文件？"));
    EXPECT_EQ(prompter.calls()[1].text, QStringLiteral("您还有未接收的文件,您是否继续全部接收?"));
    EXPECT_EQ(panel->model().offeredRows().size(), 3);

    // Reject all: both remaining offers, one release each.
    prompter.clear();
    prompter.queueButton(Prompter::Button::Yes);
    prompter.queueButton(Prompter::Button::Yes);
    panel->OnRejectAll();
    EXPECT_EQ(prompter.calls()[0].text, QStringLiteral("您是否真的要拒收全部文件？"));
    EXPECT_EQ(prompter.calls()[1].text, QStringLiteral("您还有未接收的文件,您是否继续全部拒收?"));
    ASSERT_TRUE(waitFor([&] { return releases().size() == 3; }, 3000));
    EXPECT_EQ(releases(), QStringList({ QString::number(0x72), QString::number(0x71), QString::number(0x70) }));
    EXPECT_EQ(list(Id::OfferedList)->topLevelItemCount(), 0);
    EXPECT_FALSE(button(Id::ReceiveAll)->isEnabled());
    panel->OnRejectAll(); // nothing left: no question, no release
    EXPECT_EQ(prompter.calls().size(), 2);
    EXPECT_TRUE(sender.requests().empty());
}

TEST_F(FilePanelTest, DroppedFilesAndFoldersBecomeAttachmentsOnce)
{
    ScriptedSender sender([](int, const FileRequest &) {});
    open(sender);
    const QString file = base + QStringLiteral("/send me.txt");
    ASSERT_TRUE(TestEnv::writeAll(file, "x"));
    QDir().mkpath(base + QStringLiteral("/folder"));
    int changes = 0;
    QObject::connect(files.get(), &ChatFileTransfers::attachmentRowsChanged, [&] { ++changes; });

    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(file), QUrl::fromLocalFile(base + QStringLiteral("/folder")),
        QUrl::fromLocalFile(base + QStringLiteral("/gone")), QUrl(QStringLiteral("https://example.com/x")) });
    const QPoint at = panel->control(Id::AttachmentList)->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &drop);
    QApplication::sendEvent(panel, &drop); // the same files again
    QTreeWidget *attachments = list(Id::AttachmentList);
    ASSERT_EQ(attachments->topLevelItemCount(), 2);
    EXPECT_EQ(attachments->topLevelItem(0)->text(0), QStringLiteral("send me.txt"));
    EXPECT_EQ(attachments->topLevelItem(1)->text(1), QStringLiteral("目录"));
    EXPECT_EQ(attachments->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_EQ(changes, 1); // the second drop added nothing

    QMimeData web;
    web.setUrls({ QUrl(QStringLiteral("https://example.com/x")) });
    EXPECT_FALSE(CChatFilePanel::CanDrop(&web));

    // Unticking keeps a row out of the offer; the send takes the ticked ones.
    attachments->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    int files = -1;
    int folders = -1;
    EXPECT_EQ(this->files->CheckedAttachments(&files, &folders), QStringList(base + QStringLiteral("/folder")));
    EXPECT_EQ(files, 0);
    EXPECT_EQ(folders, 1);
    this->files->AttachmentsSent();
    ASSERT_EQ(attachments->topLevelItemCount(), 1);
    EXPECT_EQ(attachments->topLevelItem(0)->checkState(0), Qt::Unchecked);

    // "文件" and "目录" add through the choosers; "取消" removes the ticked rows.
    prompter.queueOpenFiles({ file, base + QStringLiteral("/b.txt") });
    ASSERT_TRUE(TestEnv::writeAll(base + QStringLiteral("/b.txt"), "y"));
    panel->OnAddFiles();
    prompter.queueFolder(base + QStringLiteral("/folder"));
    panel->OnAddFolder();
    EXPECT_EQ(prompter.calls().last().caption, QStringLiteral("增加文件夹:"));
    EXPECT_EQ(attachments->topLevelItemCount(), 3);
    panel->OnRemoveAttachments();
    ASSERT_EQ(attachments->topLevelItemCount(), 1);
    EXPECT_EQ(attachments->topLevelItem(0)->text(3), file);
}

TEST_F(FilePanelTest, RendersOffscreen)
{
    ScriptedSender sender([](int, const FileRequest &) {});
    open(sender);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xE8, 0xE8, 0xFF));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    const QString file = base + QStringLiteral("/附件.txt");
    ASSERT_TRUE(TestEnv::writeAll(file, "x"));
    panel->AddAttachments({ file, base });
    window.show();
    const QImage empty = window.grab().toImage(); // only the send list
    addOffer(
        0x80, { OfferEntry(1, QStringLiteral("报告.doc"), 123456), OfferEntry(2, QStringLiteral("照片"), 0, 2) });
    const QImage offers = window.grab().toImage();
    panel->SetProgress(42, QStringLiteral("41KB/97KB 20KB/s(42%)"));
    const QImage receiving = window.grab().toImage();
    // A fast receive of a big file: one line in the bar, the rate and the
    // percentage kept, the whole text in its tip.
    auto *bar = qobject_cast<QProgressBar *>(panel->control(Id::Progress));
    const QString fast = QStringLiteral("1023.45/2047.99MB 123.45MB/s(50%)");
    panel->SetProgress(50, fast);
    EXPECT_EQ(bar->format(), QStringLiteral("123.45MB/s(50%)"));
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->text()), bar->width());
    EXPECT_TRUE(bar->toolTip().contains(QStringLiteral("2047.99MB")));
    const QFontMetrics fm(bar->font());
    EXPECT_EQ(CChatFilePanel::FitProgressText(fast, fm, fm.horizontalAdvance(fast)), fast) << "whole when it fits";
    const int room = fm.horizontalAdvance(QStringLiteral("123.45MB/s(50%)")) - 1;
    const QString narrow = CChatFilePanel::FitProgressText(fast, fm, room);
    EXPECT_TRUE(narrow.endsWith(QStringLiteral("MB/s(50%)"))) << narrow.toStdString();
    EXPECT_LE(fm.horizontalAdvance(narrow), room);
    panel->SetProgress(42, QStringLiteral("41KB/97KB 20KB/s(42%)"));
    EXPECT_EQ(bar->format(), QStringLiteral("41KB/97KB 20KB/s(42%)"));
    if (qEnvironmentVariableIsSet("KWEL_SCREENSHOT")) {
        empty.save(qEnvironmentVariable("KWEL_SCREENSHOT") + QStringLiteral("-empty.png"));
        offers.save(qEnvironmentVariable("KWEL_SCREENSHOT") + QStringLiteral("-offers.png"));
        receiving.save(qEnvironmentVariable("KWEL_SCREENSHOT") + QStringLiteral("-receiving.png"));
    }
    // The caption bands are painted over the side panel and the lists hold their rows.
    const QRect band = panel->geometryPlan().captions[0].band;
    EXPECT_NE(offers.pixelColor(band.center()), palette.color(QPalette::Window));
    EXPECT_NE(offers, receiving);
    EXPECT_NE(empty, offers);
    window.hide();
}

TEST_F(FilePanelTest, OffersThatChangeWhileTheSaveDialogIsOpen)
{
    ScriptedSender sender([](int fd, const FileRequest &r) { SendAll(fd, Pattern(100, int(r.fileId))); });
    open(sender);
    const QString save = base + QStringLiteral("/in");
    QDir().mkpath(save);

    // The offers are released while the dialog for "全部接收" is open
    // (the saved name had no extension, so the offered name is read after it).
    addOffer(0x55, { OfferEntry(1, QStringLiteral("a.bin"), 100), OfferEntry(2, QStringLiteral("b.bin"), 100) });
    prompter.setWhileOpen([this](const ScriptedPrompter::Call &) { files->ReleaseAllOffers(); });
    prompter.queueSaveFile(save + QStringLiteral("/first"));
    panel->OnReceiveAll();
    EXPECT_FALSE(files->isReceiving());
    EXPECT_EQ(panel->model().offeredRows().size(), 0);

    // A row chosen before the dialog is received even when another offer
    // came in front of it meanwhile.
    addOffer(0x56, { OfferEntry(3, QStringLiteral("c.bin"), 100), OfferEntry(4, QStringLiteral("d.bin"), 100) });
    panel->SelectOffered(1);
    prompter.setWhileOpen([this](const ScriptedPrompter::Call &) {
        addOffer(0x57, { OfferEntry(5, QStringLiteral("e.bin"), 100) });
    });
    prompter.queueSaveFile(save + QStringLiteral("/d.bin"));
    panel->OnReceiveSelected();
    prompter.setWhileOpen({});
    ASSERT_TRUE(waitFor([&] { return panel->model().receivedRows().size() == 1; }));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/d.bin")), Pattern(100, 4));
}

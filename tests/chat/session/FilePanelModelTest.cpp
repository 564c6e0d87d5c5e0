#include "chat/session/FilePanelModel.h"
#include "chat/OfferEntry.h"
#include "TestEnv.h"
#include "chat/session/ChatCloseRules.h"
#include "chat/FilePanelLayout.h"
#include "net/PeerBounds.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8, 9));
using S = ReceiveRowStatus;

} // namespace

TEST(FilePanelModel, RowsFollowTheReceiverFromOfferedToReceived)
{
    FilePanelModel m;
    EXPECT_EQ(m.AddOffer(10,
                  { OfferEntry(1, QStringLiteral("a.txt"), 2048), OfferEntry(2, QStringLiteral("dir"), 0, 2) }, kNow),
        0);
    EXPECT_EQ(m.AddOffer(11, { OfferEntry(1, QStringLiteral("b.bin"), 5) }, kNow), 2);
    EXPECT_EQ(m.AddOffer(11, { OfferEntry(9, QStringLiteral("again"), 5) }, kNow), -1); // the same message twice
    EXPECT_EQ(m.AddOffer(12, {}, kNow), -1);
    ASSERT_EQ(m.offeredRows().size(), 3);
    EXPECT_EQ(m.offeredRows()[2].link, 3); // one running link number per window
    EXPECT_EQ(m.offeredRows()[2].queuePosition, 2);
    EXPECT_EQ(FileRowTexts(m.offeredRows()[0], false),
        QStringList({ QStringLiteral("a.txt"), QStringLiteral("文件"), QStringLiteral("2KB"), QString(),
            QStringLiteral("07:08:09") }));
    EXPECT_EQ(FileRowTexts(m.offeredRows()[1], false)[1], QStringLiteral("目录"));
    EXPECT_EQ(FileRowTexts(m.offeredRows()[1], false)[2], QString()); // a folder of size 0 shows no size
    EXPECT_EQ(FileRowTextColor(m.offeredRows()[0]), kOfferedRowColor);

    // Receive-all plans the current offer only; every waiting row shows its target.
    const QList<FileReceiveJob> jobs = m.PlanReceiveAll(QStringLiteral("/save/chosen.txt"), 0x7F000001, 2425);
    ASSERT_EQ(jobs.size(), 2);
    EXPECT_EQ(jobs[0].targetPath, QStringLiteral("/save/chosen.txt"));
    EXPECT_EQ(jobs[0].entry.name, QStringLiteral("chosen.txt"));
    EXPECT_EQ(jobs[1].targetPath, QStringLiteral("/save/dir"));
    EXPECT_EQ(jobs[1].peerPort, 2425);
    EXPECT_EQ(m.offeredRows()[2].fullPath, QStringLiteral("/save/b.bin"));

    EXPECT_TRUE(m.SetOfferRowStatus(10, 1, S::Receiving, kNow));
    EXPECT_TRUE(m.hasReceivingRow());
    EXPECT_EQ(FileRowTextColor(m.offeredRows()[0]), kReceivingRowColor);
    const QDateTime later = kNow.addSecs(60);
    EXPECT_TRUE(m.SetOfferRowStatus(10, 1, S::Received, later));
    ASSERT_EQ(m.receivedRows().size(), 1);
    EXPECT_EQ(m.receivedRows()[0].fullPath, QStringLiteral("/save/chosen.txt"));
    EXPECT_EQ(m.receivedRows()[0].time, later);
    EXPECT_EQ(FileRowTextColor(m.receivedRows()[0]), kReceivedRowColor);
    EXPECT_EQ(m.currentOffer()->entries.size(), 1u); // the received entry left the offer
    EXPECT_FALSE(m.SetOfferRowStatus(10, 1, S::Receiving, kNow)); // no such row any more

    // A row that failed twice is drawn blue; a queued item dropped before
    // it started does not count.
    m.SetOfferRowStatus(10, 2, S::NotReceived, kNow);
    for (int i = 0; i < 2; ++i) {
        m.SetOfferRowStatus(10, 2, S::Receiving, kNow);
        EXPECT_EQ(FileRowTextColor(m.offeredRows()[0]), kReceivingRowColor);
        m.SetOfferRowStatus(10, 2, S::NotReceived, kNow);
    }
    EXPECT_EQ(m.offeredRows()[0].failures, 2);
    EXPECT_EQ(FileRowTextColor(m.offeredRows()[0]), kRetriedRowColor);

    // The second received row goes to the front.
    m.SetOfferRowStatus(10, 2, S::Received, kNow);
    EXPECT_EQ(m.receivedRows()[0].name, QStringLiteral("dir"));
    EXPECT_EQ(m.ClearReceived(), 2);
    EXPECT_TRUE(m.receivedRows().isEmpty());
}

TEST(FilePanelModel, OffersLeaveTheQueueAndTellThePeerWhatWasNotTaken)
{
    FilePanelModel m;
    m.AddOffer(10, { OfferEntry(1, QStringLiteral("a"), 1) }, kNow);
    m.AddOffer(11, { OfferEntry(1, QStringLiteral("b"), 1), OfferEntry(2, QStringLiteral("c"), 1) }, kNow);
    m.AddOffer(12, { OfferEntry(1, QStringLiteral("d"), 1) }, kNow);

    // Receiving a row of an older offer makes that offer current first.
    m.MakeCurrent(12);
    EXPECT_EQ(m.currentOffer()->packetNumber, 12u);
    EXPECT_EQ(m.queuePosition(10), 3);
    EXPECT_EQ(m.offeredRows()[3].queuePosition, 1);
    const auto job = m.PlanReceiveRow(3, QStringLiteral("/s/x"), 1, 2);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->packetNumber, 12u);
    EXPECT_EQ(m.offeredRows()[3].name, QStringLiteral("x"));
    EXPECT_FALSE(m.PlanReceiveRow(7, QStringLiteral("/s/x"), 1, 2));

    // All received: the peer's offer is complete and needs no release.
    m.SetOfferRowStatus(12, 1, S::Received, kNow);
    auto r = m.EndCurrentOffer();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->packetNumber, 12u);
    EXPECT_FALSE(r->notifyPeer);

    // One item rejected, the other received: the peer is told.
    m.MakeCurrent(11);
    EXPECT_FALSE(m.RejectOfferedRow(9));
    EXPECT_TRUE(m.RejectOfferedRow(m.findOfferedRow(11, 1)));
    m.SetOfferRowStatus(11, 2, S::Received, kNow);
    r = m.EndCurrentOffer();
    EXPECT_TRUE(r && r->packetNumber == 11 && r->notifyPeer);

    // Items left: the peer is told and the rows go.
    r = m.EndCurrentOffer();
    EXPECT_TRUE(r && r->packetNumber == 10 && r->notifyPeer);
    EXPECT_TRUE(m.offeredRows().isEmpty());
    EXPECT_FALSE(m.EndCurrentOffer());
}

// An offer's rows go after those listed, which keep their places; leaving
// the current offer numbers the rest again however many there are. An offer
// is listed whole within the bounds of waiting files, or not at all.
TEST(FilePanelModel, OffersAppendTheirRowsAndTheBoundsDecideWhole)
{
    FilePanelModel m;
    const DecodedFileList entries { OfferEntry(1, QStringLiteral("f0"), 1), OfferEntry(2, QStringLiteral("f1"), 1),
        OfferEntry(3, QStringLiteral("f2"), 1) };
    for (quint32 n = 1; n <= 100; ++n)
        EXPECT_EQ(m.AddOffer(n, entries, kNow), int(n - 1) * 3);
    EXPECT_EQ(m.offeredRows().last().queuePosition, 100);
    ASSERT_TRUE(m.EndCurrentOffer());
    EXPECT_EQ(m.offeredRows().first().queuePosition, 1);
    EXPECT_EQ(m.offeredRows().last().queuePosition, 99);

    const qsizetype perAddress = PeerBounds::kOfferedFilesPerAddress;
    EXPECT_TRUE(OfferFitsBounds(1, { perAddress - 1, perAddress - 1 }));
    EXPECT_FALSE(OfferFitsBounds(2, { perAddress - 1, perAddress - 1 })); // never in part
    EXPECT_FALSE(OfferFitsBounds(perAddress + 1, {}));
    // A full total refuses the addresses that hold many, never an ordinary
    // offer of an address that holds few (forged peers filled it first).
    const qsizetype always = PeerBounds::kOfferedFilesAlwaysListed;
    EXPECT_FALSE(OfferFitsBounds(1, { always, PeerBounds::kOfferedFiles }));
    EXPECT_TRUE(OfferFitsBounds(always, { 0, PeerBounds::kOfferedFiles }));
    EXPECT_FALSE(OfferFitsBounds(always + 1, { 0, PeerBounds::kOfferedFiles }));
}

TEST(FilePanelModel, AttachmentsAreUniqueExistingPathsTickedForSending)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("attach"));
    ASSERT_TRUE(TestEnv::writeAll(dir + QStringLiteral("/one.txt"), "12345"));
    QDir().mkpath(dir + QStringLiteral("/sub"));
    FilePanelModel m;
    using A = FilePanelModel::AddResult;
    EXPECT_EQ(m.AddAttachment(dir + QStringLiteral("/one.txt"), kNow), A::Added);
    EXPECT_EQ(m.AddAttachment(dir + QStringLiteral("//one.txt"), kNow), A::Duplicate);
    EXPECT_EQ(m.AddAttachment(dir + QStringLiteral("/sub/"), kNow), A::Added);
    EXPECT_EQ(m.AddAttachment(dir + QStringLiteral("/missing"), kNow), A::Unreadable);
    EXPECT_EQ(m.AddAttachment(QString(), kNow), A::Unreadable);
    ASSERT_EQ(m.attachmentRows().size(), 2);
    EXPECT_EQ(FileRowTexts(m.attachmentRows()[0], true),
        QStringList({ QStringLiteral("one.txt"), QStringLiteral("文件"), QStringLiteral("1KB"),
            dir + QStringLiteral("/one.txt") }));
    EXPECT_EQ(m.attachmentRows()[1].name, QStringLiteral("sub"));
    EXPECT_TRUE(m.attachmentRows()[1].isFolder());

    int files = -1;
    int folders = -1;
    EXPECT_EQ(m.CheckedAttachments(&files, &folders).size(), 2);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
    m.SetAttachmentChecked(0, false);
    EXPECT_EQ(m.CheckedAttachments(), QStringList(dir + QStringLiteral("/sub")));
    m.AttachmentsSent(); // the folder went with the message, the file stays unticked
    ASSERT_EQ(m.attachmentRows().size(), 1);
    EXPECT_FALSE(m.attachmentRows()[0].checked);
    EXPECT_EQ(m.RemoveCheckedAttachments(), 0);
    m.SetAttachmentChecked(0, true);
    EXPECT_EQ(m.RemoveCheckedAttachments(), 1);
}

TEST(FilePanelModel, SmallDecisions)
{
    EXPECT_EQ(
        WithDefaultExtension(QStringLiteral("/s/new"), QStringLiteral("a.tar.gz"), true), QStringLiteral("/s/new.gz"));
    EXPECT_EQ(
        WithDefaultExtension(QStringLiteral("/s/new.txt"), QStringLiteral("a.gz"), true), QStringLiteral("/s/new.txt"));
    EXPECT_EQ(WithDefaultExtension(QStringLiteral("/s.d/new"), QStringLiteral("a"), true), QStringLiteral("/s.d/new"));
    EXPECT_EQ(WithDefaultExtension(QStringLiteral("/s/new"), QStringLiteral("d.x"), false), QStringLiteral("/s/new"));

    EXPECT_TRUE(PlanShowInFolder(QStringLiteral("/s/a.txt")).selectItem);
    const ShowInFolderPlan comma = PlanShowInFolder(QStringLiteral("/s/a,b.txt"));
    EXPECT_FALSE(comma.selectItem);
    EXPECT_EQ(comma.path, QStringLiteral("/s"));

    // Closing hides the window while anything is under way.
    ChatCloseState s;
    EXPECT_TRUE(DecideChatClose(s).destroy);
    s.offeredRowsWaiting = true; // also while an item is being received
    ChatCloseDecision d = DecideChatClose(s);
    EXPECT_FALSE(d.destroy);
    EXPECT_TRUE(d.trimWorkingSet);
    s = {};
    s.freeOnClose = false;
    s.trimOnHide = false;
    s.clearOnClose = true;
    d = DecideChatClose(s);
    EXPECT_FALSE(d.destroy || d.trimWorkingSet);
    EXPECT_TRUE(d.clearHistory);
    for (bool ChatCloseState::*flag : { &ChatCloseState::keptByMainWindow, &ChatCloseState::peerFetchingOurFiles }) {
        s = {};
        s.*flag = true;
        EXPECT_FALSE(DecideChatClose(s).destroy);
    }
    for (bool ChatCloseState::*flag : { &ChatCloseState::allReceipts, &ChatCloseState::picturesComplete }) {
        s = {};
        s.*flag = false;
        EXPECT_FALSE(DecideChatClose(s).destroy);
    }
}

TEST(FilePanelLayout, PlacesTheListsAndButtonsOfBothArrangements)
{
    namespace Id = ChatCtl;
    // Client height 435 (H = 400), side panel 168 wide at the right of 600.
    FilePanelGeometry g = ComputeFilePanelLayout(QSize(600, 435), 168, true);
    const int x = 600 - 168;
    EXPECT_EQ(g.rect(Id::OfferedList), QRect(x + 4, 158, 161, 75));
    EXPECT_EQ(g.rect(Id::ReceivedList), QRect(x + 4, 258, 161, 75));
    EXPECT_EQ(g.rect(Id::AttachmentList), QRect(x + 5, 358, 160, 69));
    EXPECT_EQ(g.rect(Id::AttachmentList).bottom() + 1, 435 - 8);
    EXPECT_EQ(g.rect(Id::StopTransfer).y(), 118);
    for (int id : { Id::ReceiveAll, Id::RejectAll, Id::Receive, Id::Reject })
        EXPECT_EQ(g.rect(id).y(), 138) << id;
    EXPECT_EQ(g.rect(Id::Progress), QRect(x, 138, 168, 20));
    for (int id : { Id::ShowInFolder, Id::OpenReceived, Id::ClearReceived })
        EXPECT_EQ(g.rect(id).y(), 236) << id;
    for (int id : { Id::Monitor, Id::AddFolder, Id::AddFiles, Id::RemoveAttachments })
        EXPECT_EQ(g.rect(id).y(), 336) << id;
    EXPECT_EQ(g.panel, QRect(x, 115, 168, 320)); // from the band "要接收的文件" down
    ASSERT_EQ(g.captions.size(), 3);
    EXPECT_EQ(g.captions[1].band, QRect(x, 235, 168, 20));
    EXPECT_EQ(g.captions[2].title, QStringLiteral("发送文件"));

    g = ComputeFilePanelLayout(QSize(600, 435), 168, false);
    EXPECT_EQ(g.rect(Id::AttachmentList), QRect(x + 5, 324, 160, 102));
    EXPECT_EQ(g.rect(Id::AddFiles).y(), 302);
    EXPECT_FALSE(g.rects.contains(Id::OfferedList));
    EXPECT_EQ(g.panel.top(), 35 + 2 * 133);

    // A narrow panel: buttons that would stand left of it get no room.
    g = ComputeFilePanelLayout(QSize(600, 435), 60, true);
    for (int id : { Id::ReceiveAll, Id::RejectAll, Id::ShowInFolder, Id::AddFolder, Id::Monitor })
        EXPECT_TRUE(g.rect(id).isEmpty()) << id;
    EXPECT_EQ(g.rect(Id::Receive), QRect(542, 138, 27, 16));
    EXPECT_EQ(g.rect(Id::Reject), QRect(570, 138, 27, 16));

    // 315 pixels stay left of the panel.
    EXPECT_EQ(ComputeFilePanelLayout(QSize(400, 435), 168, true).sideWidth, 85);
    EXPECT_EQ(ComputeFilePanelLayout(QSize(300, 435), 168, true).sideWidth, 80);

    // The input area then starts at the drop, above the bottom bar.
    EXPECT_EQ(InputHeightFromSplitter(500, 100), 500 - ChatLayout::kBottomBar - 100);
    EXPECT_FALSE(InputHeightFromSplitter(500, 99));
    EXPECT_EQ(InputHeightFromSplitter(500, 439), 31);
    EXPECT_FALSE(InputHeightFromSplitter(500, 440));
    EXPECT_EQ(SideWidthFromSplitter(600, 300), 300);
    EXPECT_FALSE(SideWidthFromSplitter(600, 299));
    EXPECT_EQ(SideWidthFromSplitter(600, 549), 51);
    EXPECT_FALSE(SideWidthFromSplitter(600, 550));
}

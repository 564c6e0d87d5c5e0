// The sender's chat window follows its outgoing transfers: a row per offered
// item in the send list, its progress while the peer fetches it, and its
// completion; what the peer never fetched leaves the list with its offer.
#include "LoopbackChat.h"
#include "TestEnv.h"
#include "chat/CChatFilePanel.h"
#include "chat/TransferProgressDelegate.h"
#include "chat/session/ChatFileTransfers.h"
#include "net/CFileOfferTable.h"
#include "platform/ScriptedPrompter.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

using namespace ChatTest;

TEST(OutgoingTransfers, TheSendersRowProgressesAndCompletes)
{
    Side a(u("a")), b(u("b"));
    a.meet(b);
    b.meet(a);
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    const QString big = a.dir + QStringLiteral("/big.bin");
    ASSERT_TRUE(TestEnv::writeAll(big, QByteArray(24 << 20, 'k')));
    a.window->AddAttachments({ big });
    a.window->OnSend();
    ASSERT_TRUE(waitFor([&] { return b.shown == 1; }));
    QTreeWidget *list = a.window->sendList();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), u("big.bin"));
    EXPECT_EQ(list->topLevelItem(0)->text(3), u("等待对方接收"));

    // What the row shows each time it changes.
    QStringList shown, badges;
    QList<int> bars;
    QObject::connect(&a.session()->files(), &ChatFileTransfers::outgoingRowChanged, list, [&](int row) {
        QTreeWidgetItem *item = list->topLevelItem(row);
        shown << item->text(3);
        bars << item->data(CChatFilePanel::kBarColumn, CChatFilePanel::kOutgoingProgressRole).toInt();
        badges << item->data(CChatFilePanel::kBarColumn, CChatFilePanel::kOutgoingBadgeRole).toString();
    });
    const QString target = b.dir + QStringLiteral("/in");
    QDir().mkpath(target);
    prompter.queueSaveFile(target + QStringLiteral("/big.bin"));
    b.window->filePanel()->OnReceiveAll();
    ASSERT_TRUE(waitFor([&] { return !shown.isEmpty() && shown.last() == u("对方接收完成"); }, 20000)) << shown.join(u("|")).toStdString();
    // The send reported its start (bytes and the rate, with a percentage)
    // before its end, and the bar ends full.
    ASSERT_GE(shown.size(), 2);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const QString &s) { return s.contains(QLatin1Char('%')); }))
        << shown.join(u("|")).toStdString();
    EXPECT_EQ(bars.last(), 100);
    EXPECT_EQ(list->topLevelItem(0)->text(3), u("对方接收完成"));
    // Beside the name, where the sender sees it: the percentage, then the end.
    EXPECT_EQ(badges.last(), u("完成"));
    EXPECT_TRUE(std::any_of(badges.begin(), badges.end(), [](const QString &s) { return s.endsWith(QLatin1Char('%')); }))
        << badges.join(u("|")).toStdString();
    // At the window's default size the badge lies whole in the list's view.
    a.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.window.data()));
    const QRect cell = list->visualItemRect(list->topLevelItem(0));
    const QRect nameCell(cell.left(), cell.top(), list->columnWidth(CChatFilePanel::kBarColumn), cell.height());
    const QFontMetrics fm(list->font());
    const QRect badge = TransferProgressDelegate::BadgeRect(nameCell, badges.last(), fm);
    EXPECT_TRUE(list->viewport()->rect().contains(badge));
    EXPECT_GE(badge.width(), fm.horizontalAdvance(badges.last())) << "the badge's text is cut";
    // The offer is done and gone; the completed row stays.
    EXPECT_TRUE(waitFor([&] { return a.engine->fileOffers().offers().empty(); }));
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

TEST(OutgoingTransfers, RowsAreKeptWithinTheirBoundAndRowsOfOffersThatWentLeave)
{
    FilePanelModel model;
    std::vector<OfferedFile> entries(3);
    for (quint32 i = 0; i < 3; ++i) {
        entries[i].fileId = i;
        entries[i].path = QStringLiteral("/d/f%1.txt").arg(i);
        entries[i].size = 10;
        entries[i].flags = FILE_ATTR_REGULAR;
    }
    model.AddOutgoing(7, entries);
    ASSERT_EQ(model.outgoingRows().size(), 3);
    EXPECT_EQ(OutgoingRowTexts(model.outgoingRows()[0]),
        (QStringList { QStringLiteral("f0.txt"), u("文件"), QStringLiteral("1KB"), u("等待对方接收") }));
    EXPECT_EQ(OutgoingRowBadge(model.outgoingRows()[1]), u("等待"));
    EXPECT_EQ(model.SetOutgoingStatus(7, 1, TransferReceiving), 1);
    EXPECT_EQ(OutgoingRowBadge(model.outgoingRows()[1]), QStringLiteral("0%")) << "before the first progress";
    EXPECT_EQ(model.SetOutgoingProgress(7, 1, 250, QStringLiteral("x")), 1);
    EXPECT_EQ(model.outgoingRows()[1].percent, 100) << "kept within 100";
    EXPECT_EQ(OutgoingRowBadge(model.outgoingRows()[1]), QStringLiteral("100%"));
    EXPECT_EQ(model.SetOutgoingStatus(7, 2, TransferReceived), 2);
    EXPECT_EQ(model.SetOutgoingProgress(7, 2, 50, QStringLiteral("late")), -1) << "a complete row stays complete";
    EXPECT_EQ(model.SetOutgoingStatus(7, 1, TransferWaiting), 1);
    EXPECT_EQ(model.outgoingRows()[1].percent, -1) << "a failed send clears its bar";
    EXPECT_EQ(OutgoingRowBadge(model.outgoingRows()[1]), u("等待"));
    EXPECT_EQ(OutgoingRowBadge(model.outgoingRows()[2]), u("完成"));
    EXPECT_EQ(model.SetOutgoingStatus(8, 1, TransferReceived), -1) << "another offer";
    // The offer went: what the peer did not get leaves, the complete row stays.
    EXPECT_TRUE(model.DropUnfinishedOutgoing(7));
    ASSERT_EQ(model.outgoingRows().size(), 1);
    EXPECT_EQ(model.outgoingRows()[0].fileId, 2u);
    // The oldest rows go beyond the bound.
    std::vector<OfferedFile> many(kOutgoingRowsKept, entries[0]);
    model.AddOutgoing(9, many);
    EXPECT_EQ(model.outgoingRows().size(), kOutgoingRowsKept);
    EXPECT_EQ(model.outgoingRows()[0].packetNumber, 9u);
}

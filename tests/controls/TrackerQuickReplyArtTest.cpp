#include "controls/CQuickReplyDlg.h"
#include "controls/CSelectRectTracker.h"
#include "controls/HeadIcons.h"
#include "controls/ProgramArt.h"
#include "core/Gbk.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSet>
#include <gtest/gtest.h>

namespace {

using Hit = CSelectRectTracker::Hit;

TEST(CSelectRectTracker, HandlesMovesAndSizes)
{
    CSelectRectTracker tracker(QRect(QPoint(100, 100), QPoint(199, 149)), 6);
    EXPECT_EQ(tracker.HitTest(QPoint(100, 100)), Hit::TopLeft);
    EXPECT_EQ(tracker.HitTest(QPoint(199, 149)), Hit::BottomRight);
    EXPECT_EQ(tracker.HitTest(QPoint(150, 100)), Hit::Top);
    EXPECT_EQ(tracker.HitTest(QPoint(100, 125)), Hit::Left);
    EXPECT_EQ(tracker.HitTest(QPoint(150, 125)), Hit::Middle);
    EXPECT_EQ(tracker.HitTest(QPoint(10, 10)), Hit::Nothing);
    EXPECT_EQ(CSelectRectTracker::CursorFor(Hit::TopRight), Qt::SizeBDiagCursor);
    EXPECT_TRUE(tracker.handleRect(Hit::Middle).isEmpty());

    EXPECT_EQ(tracker.Track(Hit::Right, QPoint(199, 125), QPoint(219, 130)), QRect(QPoint(100, 100), QPoint(219, 149)));
    EXPECT_EQ(tracker.Track(Hit::Bottom, QPoint(0, 0), QPoint(0, -10)), QRect(QPoint(100, 100), QPoint(219, 139)));
    // Dragging a corner past the opposite one turns the rectangle round.
    EXPECT_EQ(tracker.Track(Hit::TopLeft, QPoint(100, 100), QPoint(250, 100)), QRect(QPoint(219, 100), QPoint(250, 139)));
    // Moving keeps the size and stays inside the bounds.
    const QRect bounds(0, 0, 300, 200);
    const QRect moved = tracker.Track(Hit::Middle, QPoint(0, 0), QPoint(500, 500), bounds);
    EXPECT_EQ(moved.size(), QSize(32, 40));
    EXPECT_EQ(moved.bottomRight(), QPoint(299, 199));
    EXPECT_EQ(tracker.Track(Hit::TopLeft, QPoint(0, 0), QPoint(-900, -900), bounds).topLeft(), QPoint(0, 0));
    EXPECT_EQ(tracker.Track(Hit::Nothing, QPoint(0, 0), QPoint(5, 5)), tracker.rect());
}

TEST(CQuickReplyDlg, SlotsKeepWhatFitsIn127Bytes)
{
    CQuickReplyDlg dialog;
    dialog.setReplies({QStringLiteral("马上到"), QString(), QString(), QStringLiteral("稍等")});
    EXPECT_EQ(dialog.slotBox()->count(), 4);
    EXPECT_EQ(dialog.slotBox()->itemText(3), QStringLiteral("快捷回复四"));
    EXPECT_EQ(dialog.selectedSlot(), -1);
    EXPECT_EQ(dialog.editor()->maxLength(), 126);

    dialog.slotBox()->setCurrentIndex(0);
    EXPECT_EQ(dialog.editor()->text(), QStringLiteral("马上到"));
    dialog.editor()->setText(QStringLiteral("在开会"));
    dialog.slotBox()->setCurrentIndex(3);
    EXPECT_EQ(dialog.replies()[0], QStringLiteral("在开会")) << "leaving a slot stores its text";
    EXPECT_EQ(dialog.editor()->text(), QStringLiteral("稍等"));

    // 64 Chinese characters are 128 bytes: too long for the slot.
    const QString tooLong(64, QChar(0x5F00));
    ASSERT_EQ(Gbk::byteLength(tooLong), 128);
    dialog.editor()->setText(tooLong);
    dialog.accept();
    EXPECT_EQ(dialog.replies()[3], QStringLiteral("稍等"));
    EXPECT_TRUE(dialog.StoreIntoSlot(3, QString(126, QLatin1Char('a'))));
    EXPECT_FALSE(dialog.StoreIntoSlot(3, QString(127, QLatin1Char('a'))));
    EXPECT_FALSE(dialog.StoreIntoSlot(4, QStringLiteral("x")));

    // What the user types is cut to what the slot holds.
    emit dialog.editor()->textEdited(tooLong);
    EXPECT_EQ(Gbk::byteLength(dialog.editor()->text()), CQuickReplyDlg::kMaxTextBytes);
}

TEST(HeadIcons, TheListAndItsFallback)
{
    QSet<QByteArray> seen;
    for (int index = 0; index < HeadImage::Count; ++index) {
        for (int size : {16, 32}) {
            const QPixmap pixmap = HeadIconPixmap(index, size);
            ASSERT_EQ(pixmap.size(), QSize(size, size)) << index;
            if (size == 32 && index >= HeadImage::FirstHead && index <= HeadImage::LastHead) {
                const QImage image = pixmap.toImage();
                seen.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
            }
        }
    }
    EXPECT_EQ(seen.size(), HeadImage::LastHead) << "every head icon is a picture of its own";
    EXPECT_EQ(HeadIconPixmap(48, 48).size(), QSize(48, 48));
    // Outside the list: image 1.
    EXPECT_EQ(HeadIconPixmap(-1, 32).toImage(), HeadIconPixmap(1, 32).toImage());
    EXPECT_EQ(HeadIconPixmap(HeadImage::Count, 16).toImage(), HeadIconPixmap(1, 16).toImage());

    for (TrayArt art : {TrayArt::Online, TrayArt::Away, TrayArt::Hidden, TrayArt::Message})
        EXPECT_FALSE(TrayArtIcon(art).pixmap(16, 16).isNull());
    EXPECT_FALSE(ProgramIcon().isNull());
    for (int i = 0; i < kToolbarPixmapCount; ++i)
        EXPECT_EQ(ToolbarPixmap(i).size(), QSize(16, 16));
    EXPECT_TRUE(ToolbarPixmap(kToolbarPixmapCount).isNull());
    EXPECT_NE(HelpPicture(0).toImage(), HelpPicture(1).toImage());
}

} // namespace

#include "chat/MultiChatLayout.h"

#include <gtest/gtest.h>

using namespace MultiCtl;

namespace {

MultiChatLayout layoutOf(int w, int h, int pane = 168, int input = 120, bool doodle = false, bool tips = true)
{
    MultiChatLayoutInput in;
    in.client = QSize(w, h);
    in.paneWidth = pane;
    in.inputHeight = input;
    in.doodleMode = doodle;
    in.withTooltips = tips;
    return ComputeMultiChatLayout(in);
}

} // namespace

TEST(MultiChatLayout, TextModeColumnsAndThePane)
{
    const MultiChatLayout l = layoutOf(640, 480);
    EXPECT_EQ(l.x0, 640 - 168 - 3);
    EXPECT_EQ(l.y0, 360);
    EXPECT_EQ(l.rect(Members), QRect(3, 5, 466, 325));
    EXPECT_EQ(l.rect(Font), QRect(7, 333, 55, 25));
    EXPECT_EQ(l.rect(CaptureArrow), QRect(182, 337, 8, 19));
    EXPECT_EQ(l.rect(Input), QRect(3, 362, 466, 480 - 32 - 362));
    EXPECT_TRUE(l.isShown(Input));
    for (const int id : { Board, Palette, ToolStrip, LineType, LineWidth, FillType, ImageMenu })
        EXPECT_FALSE(l.isShown(id)) << id;
    EXPECT_EQ(l.rect(Send), QRect(469 - 82, 456, 73, 18));
    EXPECT_EQ(l.rect(Close), QRect(469 - 160, 456, 73, 18));
    EXPECT_EQ(l.rect(FileList), QRect(477, 320 + 23, 160, 160 - 30));
    EXPECT_EQ(l.rect(RemoveFiles), QRect(469 + 168 - 27, 322, 27, 16));
    // The three sections and the lines of the second one.
    EXPECT_EQ(l.sectionTop[1], 160);
    EXPECT_EQ(l.headings[2], QRect(640 - 168 + 3, 320, 640 - 2 - (640 - 168 + 3), 20));
    EXPECT_EQ(l.linePitch, int((480 / 3.0 - 20) * 0.2));
    EXPECT_EQ(l.InfoLine(1, 1), QRect(640 - 168, 160 + 20 + l.linePitch, 168, 20));
}

TEST(MultiChatLayout, DoodleModeAndItsToolButtons)
{
    const MultiChatLayout l = layoutOf(640, 480, 168, 162, true);
    EXPECT_FALSE(l.isShown(Input));
    for (const int id : { Board, Palette, ToolStrip, LineWidth, LineType, ImageMenu })
        EXPECT_TRUE(l.isShown(id)) << id;
    EXPECT_FALSE(l.isShown(FillType));
    const int w = std::min((l.x0 - 168) / 3, 58);
    EXPECT_EQ(l.rect(LineWidth), QRect(164, l.y0 + 4, w, 18));
    EXPECT_EQ(l.rect(ImageMenu), QRect(166 + 2 * w, l.y0 + 4, w, 18));
    EXPECT_EQ(l.rect(Board).top(), l.y0 + 44);
    // Laid out without tooltips the buttons hide; so they do when the input
    // area is 47 pixels high or less.
    EXPECT_FALSE(layoutOf(640, 480, 168, 162, true, false).isShown(LineType));
    EXPECT_TRUE(layoutOf(640, 480, 168, 48, true).isShown(LineType));
    EXPECT_FALSE(layoutOf(640, 480, 168, 47, true).isShown(LineType));
    // Little room: the board and the strip go first, then the palette.
    const MultiChatLayout some = layoutOf(640, 480, 168, 64, true); // 30 pixels below the tool row
    EXPECT_FALSE(some.isShown(Board));
    EXPECT_FALSE(some.isShown(ToolStrip));
    EXPECT_TRUE(some.isShown(Palette));
    const MultiChatLayout none = layoutOf(640, 480, 168, 50, true);
    EXPECT_FALSE(none.isShown(Palette));
}

TEST(MultiChatLayout, SplittersStayInsideTheirLimitsAndSmallWindowsHaveNoNegativeSizes)
{
    EXPECT_EQ(PaneWidthFromSplitter(800, 300), 500);
    EXPECT_FALSE(PaneWidthFromSplitter(800, 299));
    EXPECT_EQ(PaneWidthFromSplitter(800, 636), 164);
    EXPECT_FALSE(PaneWidthFromSplitter(800, 637)) << "163 pixels or less on the right";
    EXPECT_EQ(InputHeightFromMultiSplitter(600, 100), 500);
    EXPECT_FALSE(InputHeightFromMultiSplitter(600, 99));
    EXPECT_EQ(InputHeightFromMultiSplitter(600, 539), 61);
    EXPECT_FALSE(InputHeightFromMultiSplitter(600, 540));

    // A pane or input area too large for a shrunken window is kept inside it.
    for (const QSize size : { QSize(200, 90), QSize(0, 0), QSize(350, 150), QSize(1200, 900) }) {
        const MultiChatLayout l = layoutOf(size.width(), size.height(), 900, 700, true);
        EXPECT_LE(l.paneWidth, std::max(0, size.width() - 300));
        EXPECT_LE(l.inputHeight, std::max(0, size.height() - 100));
        for (auto it = l.rects.begin(); it != l.rects.end(); ++it) {
            EXPECT_GE(it.value().width(), 0) << it.key();
            EXPECT_GE(it.value().height(), 0) << it.key();
        }
    }
}

#include "chat/MultiChatLayout.h"

#include <algorithm>

namespace {

QRect box(int x, int y, int w, int h)
{
    return QRect(x, y, std::max(0, w), std::max(0, h));
}

} // namespace

QRect MultiChatLayout::InfoLine(int section, int line) const
{
    const int right = x0 + 3 + paneWidth;
    return QRect(right - paneWidth, sectionTop[std::clamp(section, 0, 2)] + kHeadingHeight + line * linePitch,
        paneWidth, kLineHeight);
}

MultiChatLayout ComputeMultiChatLayout(const MultiChatLayoutInput &in)
{
    using namespace MultiCtl;
    MultiChatLayout out;
    const int W = std::max(0, in.client.width());
    const int H = std::max(0, in.client.height());
    // The splitter values as the window can hold them: 300 pixels stay left
    // of the pane and 100 above the input area.
    const int R = std::clamp(in.paneWidth, 0, std::max(0, W - 300));
    const int I = std::clamp(in.inputHeight, 0, std::max(0, H - 100));
    out.paneWidth = R;
    out.inputHeight = I;
    const int x0 = W - R - 3;
    const int y0 = H - I;
    out.x0 = x0;
    out.y0 = y0;
    auto place = [&](int id, const QRect &r) { out.rects.insert(id, r); };
    auto hide = [&](int id) { out.hidden.insert(id); };

    // The left column.
    place(Members, box(3, 5, x0 - 3, y0 - 35));
    place(InputSplitter, box(3, y0, x0 - 3, 1));
    place(PaneSplitter, box(x0 + 2, 0, 1, H));
    place(Font, box(7, y0 - 27, 55, 25));
    place(Faces, box(66, y0 - 27, 55, 25));
    place(Capture, box(125, y0 - 27, 55, 25));
    place(Picture, box(197, y0 - 27, 55, 25));
    place(CaptureArrow, box(182, y0 - 23, 8, 19));
    place(Mode, box(255, y0 - 27, 76, 25));

    const int inputBody = H - 32 - (y0 + 2);
    place(Input, box(3, y0 + 2, x0 - 3, inputBody));
    place(Palette, box(3, y0 + 2, std::min(x0 - 3, 160), 20));
    place(ToolStrip, box(3, y0 + 23, std::min(x0 - 3, 340), 20));
    place(Board, box(3, y0 + 44, x0 - 3, inputBody - 42));
    const int w = std::clamp((x0 - 168) / 3, 0, 58);
    place(LineWidth, box(164, y0 + 4, w, 18));
    place(LineType, box(165 + w, y0 + 4, w, 18));
    place(ImageMenu, box(166 + 2 * w, y0 + 4, w, 18));
    place(FillType, box(166 + 3 * w, y0 + 4, w, 18));
    hide(FillType);
    if (!in.doodleMode) {
        for (const int id : { Board, Palette, ToolStrip, LineWidth, LineType, ImageMenu })
            hide(id);
    } else {
        hide(Input);
        if (inputBody < 20) {
            hide(Board);
            hide(Palette);
            hide(ToolStrip);
        } else if (inputBody <= 40) {
            hide(Board);
            hide(ToolStrip);
        }
        if (!in.withTooltips || I - 28 < 20) {
            for (const int id : { LineWidth, LineType, ImageMenu })
                hide(id);
        }
    }

    // The bottom row.
    place(Send, box(x0 - 82, H - 24, 73, 18));
    place(SendArrow, box(x0 - 8, H - 24, 8, 18));
    place(Close, box(x0 - 160, H - 24, 73, 18));

    // The right pane: the file section in its lower third.
    place(FileList, box(x0 + 8, (2 * H) / 3 + 23, R - 8, H / 3 - 30));
    const int buttonsY = (2 * H) / 3 + 2;
    place(Monitor, box(x0 + R - 111, buttonsY, 27, 16));
    place(AddFolder, box(x0 + R - 83, buttonsY, 27, 16));
    place(AddFiles, box(x0 + R - 55, buttonsY, 27, 16));
    place(RemoveFiles, box(x0 + R - 27, buttonsY, 27, 16));

    const int T = H / 3;
    out.sectionTop[0] = 0;
    out.sectionTop[1] = T;
    out.sectionTop[2] = 2 * T;
    for (int s = 0; s < 3; ++s)
        out.headings[s] = box(W - R + 3, out.sectionTop[s], (W - 2) - (W - R + 3), MultiChatLayout::kHeadingHeight);
    out.linePitch = std::max(0, int((H / 3.0 - 20) * 0.2));
    out.inputFrame = QRect(QPoint(1, y0 + 2), QPoint(x0 + 2, H - 30));
    out.paneFrame = QRect(QPoint(W - R + 2, 1), QPoint(W - 1, H - 5));
    out.paneLines = { 20, T, T + 20, 2 * T - 1, 2 * T + 20 };
    return out;
}

std::optional<int> PaneWidthFromSplitter(int clientWidth, int x)
{
    if (x >= 300 && clientWidth - x > 163)
        return clientWidth - x;
    return std::nullopt;
}

std::optional<int> InputHeightFromMultiSplitter(int clientHeight, int y)
{
    if (y >= 100 && clientHeight - y > 60)
        return clientHeight - y;
    return std::nullopt;
}

#include "chat/DoodleLayout.h"

#include "chat/ChatLayout.h"

#include <algorithm>

void LayoutDoodlePane(ChatLayout &out, const DoodlePaneInput &in)
{
    const QRect &r = in.pane;
    const auto place = [&out](int id, const QRect &rect) { out.rects.insert(id, rect); };
    place(ChatCtl::DoodlePalette, QRect(r.left(), r.top() + 2, std::min(r.width(), 160), 20));
    place(ChatCtl::DoodleToolStrip, QRect(r.left(), r.top() + 23, std::min(r.width(), 340), 20));
    const int boardWidth = in.boardWidth > 0 ? std::min(r.width(), in.boardWidth) : r.width();
    place(ChatCtl::DoodleBoard, QRect(r.left(), r.top() + 44, boardWidth, std::max(r.height() - 44, 0)));
    if (r.height() < 20)
        out.hidden += {ChatCtl::DoodlePalette, ChatCtl::DoodleToolStrip, ChatCtl::DoodleBoard};
    else if (r.height() < 44 + 20)
        out.hidden += {ChatCtl::DoodleToolStrip, ChatCtl::DoodleBoard};

    // The tool's property buttons and "图像操作", side by side right of the palette.
    const QList<int> all{ChatCtl::DoodleLineWidth, ChatCtl::DoodleLineType, ChatCtl::DoodleFill};
    QList<int> shown = in.propertyButtons;
    shown.append(ChatCtl::DoodleImage);
    const int available = in.clientWidth - in.sideWidth - 171;
    const int width = std::max(0, std::min(58, available / int(shown.size())));
    for (const int id : all) {
        if (!shown.contains(id))
            out.hidden.insert(id);
    }
    for (int i = 0; i < shown.size(); ++i)
        place(shown[i], QRect(164 + i * (width + 1), r.top() + 4, width, 18));
    if (r.height() < 20) {
        for (const int id : std::as_const(shown))
            out.hidden.insert(id);
    }
}

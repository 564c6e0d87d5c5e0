#include "controls/OutBarLayout.h"

#include <algorithm>

int OutBarLayout::folderAt(const QPoint &point) const
{
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i].contains(point))
            return i;
    }
    return -1;
}

OutBarLayout ComputeOutBarLayout(QSize client, int folderCount, int selected, int buttonHeight)
{
    OutBarLayout layout;
    const int width = std::max(0, client.width());
    const int height = std::max(0, client.height());
    if (folderCount <= 0) {
        layout.page = QRect(0, 0, width, height);
        return layout;
    }
    selected = std::clamp(selected, 0, folderCount - 1);
    buttonHeight = std::max(0, buttonHeight);
    const int above = selected + 1;
    const int below = folderCount - above;
    for (int i = 0; i < above; ++i)
        layout.buttons.append(QRect(0, i * buttonHeight, width, buttonHeight));
    const int pageTop = above * buttonHeight;
    // The lower buttons stay at the bottom, but never climb over the upper ones.
    const int lowerTop = std::max(pageTop, height - below * buttonHeight);
    for (int i = 0; i < below; ++i)
        layout.buttons.append(QRect(0, lowerTop + i * buttonHeight, width, buttonHeight));
    layout.page = QRect(0, pageTop, width, std::max(0, lowerTop - pageTop));
    return layout;
}

OutBarLayout BlendOutBarLayouts(const OutBarLayout &from, const OutBarLayout &to, double progress)
{
    progress = std::clamp(progress, 0.0, 1.0);
    auto blend = [progress](int a, int b) { return a + int((b - a) * progress + (b >= a ? 0.5 : -0.5)); };
    auto blendRect = [&](const QRect &a, const QRect &b) {
        return QRect(blend(a.x(), b.x()), blend(a.y(), b.y()), blend(a.width(), b.width()),
            blend(a.height(), b.height()));
    };
    if (from.buttons.size() != to.buttons.size())
        return to;
    OutBarLayout out;
    for (int i = 0; i < to.buttons.size(); ++i)
        out.buttons.append(blendRect(from.buttons[i], to.buttons[i]));
    out.page = blendRect(from.page, to.page);
    return out;
}

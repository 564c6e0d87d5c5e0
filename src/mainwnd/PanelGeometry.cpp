#include "mainwnd/PanelGeometry.h"

#include <algorithm>

namespace PanelGeometry {

QRect StartRect(const StoredPlacement &stored, const QRect &current, const QRect &workArea)
{
    int width = stored.width < 0 ? current.width() : stored.width;
    int height = stored.height < 0 ? current.height() : stored.height;
    width = std::max(width, kMinimumSize.width());
    height = std::max(height, kMinimumSize.height());
    if (workArea.isValid()) {
        width = std::min(width, std::max(workArea.width(), kMinimumSize.width()));
        height = std::min(height, std::max(workArea.height(), kMinimumSize.height()));
    }
    int left = stored.left;
    int top = stored.top;
    if (!workArea.isValid())
        return QRect(std::max(left, 0), std::max(top, 0), width, height);
    const bool leftUnset = left < 0 || left < workArea.left() || left + width > workArea.right() + 1;
    const bool topUnset = top < 0 || top < workArea.top() || top + height > workArea.bottom() + 1;
    if (leftUnset)
        left = workArea.right() + 1 - width;
    if (topUnset)
        top = workArea.top() + (workArea.height() - height) / 2;
    return QRect(left, top, width, height);
}

bool StartsHidden(bool autoStart, bool startAutoMin, bool dbClickAutoMin)
{
    return autoStart ? startAutoMin : dbClickAutoMin;
}

} // namespace PanelGeometry

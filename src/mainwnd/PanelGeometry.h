// Where the main panel starts and whether it starts in the tray: decisions
// made from the stored values without any window.
#pragma once

#include <QRect>
#include <QSize>

namespace PanelGeometry {

constexpr int kSearchStripHeight = 22;
constexpr QSize kMinimumSize(210, 300);
// The size of a panel that was never placed by the user.
constexpr QSize kDefaultSize(240, 560);

struct StoredPlacement
{
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
};

// The start rectangle from the stored placement, the panel's current
// rectangle (its size is the default) and the work area:
// - a negative width or height takes the current one;
// - a negative left puts the panel at the right edge of the work area, a
//   negative top centres it vertically;
// - a panel that would reach past the work area on the right or at the
//   bottom, or start left of or above it, is placed as an unset one;
// - a size larger than the work area shrinks to it, never below the
//   minimum size.
// Docking places the panel afterwards from this rectangle.
QRect StartRect(const StoredPlacement &stored, const QRect &current, const QRect &workArea);

// The panel starts in the tray when the auto-start entry launched it and
// StartAutoMin is on, or when the user launched it and DbClickAutoMin is on.
bool StartsHidden(bool autoStart, bool startAutoMin, bool dbClickAutoMin);

} // namespace PanelGeometry

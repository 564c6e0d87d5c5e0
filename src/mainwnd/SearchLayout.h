// Where the parts of the search strip and its result panel go, and the
// addresses of the result panel's web searches: pure geometry and text.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

namespace SearchLayout {

inline constexpr int kRowHeight = 32; // a result row (large head icons)
inline constexpr int kLinksHeight = 13; // the web-search links above the list
inline constexpr int kLinkCount = 3;
inline constexpr int kNarrowColumn = 12; // a result column the match is not in, while there is room

// The strip of width w: the status button, the small search icon, the clear
// button and the search box.
struct Strip
{
    QRect status, icon, clear, box;
};
Strip StripRects(int width);

// The result panel under the strip (strip in screen coordinates) with count
// rows; the list starts below the links when they are shown. Link positions
// are relative to the panel.
struct Panel
{
    QRect window;
    QRect list; // in the panel
    std::array<QPoint, kLinkCount> links;
};
Panel PanelRects(const QRect &strip, int count, bool showLinks);

// The widths of the result list's columns in a list `width` wide, from what
// each column's texts need: the name and the columns read (those holding the
// match) get what they need, and so does the address while the other
// columns keep at least `narrowest`; the others share what is left (less
// than `narrowest` rather than cut a column read). When even the columns
// read do not fit, the name gives way.
QList<int> ColumnWidths(int width, const QList<int> &needs, const QList<int> &read, int name, int address,
    int narrowest);

// The links' texts ("Google搜索", "百度搜索", "蓝雀论坛搜索") and the
// addresses that search the text there: the public engines' query prefixes,
// the forum's from the configuration (empty: no forum link).
QString LinkText(int link);
QString LinkAddress(int link, const QString &text, const QString &forumPrefix);

} // namespace SearchLayout

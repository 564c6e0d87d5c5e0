#include "mainwnd/SearchLayout.h"

#include <QUrl>
#include <algorithm>

namespace SearchLayout {

Strip StripRects(int width)
{
    Strip s;
    s.status = QRect(2, 2, 60, 18);
    s.icon = QRect(63, 3, 16, 16);
    s.clear = QRect(width - 19, 3, 16, 16);
    s.box = QRect(80, 5, std::max(0, width - 99), 14);
    return s;
}

Panel PanelRects(const QRect &strip, int count, bool showLinks)
{
    Panel p;
    const int height = showLinks ? count * kRowHeight + 77 : (count + 2) * kRowHeight;
    p.window = QRect(strip.left(), strip.bottom() + 1, strip.width(), height);
    const int top = showLinks ? kLinksHeight : 0;
    p.list = QRect(0, top, strip.width(), height - top);
    p.links = { QPoint(0, 0), QPoint(70, 0), QPoint(126, 0) };
    return p;
}

QString LinkText(int link)
{
    static const char16_t *const texts[kLinkCount] = { u"Google搜索", u"百度搜索", u"蓝雀论坛搜索" };
    return link >= 0 && link < kLinkCount ? QString::fromUtf16(texts[link]) : QString();
}

QString LinkAddress(int link, const QString &text, const QString &forumPrefix)
{
    static const char *const engines[2] = { "https://www.google.com/search?q=", "https://www.baidu.com/s?ie=utf-8&wd=" };
    if (link < 0 || link >= kLinkCount)
        return {};
    const QString prefix = link < 2 ? QString::fromLatin1(engines[link]) : forumPrefix;
    return prefix.isEmpty() ? QString() : prefix + QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QList<int> ColumnWidths(int width, const QList<int> &needs, const QList<int> &read, int name, int address,
    int narrowest)
{
    const int count = int(needs.size());
    QList<bool> fitted(count, false);
    int rest = width;
    int others = count;
    const auto fit = [&](int column) {
        if (column < 0 || column >= count || fitted[column])
            return;
        fitted[column] = true;
        rest -= needs[column];
        --others;
    };
    fit(name);
    for (const int column : read)
        fit(column);
    if (address >= 0 && address < count && !fitted[address]
        && rest - needs[address] >= (others - 1) * narrowest)
        fit(address);
    // The others share what is left: at least `narrowest` while there is
    // room, less rather than cut a column read.
    const int share = others > 0 ? std::max(0, rest / others) : 0;
    QList<int> widths(count);
    int total = 0;
    for (int c = 0; c < count; ++c) {
        widths[c] = fitted[c] ? needs[c] : share;
        total += widths[c];
    }
    if (total > width && name >= 0 && name < count)
        widths[name] = std::max(narrowest, widths[name] - (total - width));
    return widths;
}

} // namespace SearchLayout

#include "controls/FillGradientRect.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

double ratio(int value, int extent)
{
    return extent <= 1 ? 0.0 : std::clamp(double(value) / double(extent - 1), 0.0, 1.0);
}

// The top-left quarter of a diamond fill; the other quarters are its mirrors.
QImage diamondQuarter(int qw, int qh, const QColor &color1, const QColor &color2)
{
    QImage quarter(qw, qh, QImage::Format_RGB32);
    for (int y = 0; y < qh; ++y) {
        auto *line = reinterpret_cast<QRgb *>(quarter.scanLine(y));
        for (int x = 0; x < qw; ++x)
            line[x] = MixColors(color1, color2, GradientPosition(2, qw * 2, qh * 2, x, y)).rgb();
    }
    return quarter;
}

} // namespace

double GradientPosition(int mode, int w, int h, int x, int y)
{
    switch (mode) {
    case 0:
        return ratio(x, w);
    case 2: {
        // Within a quarter the triangle gradient runs along the diagonal:
        // corner (0,0) colour 1, the rectangle's centre colour 2, the two
        // other corners of the quarter half way.
        const int qw = std::max(1, (w + 1) / 2);
        const int qh = std::max(1, (h + 1) / 2);
        const int mx = x < qw ? x : std::max(0, w - 1 - x);
        const int my = y < qh ? y : std::max(0, h - 1 - y);
        return (ratio(mx, qw) + ratio(my, qh)) / 2.0;
    }
    default:
        return ratio(y, h);
    }
}

QColor MixColors(const QColor &color1, const QColor &color2, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto mix = [t](int a, int b) { return int(a + (b - a) * t + 0.5); };
    return QColor(mix(color1.red(), color2.red()), mix(color1.green(), color2.green()),
        mix(color1.blue(), color2.blue()));
}

void FillGradientRect(QPainter &painter, const QRect &rect, const QColor &color1, const QColor &color2, int mode)
{
    if (rect.isEmpty())
        return;
    if (color1.rgb() == color2.rgb()) {
        painter.fillRect(rect, color1);
        return;
    }
    if (mode == 2) {
        const int qw = (rect.width() + 1) / 2;
        const int qh = (rect.height() + 1) / 2;
        const QImage quarter = diamondQuarter(qw, qh, color1, color2);
        const int rw = rect.width() - qw;
        const int rh = rect.height() - qh;
        painter.drawImage(QRect(rect.left(), rect.top(), qw, qh), quarter);
        if (rw > 0)
            painter.drawImage(QRect(rect.left() + qw, rect.top(), rw, qh), quarter.mirrored(true, false));
        if (rh > 0)
            painter.drawImage(QRect(rect.left(), rect.top() + qh, qw, rh), quarter.mirrored(false, true));
        if (rw > 0 && rh > 0)
            painter.drawImage(QRect(rect.left() + qw, rect.top() + qh, rw, rh), quarter.mirrored(true, true));
        return;
    }
    const bool horizontal = mode == 0;
    const QPointF start = rect.topLeft();
    const QPointF stop = horizontal ? QPointF(rect.right() + 1, rect.top()) : QPointF(rect.left(), rect.bottom() + 1);
    QLinearGradient gradient(start, stop);
    gradient.setColorAt(0, color1);
    gradient.setColorAt(1, color2);
    painter.fillRect(rect, gradient);
}

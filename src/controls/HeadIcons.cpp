#include "controls/HeadIcons.h"

#include "controls/ProgramArt.h"

#include <QImage>
#include <QPixmapCache>

namespace {

const QImage &headStrip(int size)
{
    static const QImage small(QStringLiteral(":/kwel/heads/heads16.png"));
    static const QImage large(QStringLiteral(":/kwel/heads/heads32.png"));
    return size == 16 ? small : large;
}

} // namespace

QPixmap HeadIconPixmap(int index, int size)
{
    EnsureArtResources();
    if (index < 0 || index >= HeadImage::Count)
        index = HeadImage::FirstHead;
    if (size <= 0)
        size = 32;
    const QString key = QStringLiteral("kwel-head-%1-%2").arg(index).arg(size);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const int drawn = size <= 16 ? 16 : 32;
    const QImage &strip = headStrip(drawn);
    if (strip.width() < (index + 1) * drawn)
        return QPixmap();
    QImage cell = strip.copy(index * drawn, 0, drawn, drawn);
    if (size != drawn)
        cell = cell.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap = QPixmap::fromImage(cell);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

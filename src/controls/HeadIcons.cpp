#include "controls/HeadIcons.h"

#include "controls/ProgramArt.h"

#include <QHash>
#include <QList>
#include <QPixmapCache>

namespace {

const QImage &headStrip(int size)
{
    static const QImage small(QStringLiteral(":/kwel/heads/heads16.png"));
    static const QImage large(QStringLiteral(":/kwel/heads/heads32.png"));
    return size == 16 ? small : large;
}

// One head photo of the lists. Images, not pixmaps: the lists may outlive
// the application object.
struct Photo
{
    QString source;
    QImage large; // 32 × 32
    QImage small; // 16 × 16
    quint64 serial = 0; // never reused, names the photo in the pixmap cache
};

struct PhotoList
{
    QList<Photo> photos; // image HeadImage::Count + i
    QHash<QString, int> bySource;
    quint64 nextSerial = 1;
};

PhotoList &photoList()
{
    static PhotoList list;
    return list;
}

QImage withTransparent(QImage image, QRgb colour)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == (colour & 0xFFFFFF))
                row[x] = 0;
    }
    return image;
}

QPixmap photoPixmap(const Photo &photo, int size)
{
    const int drawn = size <= 16 ? 16 : 32;
    const QString key = QStringLiteral("kwel-photo-%1-%2").arg(photo.serial).arg(size);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QImage image = drawn == 16 ? photo.small : photo.large;
    if (size != drawn)
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

int HeadIconCount()
{
    return HeadImage::Count + int(photoList().photos.size());
}

int HeadPhotoImageIndex(const QString &source)
{
    const PhotoList &list = photoList();
    const auto it = list.bySource.constFind(source);
    return it == list.bySource.cend() ? -1 : HeadImage::Count + *it;
}

int AddHeadPhotoImage(const QString &source, const QImage &photo)
{
    if (photo.isNull())
        return -1;
    if (const int known = HeadPhotoImageIndex(source); known >= 0)
        return known;
    PhotoList &list = photoList();
    Photo p;
    p.source = source;
    p.large = withTransparent(photo.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), qRgb(255, 255, 255));
    p.small = withTransparent(photo.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), qRgb(0, 0, 0));
    p.serial = list.nextSerial++;
    list.bySource.insert(source, int(list.photos.size()));
    list.photos.append(std::move(p));
    return HeadIconCount() - 1;
}

void TrimHeadIcons(int count)
{
    PhotoList &list = photoList();
    const qsizetype keep = qMax(0, count - HeadImage::Count);
    while (list.photos.size() > keep) {
        list.bySource.remove(list.photos.constLast().source);
        list.photos.removeLast();
    }
}

QPixmap HeadIconPixmap(int index, int size)
{
    EnsureArtResources();
    if (size <= 0)
        size = 32;
    const PhotoList &list = photoList();
    if (index >= HeadImage::Count && index < HeadIconCount())
        return photoPixmap(list.photos.at(index - HeadImage::Count), size);
    if (index < 0 || index >= HeadImage::Count)
        index = HeadImage::FirstHead;
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

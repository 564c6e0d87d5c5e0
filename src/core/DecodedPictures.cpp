#include "core/DecodedPictures.h"

#include "core/BmpFile.h"
#include "core/PictureLimits.h"

#include <QFileInfo>
#include <QImageReader>

DecodedPictures &DecodedPictures::Shared()
{
    static DecodedPictures cache;
    return cache;
}

DecodedPictures::DecodedPictures(qint64 unheldBytes, qint64 heldBytes, Loader loader)
    : m_unheldBytes(unheldBytes)
    , m_heldBytes(heldBytes)
    , m_loader(loader ? std::move(loader) : Loader(&LoadBitmapFile))
{
}

qint64 DecodedPictures::costOf(const QImage &image)
{
    return image.sizeInBytes() + kEntryOverhead;
}

QString DecodedPictures::keyOf(const QString &path)
{
    // A file written again under the same name is another picture.
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const QString canonical = info.canonicalFilePath();
    return QStringLiteral("%1|%2|%3")
        .arg(canonical.isEmpty() ? info.absoluteFilePath() : canonical)
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size());
}

QImage DecodedPictures::ShownBitmap(const QImage &image)
{
    const QSize shown = ShownPictureSize(image.size());
    if (image.isNull() || shown == image.size())
        return image;
    return image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

qint64 DecodedPictures::heldBytes() const
{
    qint64 held = 0;
    for (const Entry &entry : m_entries) {
        if (!entry.image.isDetached())
            held += entry.cost;
    }
    return held;
}

bool DecodedPictures::fits(qint64 cost) const
{
    return heldBytes() + cost <= m_heldBytes;
}

QImage DecodedPictures::Shown(const QString &path, bool *deferred)
{
    if (deferred)
        *deferred = false;
    const QString key = keyOf(path);
    if (key.isEmpty())
        return {};
    if (const auto it = m_entries.find(key); it != m_entries.end())
        return handOut(it, deferred);
    // A picture that cannot be held is not decoded when the file tells its size.
    const QSize size = QImageReader(path).size();
    if (size.isValid()) {
        const QSize shown = ShownPictureSize(size);
        if (!fits(qint64(shown.width()) * shown.height() * 4 + kEntryOverhead)) {
            if (deferred)
                *deferred = true;
            return {};
        }
    }
    ++m_reads;
    const QImage image = ShownBitmap(m_loader(path));
    if (image.isNull())
        return {};
    const bool held = fits(costOf(image));
    insert(key, image);
    if (held)
        return image;
    if (deferred)
        *deferred = true;
    return {};
}

QImage DecodedPictures::handOut(QHash<QString, Entry>::iterator it, bool *deferred)
{
    m_order.splice(m_order.end(), m_order, it->use);
    // Held already, another holder costs nothing more.
    if (!it->image.isDetached() || fits(it->cost)) {
        const QImage image = it->image;
        trim(); // bitmaps released since the last call may go now
        return image;
    }
    if (deferred)
        *deferred = true;
    return {};
}

QImage DecodedPictures::Hold(const QImage &image, bool *deferred)
{
    if (deferred)
        *deferred = false;
    if (image.isNull())
        return {};
    const QString key = QStringLiteral("bitmap:%1").arg(image.cacheKey());
    if (const auto it = m_entries.find(key); it != m_entries.end())
        return handOut(it, deferred);
    const QImage shown = ShownBitmap(image);
    if (!fits(costOf(shown))) {
        if (deferred)
            *deferred = true;
        return {};
    }
    insert(key, shown);
    return shown;
}

void DecodedPictures::Remember(const QString &path, const QImage &image)
{
    const QString key = keyOf(path);
    if (key.isEmpty() || image.isNull())
        return;
    if (const auto it = m_entries.find(key); it != m_entries.end())
        drop(it);
    insert(key, ShownBitmap(image));
}

void DecodedPictures::insert(const QString &key, const QImage &image)
{
    Entry entry;
    entry.image = image;
    entry.cost = costOf(image);
    entry.use = m_order.insert(m_order.end(), key);
    m_bytes += entry.cost;
    m_entries.insert(key, std::move(entry));
    trim();
}

void DecodedPictures::drop(QHash<QString, Entry>::iterator it)
{
    m_bytes -= it->cost;
    m_order.erase(it->use);
    m_entries.erase(it);
}

void DecodedPictures::trim()
{
    // Only what the cache alone holds counts against this budget and can
    // go; a bitmap some document holds stays, so that a later window gets
    // the same one instead of a second copy.
    qint64 unheld = 0;
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.image.isDetached())
            unheld += entry.cost;
    }
    for (auto use = m_order.begin(); unheld > m_unheldBytes && use != m_order.end();) {
        const auto it = m_entries.find(*use++);
        if (!it->image.isDetached())
            continue;
        unheld -= it->cost;
        drop(it);
    }
}

void DecodedPictures::clear()
{
    m_entries.clear();
    m_order.clear();
    m_bytes = 0;
}

#include "core/DecodedPictures.h"

#include "core/BmpFile.h"

#include <QFileInfo>

DecodedPictures &DecodedPictures::Shared()
{
    static DecodedPictures cache;
    return cache;
}

DecodedPictures::DecodedPictures(qint64 unheldBytes, Loader loader)
    : m_unheldBytes(unheldBytes)
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

QImage DecodedPictures::Picture(const QString &path)
{
    const QString key = keyOf(path);
    if (key.isEmpty())
        return {};
    if (const auto it = m_entries.find(key); it != m_entries.end()) {
        m_order.splice(m_order.end(), m_order, it->use);
        const QImage image = it->image;
        trim(); // bitmaps released since the last call may go now
        return image;
    }
    ++m_reads;
    const QImage image = m_loader(path);
    if (!image.isNull())
        insert(key, image);
    return image;
}

void DecodedPictures::Remember(const QString &path, const QImage &image)
{
    const QString key = keyOf(path);
    if (key.isEmpty() || image.isNull())
        return;
    if (const auto it = m_entries.find(key); it != m_entries.end())
        drop(it);
    insert(key, image);
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
    // Only what the cache alone holds counts against the budget and can go;
    // a bitmap some document holds stays, so that a later window gets the
    // same one instead of a second copy.
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

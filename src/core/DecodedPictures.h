// The decoded pictures of stored picture files, one per file for the whole
// program: every window, every marker and every answer from the store that
// names a file shares the same bitmap, so memory grows with the distinct
// pictures shown, not with the windows or the markers naming them.
#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <functional>
#include <list>

class DecodedPictures
{
public:
    // Bitmaps no one else holds any more are kept up to this many bytes
    // (least recently used first out). Bitmaps a document or a window still
    // holds stay known whatever their size: they cost nothing more, and a
    // new window naming the file gets the same one.
    static constexpr qint64 kUnheldBytes = qint64(128) << 20;
    // What one entry costs besides its pixels (key, bookkeeping), so that a
    // flood of tiny files is bounded too.
    static constexpr qint64 kEntryOverhead = 1024;

    using Loader = std::function<QImage(const QString &path)>;

    // The program's cache.
    static DecodedPictures &Shared();

    explicit DecodedPictures(qint64 unheldBytes = kUnheldBytes, Loader loader = {});

    // The bitmap of the file (as LoadBitmapFile reads it): the one decoded
    // before while the file is unchanged (path, time, size), else read now.
    // Null when the file is missing or does not decode.
    QImage Picture(const QString &path);
    // Makes `image` the bitmap of the file as it is now (a picture just
    // written from the bitmap received), so that it is not read again.
    void Remember(const QString &path, const QImage &image);

    // Entries known, and the bytes of their pixels (held ones included).
    int count() const { return int(m_entries.size()); }
    qint64 bytes() const { return m_bytes; }
    // Files read (the decodes done).
    qint64 reads() const { return m_reads; }
    void clear();

private:
    struct Entry
    {
        QImage image;
        qint64 cost = 0;
        std::list<QString>::iterator use; // place in m_order
    };
    static qint64 costOf(const QImage &image);
    static QString keyOf(const QString &path);
    void insert(const QString &key, const QImage &image);
    void drop(QHash<QString, Entry>::iterator it);
    void trim();

    qint64 m_unheldBytes;
    Loader m_loader;
    QHash<QString, Entry> m_entries; // by file key (path, time, size)
    std::list<QString> m_order; // least recently used first
    qint64 m_bytes = 0;
    qint64 m_reads = 0;
};

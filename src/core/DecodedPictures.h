// The pictures of stored picture files as the windows show them, one bitmap
// per file for the whole program: every window, every marker and every
// picture from the store that names a file shares the same bitmap, so memory
// grows with the distinct pictures shown, not with the windows or the markers
// naming them. A bitmap is decoded no larger than a window shows it
// (ShownPictureSize); the file keeps the picture at its own size, for saving
// and sending. All bitmaps the documents hold stay within a budget: beyond
// it a picture is not handed out (the window shows its place instead) until
// room frees.
#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <functional>
#include <list>

class DecodedPictures
{
public:
    // The bitmaps documents and windows hold, all together: about 23
    // pictures of the largest size a peer may send, or thousands of small
    // ones.
    static constexpr qint64 kHeldBytes = qint64(96) << 20;
    // Bitmaps no one else holds any more are kept up to this many bytes
    // (least recently used first out), so that a window shown again does
    // not decode them again.
    static constexpr qint64 kUnheldBytes = qint64(32) << 20;
    // What one entry costs besides its pixels (key, bookkeeping), so that a
    // flood of tiny files is bounded too.
    static constexpr qint64 kEntryOverhead = 1024;

    using Loader = std::function<QImage(const QString &path)>;

    // The program's cache.
    static DecodedPictures &Shared();

    explicit DecodedPictures(qint64 unheldBytes = kUnheldBytes, qint64 heldBytes = kHeldBytes, Loader loader = {});

    // The bitmap of the file (as LoadBitmapFile reads it) as a window shows
    // it: the one made before while the file is unchanged (path, time,
    // size), else read now. Null when the file is missing or does not
    // decode, and null with `deferred` set when holding it would pass the
    // budget of held bitmaps (a picture whose size the file tells is not
    // decoded then).
    QImage Shown(const QString &path, bool *deferred = nullptr);
    // Makes `image` (scaled as shown) the bitmap of the file as it is now (a
    // picture just written from the bitmap received), so that it is not read
    // again.
    void Remember(const QString &path, const QImage &image);
    // The bitmap of a picture that has no file, scaled as shown, for a
    // history to hold within the same budget: null with `deferred` set when
    // it would pass it.
    QImage Hold(const QImage &image, bool *deferred = nullptr);

    // The bitmap of `image` as a window shows it: no larger than
    // ShownPictureSize, the same bitmap when it fits.
    static QImage ShownBitmap(const QImage &image);

    // Entries known, and the bytes of their pixels (held ones included).
    int count() const { return int(m_entries.size()); }
    qint64 bytes() const { return m_bytes; }
    // The bytes of the bitmaps others hold.
    qint64 heldBytes() const;
    // The budget of held bitmaps (tests set a smaller one).
    void setHeldBytes(qint64 bytes) { m_heldBytes = bytes; }
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
    bool fits(qint64 cost) const;
    QImage handOut(QHash<QString, Entry>::iterator it, bool *deferred);
    void insert(const QString &key, const QImage &image);
    void drop(QHash<QString, Entry>::iterator it);
    void trim();

    qint64 m_unheldBytes;
    qint64 m_heldBytes;
    Loader m_loader;
    QHash<QString, Entry> m_entries; // by file key (path, time, size)
    std::list<QString> m_order; // least recently used first
    qint64 m_bytes = 0;
    qint64 m_reads = 0;
};

// Animates the GIF pictures of one document. Every GIF file is played by one
// QMovie, shared by all documents that show it; each frame replaces the
// document resource that the file's objects draw, and the animator reports
// the rectangles of those objects so that only they are repainted.
#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSharedPointer>
#include <QTextCursor>

class QMovie;
class QTextDocument;

class GifAnimator : public QObject
{
    Q_OBJECT
public:
    // A movie keeps its frames decoded only when all of them take at most
    // this (each frame is as large as the file's logical screen), and all
    // movies together at most kAllFrameBytes; otherwise it decodes each
    // frame as it plays.
    static constexpr qint64 kMovieFrameBytes = qint64(32) << 20;
    static constexpr qint64 kAllFrameBytes = qint64(128) << 20;

    explicit GifAnimator(QTextDocument *document, QObject *parent = nullptr);
    ~GifAnimator() override;

    // The name of the document resource that shows the file, its first frame
    // loaded into the document; empty when the file is not a readable GIF.
    // `size` receives the frame size.
    QString resourceFor(const QString &path, QSizeF &size);
    // Follows the object at `position` (inserted with resourceFor(path)).
    void track(const QString &path, int position);

    // The movie that plays the file, if this document shows it (tests).
    QMovie *movieFor(const QString &path) const;
    // Drops every movie (the document was cleared).
    void clear();

signals:
    // Document rectangles of objects whose picture changed.
    void objectsChanged(const QList<QRectF> &documentRects);

private:
    struct Entry
    {
        QSharedPointer<QMovie> movie;
        QString resource;
        QList<QTextCursor> anchors; // move with the text around them
        QMetaObject::Connection connection;
    };

    void onFrame(const QString &key);
    QRectF objectRect(int position, QSizeF size) const;

    QPointer<QTextDocument> m_document;
    QHash<QString, Entry> m_entries; // by canonical file path
};

#include "chat/GifAnimator.h"

#include "chat/RichEditObjects.h"
#include "core/PictureLimits.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QImageReader>
#include <QMovie>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

namespace {

// The bytes of the frames the movies keep decoded, all movies together.
qint64 g_cachedFrameBytes = 0;

// What keeping every frame of the movie decoded would cost: each frame is
// drawn on the whole logical screen of the file.
qint64 allFramesBytes(QMovie &movie)
{
    const QSize screen = movie.scaledSize().isValid() ? movie.scaledSize() : QImageReader(movie.fileName()).size();
    return qint64(qMax(1, movie.frameCount())) * qMax(0, screen.width()) * qMax(0, screen.height()) * 4;
}

// One movie per file for the whole program; a movie lives while some
// document shows its file. Its frames are kept decoded only within the
// budget: a GIF of many frames on a large screen (a few kilobytes can
// describe thousands) decodes each frame again as it plays.
QSharedPointer<QMovie> sharedMovie(const QString &key)
{
    static QHash<QString, QWeakPointer<QMovie>> movies;
    if (QSharedPointer<QMovie> movie = movies.value(key).toStrongRef())
        return movie;
    movies.removeIf([](const auto &entry) { return entry.value().isNull(); });
    auto *raw = new QMovie(key);
    // Played no larger than a window shows it, as a still picture is.
    const QSize screen = QImageReader(key).size();
    if (ShownPictureSize(screen) != screen)
        raw->setScaledSize(ShownPictureSize(screen));
    const qint64 cost = raw->isValid() ? allFramesBytes(*raw) : 0;
    const bool cached = cost <= GifAnimator::kMovieFrameBytes && g_cachedFrameBytes + cost <= GifAnimator::kAllFrameBytes;
    raw->setCacheMode(cached ? QMovie::CacheAll : QMovie::CacheNone);
    g_cachedFrameBytes += cached ? cost : 0;
    // Deleted later: the last reference may go inside the movie's own signal.
    QSharedPointer<QMovie> movie(raw, [cost = cached ? cost : 0](QMovie *m) {
        g_cachedFrameBytes -= cost;
        m->deleteLater();
    });
    if (!movie->isValid() || !movie->jumpToFrame(0) || movie->currentImage().isNull())
        return {};
    movies.insert(key, movie);
    if (movie->frameCount() != 1)
        movie->start();
    return movie;
}

QString fileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

GifAnimator::GifAnimator(QTextDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
}

GifAnimator::~GifAnimator()
{
    clear();
}

QString GifAnimator::resourceFor(const QString &path, QSizeF &size)
{
    if (!m_document || !QFileInfo(path).isFile())
        return {};
    const QString key = fileKey(path);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        Entry entry;
        entry.movie = sharedMovie(key);
        if (!entry.movie)
            return {};
        static quint64 serial = 0;
        entry.resource = QStringLiteral("kwel-gif:%1").arg(++serial);
        entry.connection = connect(entry.movie.data(), &QMovie::frameChanged, this, [this, key] { onFrame(key); });
        it = m_entries.insert(key, entry);
    }
    const QImage frame = it->movie->currentImage();
    m_document->addResource(QTextDocument::ImageResource, QUrl(it->resource), frame);
    size = frame.deviceIndependentSize();
    return it->resource;
}

void GifAnimator::track(const QString &path, int position)
{
    auto it = m_entries.find(fileKey(path));
    if (it == m_entries.end() || !m_document)
        return;
    QTextCursor anchor(m_document);
    anchor.setPosition(position);
    it->anchors.append(anchor);
}

QMovie *GifAnimator::movieFor(const QString &path) const
{
    const auto it = m_entries.constFind(fileKey(path));
    return it == m_entries.constEnd() ? nullptr : it->movie.data();
}

void GifAnimator::clear()
{
    for (const Entry &entry : std::as_const(m_entries))
        disconnect(entry.connection);
    m_entries.clear();
}

void GifAnimator::onFrame(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end() || !m_document)
        return;
    // Forget the objects that are gone: the anchor no longer sits on an
    // object that shows this movie.
    QList<QRectF> rects;
    for (qsizetype i = it->anchors.size() - 1; i >= 0; --i) {
        const QTextCursor &anchor = it->anchors[i];
        const int position = anchor.position();
        QTextCursor probe(m_document);
        probe.setPosition(position);
        probe.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        const QTextCharFormat format = probe.charFormat();
        const std::optional<RichEditObject> object = ObjectFromFormat(format, position);
        if (anchor.isNull() || !object || object->imageName != it->resource
            || m_document->characterAt(position) != QChar::ObjectReplacementCharacter) {
            it->anchors.removeAt(i);
            continue;
        }
        const QTextImageFormat image = format.toImageFormat();
        rects.append(objectRect(position, QSizeF(image.width(), image.height())));
    }
    if (it->anchors.isEmpty()) {
        // No object shows the file any more: let the movie go.
        disconnect(it->connection);
        m_document->addResource(QTextDocument::ImageResource, QUrl(it->resource), it->movie->currentImage());
        m_entries.erase(it);
        return;
    }
    m_document->addResource(QTextDocument::ImageResource, QUrl(it->resource), it->movie->currentImage());
    emit objectsChanged(rects);
}

QRectF GifAnimator::objectRect(int position, QSizeF size) const
{
    const QTextBlock block = m_document->findBlock(position);
    const QTextLayout *layout = block.layout();
    if (!layout)
        return {};
    const int offset = position - block.position();
    const QTextLine line = layout->lineForTextPosition(offset);
    if (!line.isValid())
        return {};
    // The block's place in the document: its bounding rectangle less the
    // layout's own.
    const QRectF blockRect = m_document->documentLayout()->blockBoundingRect(block);
    const QPointF origin = blockRect.topLeft() - layout->boundingRect().topLeft();
    return QRectF(
        origin.x() + line.cursorToX(offset), origin.y() + line.y(), size.width(), qMax(line.height(), size.height()));
}

#include "controls/CGifStatic.h"

#include <QImageReader>
#include <QMovie>
#include <QPainter>

CGifStatic::CGifStatic(QWidget *parent)
    : QWidget(parent)
{
}

CGifStatic::~CGifStatic()
{
    UnLoad();
}

bool CGifStatic::LoadFromFile(const QString &path)
{
    UnLoad();
    auto *movie = new QMovie(path, QByteArray(), this);
    if (movie->isValid() && movie->frameCount() > 1) {
        movie->setCacheMode(QMovie::CacheAll);
        m_movie = movie;
        connect(movie, &QMovie::frameChanged, this, [this] { update(); });
        movie->jumpToFrame(0);
        adoptSize(movie->currentImage().size());
        return true;
    }
    delete movie;
    QImageReader reader(path);
    m_image = reader.read();
    adoptSize(m_image.size());
    return !m_image.isNull();
}

void CGifStatic::Draw()
{
    if (m_movie) {
        if (m_movie->state() == QMovie::Paused)
            m_movie->setPaused(false);
        else if (m_movie->state() == QMovie::NotRunning)
            m_movie->start();
    }
    update();
}

void CGifStatic::UnLoad()
{
    if (m_movie) {
        m_movie->stop();
        delete m_movie.data();
    }
    m_image = QImage();
    m_framed = false;
    update();
}

void CGifStatic::SetFixedSize(int width, int height)
{
    m_fixedSize = QSize(width, height);
    setFixedSize(m_fixedSize);
}

void CGifStatic::SetImageListImage(const QList<QImage> &images, int index)
{
    UnLoad();
    if (index < 0 || index >= images.size())
        return;
    m_image = images[index];
    m_framed = true;
    adoptSize(m_image.size() + QSize(4, 4));
}

QImage CGifStatic::CurrentImage() const
{
    return m_movie ? m_movie->currentImage() : m_image;
}

bool CGifStatic::IsAnimating() const
{
    return m_movie && m_movie->state() == QMovie::Running;
}

QSize CGifStatic::sizeHint() const
{
    if (m_fixedSize.isValid())
        return m_fixedSize;
    const QImage image = CurrentImage();
    return image.isNull() ? QSize(16, 16) : image.size() + (m_framed ? QSize(4, 4) : QSize());
}

void CGifStatic::adoptSize(QSize pictureSize)
{
    if (!m_fixedSize.isValid() && pictureSize.isValid())
        resize(pictureSize);
    updateGeometry();
}

void CGifStatic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect area = rect();
    if (m_framed) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        area.adjust(2, 2, -2, -2);
    }
    const QImage image = CurrentImage();
    if (image.isNull())
        return;
    QSize size = image.deviceIndependentSize().toSize();
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}

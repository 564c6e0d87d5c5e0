#include "core/COlePicture.h"

#include "core/BmpFile.h"

#include <QPainter>

bool COlePicture::Load(const QString &path)
{
    m_picture = LoadBitmapFile(path);
    return !m_picture.isNull();
}

QImage COlePicture::Render(QSize size) const
{
    if (m_picture.isNull() || !ImageLimits().allows(size.width(), size.height()))
        return {};
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::white);
    QSize drawn = m_picture.size();
    if (drawn.width() > size.width() || drawn.height() > size.height())
        drawn = drawn.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QRect target(QPoint((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2), drawn);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_picture);
    painter.end();
    return canvas;
}

bool COlePicture::RenderToBitmap(const QString &targetPath, const QRect &rect) const
{
    const QImage image = Render(rect.size());
    return !image.isNull() && SaveBitmapToFile(image, targetPath);
}

#include "chat/faces/FaceImages.h"

#include "core/FaceShortcuts.h"

#include <QPainter>

// The resources live in a static library: register them before first use.
static void initFaceResources()
{
    Q_INIT_RESOURCE(faces);
}

const QList<QImage> &FaceImageList()
{
    static const QList<QImage> images = [] {
        initFaceResources();
        QList<QImage> list;
        list.reserve(kFaceTableSize);
        for (int i = 0; i < kFaceTableSize; ++i) {
            QImage image(QStringLiteral(":/faces/%1.png").arg(i, 2, 10, QLatin1Char('0')));
            if (image.isNull()) {
                // Never leave a hole in the list: an empty frame stands in.
                image = QImage(kFaceImageSide, kFaceImageSide, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
            }
            list.append(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
        return list;
    }();
    return images;
}

QImage CreateBitmapFromImageList(const QList<QImage> &images, int index, QRgb background)
{
    if (index < 0 || index >= images.size())
        return {};
    const QImage &source = images[index];
    QImage bitmap(source.size(), QImage::Format_RGB32);
    bitmap.fill(background);
    QPainter painter(&bitmap);
    painter.drawImage(0, 0, source);
    return bitmap;
}

// Draws the pictures of the face table into res/faces/NN.png (24 x 24,
// transparent background). Run it after changing the art:
//   kwel_facegen <folder>
#include "FaceArtPrimitives.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kwel_facegen <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    constexpr int kFaces = 99;
    constexpr int kSide = 24;
    for (int i = 0; i < kFaces; ++i) {
        QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        FaceArt::drawFace(painter, i);
        painter.end();
        const QString name = out.filePath(QStringLiteral("%1.png").arg(i, 2, 10, QLatin1Char('0')));
        if (!image.save(name)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}

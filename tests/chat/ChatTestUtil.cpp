#include "ChatTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ChatTest {

namespace {

void put16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// LZW data with a clear code before every pixel, so the code size never
// grows past three bits (minimum code size 2: clear 4, end 5).
QByteArray pixelCodes(int pixels, int index)
{
    QByteArray bytes;
    quint32 buffer = 0;
    int bits = 0;
    auto put = [&](int code) {
        buffer |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            bytes.append(char(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (int i = 0; i < pixels; ++i) {
        put(4);
        put(index);
    }
    put(5);
    if (bits > 0)
        bytes.append(char(buffer & 0xFF));
    return bytes;
}

} // namespace

QByteArray makeGif(const QList<QColor> &frames, int width, int height, int delay)
{
    QByteArray out = QByteArrayLiteral("GIF89a");
    put16(out, width);
    put16(out, height);
    out.append(char(0x91)); // global table of four colours
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < 4; ++i) {
        const QColor c = i < frames.size() ? frames[i] : QColor(Qt::black);
        out.append(char(c.red()));
        out.append(char(c.green()));
        out.append(char(c.blue()));
    }
    out.append(QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
    for (int f = 0; f < frames.size(); ++f) {
        out.append(QByteArray("\x21\xF9\x04\x00", 4));
        put16(out, delay);
        out.append(QByteArray(2, '\0'));
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.append('\0');
        out.append(char(2));
        const QByteArray data = pixelCodes(width * height, f);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray part = data.mid(at, 255);
            out.append(char(part.size()));
            out.append(part);
        }
        out.append('\0');
    }
    out.append(char(0x3B));
    return out;
}

bool writeGif(const QString &path, const QList<QColor> &frames, int width, int height, int delay)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(makeGif(frames, width, height, delay)) > 0;
}

QImage patternImage(int width, int height, QRgb seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((qRed(seed) + x * 13) & 0xFF, (qGreen(seed) + y * 29) & 0xFF, qBlue(seed)));
    return image;
}

bool sameRgb(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace ChatTest

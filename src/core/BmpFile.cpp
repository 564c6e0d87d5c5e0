#include "core/BmpFile.h"

#include "core/FileUtil.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QtEndian>

QByteArray bmpFileFromDib(QByteArrayView dib)
{
    DibLayout layout;
    if (parseDibHeader(dib, layout) != DibStatus::Ok || dib.size() - layout.bitsOffset < layout.bitsSize)
        return {};
    const qsizetype size = kBmpFileHeaderSize + layout.bitsOffset + layout.bitsSize;
    if (size > qsizetype(UINT32_MAX))
        return {};
    QByteArray file(kBmpFileHeaderSize, '\0');
    char *h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(size), h + 2);
    qToLittleEndian<quint32>(quint32(kBmpFileHeaderSize + layout.bitsOffset), h + 10);
    file.append(dib.first(layout.bitsOffset + layout.bitsSize));
    return file;
}

DibStatus decodeBmpFile(QByteArrayView file, QImage &image, const ImageLimits &limits)
{
    if (file.size() < kBmpFileHeaderSize)
        return DibStatus::Truncated;
    if (file[0] != 'B' || file[1] != 'M')
        return DibStatus::BadHeaderSize;
    // The file size field is often wrong in files written by other programs; only the offset matters.
    const quint32 offBits = qFromLittleEndian<quint32>(file.data() + 10);
    const QByteArrayView dib = file.sliced(kBmpFileHeaderSize);
    DibLayout layout;
    const DibStatus status = parseDibHeader(dib, layout, limits);
    if (status != DibStatus::Ok)
        return status;
    if (offBits < kBmpFileHeaderSize + layout.bitsOffset || offBits > quint64(file.size()))
        return DibStatus::Truncated;
    return decodeDibRows(dib, layout, file.sliced(offBits), image);
}

bool SaveDibToFile(const QString &path, QByteArrayView dib)
{
    const QByteArray file = bmpFileFromDib(dib);
    return !file.isEmpty() && writePictureFile(path, file);
}

bool SaveBitmapToFile(const QImage &bitmap, const QString &path)
{
    const QByteArray dib = BitmapToDib(bitmap, {}, 0);
    return !dib.isEmpty() && SaveDibToFile(path, dib);
}

QImage LoadBitmapFile(const QString &path)
{
    const std::optional<QByteArray> bytes = readPictureFile(path);
    if (!bytes)
        return {};
    const ImageLimits limits;
    QImage image;
    if (bytes->startsWith("BM")) {
        if (decodeBmpFile(*bytes, image, limits) != DibStatus::Ok)
            return {};
        return image;
    }
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize announced = reader.size();
    if (announced.isValid() && !limits.allows(announced.width(), announced.height()))
        return {};
    if (!reader.read(&image) || !limits.allows(image.width(), image.height()))
        return {};
    return image;
}

std::optional<QByteArray> readPictureFile(const QString &path, qint64 maxBytes)
{
    return LoadFileToGlobal(path, maxBytes);
}

bool writePictureFile(const QString &path, QByteArrayView bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes.data(), bytes.size()) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

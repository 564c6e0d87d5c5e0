#include "core/FacePackage.h"

#include "core/Gbk.h"

#include <QtEndian>
#include <cstring>

namespace FacePackage {

namespace {

quint32 readU32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

void appendU32(QByteArray &out, quint32 value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    out.append(buffer, 4);
}

// The bytes of a NUL-terminated field up to its NUL (the whole field when
// it has none), cut at a character boundary.
QByteArray fieldBytes(QByteArrayView field)
{
    const qsizetype nul = field.indexOf('\0');
    const QByteArrayView text = nul < 0 ? field : field.first(nul);
    return Gbk::cutBytes(text, field.size() - 1);
}

void appendField(QByteArray &out, const QByteArray &text, qsizetype size)
{
    const QByteArray cut = Gbk::cutBytes(text, size - 1);
    out.append(cut);
    out.append(QByteArray(size - cut.size(), '\0'));
}

} // namespace

QByteArrayView Signature()
{
    return "Kwel custom faces";
}

Status ReadHeader(QByteArrayView package, Header &header)
{
    if (package.size() < kHeaderSize)
        return Status::TooShort;
    const QByteArrayView signature = package.first(kSignatureSize);
    const qsizetype nul = signature.indexOf('\0');
    if (nul < 0 || signature.first(nul) != Signature())
        return Status::BadSignature;
    header.version = readU32(package, kSignatureSize);
    header.count = readU32(package, kCountOffset);
    return header.version == kVersion ? Status::Ok : Status::BadVersion;
}

Status ReadEntry(QByteArrayView package, qsizetype &offset, Entry &entry)
{
    if (offset < kHeaderSize || offset > package.size() || package.size() - offset < kEntryFixedSize)
        return Status::Truncated;
    const QByteArrayView fixed = package.sliced(offset, kEntryFixedSize);
    const quint32 size = readU32(fixed, 144);
    if (size > kMaxPictureBytes)
        return Status::TooLarge;
    if (qint64(size) > package.size() - offset - kEntryFixedSize)
        return Status::Truncated;
    entry.id = readU32(fixed, 0);
    entry.extension = QString::fromLatin1(fieldBytes(fixed.sliced(4, kExtensionSize))).toLower();
    entry.tip = Gbk::decode(fieldBytes(fixed.sliced(16, kTextSize)));
    entry.shortcut = Gbk::decode(fieldBytes(fixed.sliced(80, kTextSize)));
    entry.picture = package.sliced(offset + kEntryFixedSize, size).toByteArray();
    offset += kEntryFixedSize + size;
    return Status::Ok;
}

QByteArray HeaderBytes(quint32 count)
{
    QByteArray out = Signature().toByteArray();
    out.append(QByteArray(kSignatureSize - out.size(), '\0'));
    appendU32(out, kVersion);
    appendU32(out, count);
    return out;
}

QByteArray EntryBytes(const Entry &entry)
{
    QByteArray out;
    out.reserve(kEntryFixedSize + entry.picture.size());
    appendU32(out, entry.id);
    appendField(out, entry.extension.toLatin1(), kExtensionSize);
    appendField(out, Gbk::encode(entry.tip), kTextSize);
    appendField(out, Gbk::encode(entry.shortcut), kTextSize);
    appendU32(out, quint32(entry.picture.size()));
    out.append(entry.picture);
    return out;
}

} // namespace FacePackage

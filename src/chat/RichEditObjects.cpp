#include "chat/RichEditObjects.h"

#include "core/BmpFile.h"
#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

namespace {

void writeObject(const RichEditObject &object, MarkedTextWriter &writer)
{
    if (object.placeholder) {
        writer.appendPicture(object.userValue, object.markerAnimated);
        return;
    }
    switch (object.kind) {
    case ObjectKind::Face:
        if (object.userValue < quint32(kFaceTableSize))
            writer.appendFace(int(object.userValue));
        else
            writer.appendPicture(object.userValue, false);
        break;
    case ObjectKind::Picture:
        writer.appendPicture(object.userValue, false);
        break;
    case ObjectKind::CustomFace:
        writer.appendPicture(object.userValue, true);
        break;
    }
}

// Calls `onText` for the runs of text and `onObject` for the objects whose
// characters lie in [from, to), and `onBlockEnd` for every block end in the
// range that is followed by another block.
template <typename OnText, typename OnObject, typename OnBlockEnd>
void walkContent(
    const QTextDocument *document, int from, int to, OnText onText, OnObject onObject, OnBlockEnd onBlockEnd)
{
    from = qMax(from, 0);
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = qMax(from, fragment.position());
            const int end = qMin(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            const QString text = fragment.text();
            const QStringView part = QStringView(text).sliced(start - fragment.position(), end - start);
            const std::optional<RichEditObject> object = ObjectFromFormat(fragment.charFormat());
            if (!object) {
                onText(part);
                continue;
            }
            for (qsizetype i = 0; i < part.size(); ++i) {
                if (part[i] != QChar::ObjectReplacementCharacter)
                    continue;
                RichEditObject found = *object;
                found.position = start + int(i);
                onObject(found);
            }
        }
        const int blockEnd = block.position() + block.length() - 1;
        if (blockEnd >= from && blockEnd < to && block.next().isValid())
            onBlockEnd();
    }
}

// The format of a new object showing `bitmap`, which the document now holds
// as a resource. One resource per bitmap: a picture shown many times (copies
// of one QImage) is held once (adding it again only shares the same data).
QTextImageFormat bitmapFormat(QTextDocument *document, const QImage &bitmap, ObjectKind kind, quint32 userValue, bool placeholder)
{
    const QString name = QStringLiteral("kwel-bitmap:%1").arg(bitmap.cacheKey());
    document->addResource(QTextDocument::ImageResource, QUrl(name), bitmap);
    return MakeObjectFormat(name, bitmap.deviceIndependentSize(), kind, userValue, placeholder);
}

// The first object with the user value that is not a placeholder (a
// placeholder only holds the place: it is not the picture).
std::optional<RichEditObject> findPicture(const QTextDocument *document, quint32 userValue)
{
    for (const RichEditObject &object : ListObjects(document)) {
        if (object.userValue == userValue && !object.placeholder)
            return object;
    }
    return std::nullopt;
}

bool fromFile(const RichEditObject &object)
{
    return object.kind == ObjectKind::Picture && !object.filePath.isEmpty();
}

} // namespace

std::optional<RichEditObject> ObjectFromFormat(const QTextCharFormat &format, int position)
{
    if (!format.isImageFormat() || !format.hasProperty(ObjectProperty::UserValue))
        return std::nullopt;
    const int kind = format.intProperty(ObjectProperty::Kind);
    if (kind < int(ObjectKind::Face) || kind > int(ObjectKind::CustomFace))
        return std::nullopt;
    RichEditObject object;
    object.position = position;
    object.kind = ObjectKind(kind);
    object.userValue = format.property(ObjectProperty::UserValue).toUInt();
    object.placeholder = format.boolProperty(ObjectProperty::Placeholder);
    object.markerAnimated = format.boolProperty(ObjectProperty::MarkerAnimated);
    object.deferred = format.boolProperty(ObjectProperty::Deferred);
    object.imageName = format.toImageFormat().name();
    object.filePath = format.stringProperty(ObjectProperty::FilePath);
    return object;
}

QList<RichEditObject> ListObjects(const QTextDocument *document, int from, int to)
{
    QList<RichEditObject> objects;
    walkContent(
        document, from, to, [](QStringView) {}, [&](const RichEditObject &object) { objects.append(object); }, [] {});
    return objects;
}

QTextCharFormat PlainTextFormat(const QTextCharFormat &format)
{
    QTextCharFormat plain = format;
    for (int property : { int(QTextFormat::ObjectType), int(QTextFormat::ObjectIndex), int(QTextFormat::ImageName),
             int(QTextFormat::ImageWidth), int(QTextFormat::ImageHeight), int(QTextFormat::ImageQuality),
             int(ObjectProperty::UserValue), int(ObjectProperty::Kind), int(ObjectProperty::Placeholder),
             int(ObjectProperty::MarkerAnimated), int(ObjectProperty::FilePath),
             int(ObjectProperty::Deferred) })
        plain.clearProperty(property);
    return plain;
}

QTextImageFormat MakeObjectFormat(
    const QString &imageName, QSizeF size, ObjectKind kind, quint32 userValue, bool placeholder)
{
    QTextImageFormat format;
    format.setName(imageName);
    format.setWidth(size.width());
    format.setHeight(size.height());
    format.setProperty(ObjectProperty::UserValue, userValue);
    format.setProperty(ObjectProperty::Kind, int(kind));
    if (placeholder)
        format.setProperty(ObjectProperty::Placeholder, true);
    return format;
}

bool InsertBitmapObject(QTextCursor &cursor, const QImage &bitmap, ObjectKind kind, quint32 userValue, bool placeholder,
    bool markerAnimated)
{
    if (bitmap.isNull() || !cursor.document())
        return false;
    QTextImageFormat format = bitmapFormat(cursor.document(), bitmap, kind, userValue, placeholder);
    if (placeholder && markerAnimated)
        format.setProperty(ObjectProperty::MarkerAnimated, true);
    cursor.insertImage(format);
    return true;
}

void InsertFileObject(QTextCursor &cursor, const QImage &bitmap, quint32 userValue, const QString &path, bool deferred)
{
    if (bitmap.isNull() || !cursor.document())
        return;
    QTextImageFormat format = bitmapFormat(cursor.document(), bitmap, ObjectKind::Picture, userValue, false);
    if (!path.isEmpty())
        format.setProperty(ObjectProperty::FilePath, path);
    if (deferred)
        format.setProperty(ObjectProperty::Deferred, true);
    cursor.insertImage(format);
}

QImage FindObjectBitmap(const QTextDocument *document, quint32 userValue, bool &animated)
{
    const std::optional<RichEditObject> object = findPicture(document, userValue);
    animated = object && object->isAnimated();
    if (!object || animated)
        return {};
    if (fromFile(*object)) {
        const QImage full = LoadBitmapFile(object->filePath);
        if (!full.isNull())
            return full;
    }
    if (object->deferred)
        return {};
    return document->resource(QTextDocument::ImageResource, QUrl(object->imageName)).value<QImage>();
}

bool HasObjectBitmap(const QTextDocument *document, quint32 userValue)
{
    const std::optional<RichEditObject> object = findPicture(document, userValue);
    if (!object || object->isAnimated())
        return false;
    if (fromFile(*object) && QFileInfo(object->filePath).isFile())
        return true;
    return !object->deferred && !document->resource(QTextDocument::ImageResource, QUrl(object->imageName)).value<QImage>().isNull();
}

void WriteMarkedText(const QTextDocument *document, int from, int to, MarkedTextWriter &writer)
{
    walkContent(
        document, from, to,
        [&](QStringView text) {
            // A stray object character in plain text is not an object.
            QString clean = text.toString();
            clean.remove(QChar::ObjectReplacementCharacter);
            writer.appendText(clean);
        },
        [&](const RichEditObject &object) { writeObject(object, writer); }, [&] { writer.appendLineBreak(); });
}

QString PrepareInsertedText(QStringView text)
{
    QString prepared = text.toString();
    prepared.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    prepared.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    prepared.replace(QChar::ObjectReplacementCharacter, QChar::ReplacementCharacter);
    return prepared;
}

// Copy and paste of CMsgRichEdit: a selection with faces or pictures goes to
// the clipboard as the private message block, with plain text and the first
// static picture for other programs; a paste prefers the block, then plain
// text (rich text of other programs enters as its plain text), then a bitmap.
#include "chat/CMsgRichEdit.h"

#include "chat/RichEditObjects.h"
#include "net/PictureStore.h"
#include "core/BmpFile.h"
#include "core/ClipBlock.h"
#include "core/Dib.h"
#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"
#include "core/PictureId.h"

#include <QMimeData>
#include <QTextDocument>

namespace {

QString clipMimeType()
{
    return QString::fromLatin1(kMessageClipMimeType);
}

// Message text as other programs should see it: faces stay shortcuts,
// picture markers are left out.
QString textForOtherPrograms(const QTextDocument *document, int from, int to)
{
    MarkedTextWriter writer(u"\n");
    WriteMarkedText(document, from, to, writer);
    QString text;
    for (const FaceTextPiece &piece : TokenizeFaceText(writer.text())) {
        if (piece.kind != FaceTextPiece::Kind::Marker)
            text += piece.text;
    }
    return text;
}

} // namespace

bool CMsgRichEdit::CanPaste() const
{
    return canPaste();
}

QMimeData *CMsgRichEdit::createMimeDataFromSelection() const
{
    auto *mime = new QMimeData;
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    const QString plain = textForOtherPrograms(document(), from, to);
    const QList<RichEditObject> objects = ListObjects(document(), from, to);
    if (objects.isEmpty()) {
        mime->setText(plain);
        return mime;
    }

    MessageClipBlock block;
    QList<quint32> ids;
    GetTextWithMarkers(block.text, ids, true);
    if (block.text.isEmpty())
        return mime;
    QImage firstPicture;
    for (quint32 id : std::as_const(ids)) {
        bool animated = false;
        const QImage bitmap = GetPictureBitmap(id, animated);
        ClipPicture record { id, {} };
        if (!animated && !bitmap.isNull()) {
            record.dib = BitmapToDib(bitmap, {}, 24);
            if (firstPicture.isNull())
                firstPicture = bitmap;
        }
        block.pictures.append(record);
    }
    mime->setData(clipMimeType(), encodeMessageClipBlock(block));
    if (!plain.isEmpty())
        mime->setText(plain);
    if (!firstPicture.isNull())
        mime->setImageData(firstPicture);
    return mime;
}

bool CMsgRichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source && (source->hasFormat(clipMimeType()) || source->hasText() || source->hasImage());
}

void CMsgRichEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || isReadOnly())
        return;
    if (source->hasFormat(clipMimeType())) {
        MessageClipBlock block;
        if (decodeMessageClipBlock(source->data(clipMimeType()), block) == ClipBlockStatus::Ok) {
            pasteClipBlock(block);
            return;
        }
        // A block that cannot be read: fall back on the other formats.
    }
    if (source->hasText()) {
        QTextCursor cursor = textCursor();
        cursor.insertText(PrepareInsertedText(refuseUncarried(source->text())), PlainTextFormat(cursor.charFormat()));
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    if (source->hasImage()) {
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull())
            InsertPicture(image, GenerateRandomId());
        ensureCursorVisible();
    }
}

void CMsgRichEdit::pasteClipBlock(const MessageClipBlock &block)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    for (const FaceTextPiece &piece : TokenizeFaceText(block.text)) {
        if (piece.kind != FaceTextPiece::Kind::Marker) {
            insertTextWithFacesAt(cursor, piece.text, 0);
            continue;
        }
        const PictureMarkerInfo marker = *ParsePictureMarker(piece.text);
        if (marker.animated) {
            const QString path = GetPicturePath(marker.id, PictureFileKind::Gif, {}, true);
            if (path.isEmpty())
                insertNotFoundAt(cursor, marker.id);
            else
                insertAnimatedAt(cursor, path, marker.id);
            continue;
        }
        const QImage bitmap = DibToBitmap(block.dibOf(marker.id));
        if (!bitmap.isNull()) {
            insertPictureAt(cursor, bitmap, marker.id);
            continue;
        }
        QString path = GetPicturePath(marker.id, PictureFileKind::Bitmap, {}, true);
        if (path.isEmpty())
            path = GetPicturePath(marker.id, PictureFileKind::Jpeg, {}, true);
        if (path.isEmpty())
            insertNotFoundAt(cursor, marker.id);
        else
            insertFileAt(cursor, path, marker.id);
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

// Faces and pictures embedded in the document of a message edit. Each one is
// an image character whose format carries what the system needs to know of
// it: its 32-bit user value (a face number or a picture id), its kind and
// whether it only holds the place of a picture that has not arrived.
// Widget-free: everything here works on QTextDocument and QTextCursor.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextImageFormat>
#include <climits>
#include <optional>

class MarkedTextWriter;
class QTextDocument;

enum class ObjectKind {
    Face = 1, // a built-in face image (user value: the face number, or a picture id when a placeholder)
    Picture = 2, // a static picture from a bitmap (user value: the picture id)
    CustomFace = 3, // an animated picture or custom face shown from its GIF file (user value: the picture id)
};

// The format properties of an embedded object.
namespace ObjectProperty {
enum : int {
    UserValue = QTextFormat::UserProperty + 0x100,
    Kind,
    Placeholder, // bool: stands for the picture with the id until it arrives
    MarkerAnimated, // bool, placeholders only: the marker it came from said "<G~"
    FilePath, // custom faces: the GIF file shown; stored pictures: the file shown
    Deferred, // bool, stored pictures: shows the picture's place until there is room for its bitmap
};
}

struct RichEditObject
{
    int position = -1; // the document position of its character
    ObjectKind kind = ObjectKind::Face;
    quint32 userValue = 0;
    bool placeholder = false;
    bool markerAnimated = false;
    bool deferred = false;
    QString imageName; // the document resource that holds its picture
    QString filePath;

    bool isAnimated() const { return kind == ObjectKind::CustomFace; }
};

// The object described by the format, or none for text.
std::optional<RichEditObject> ObjectFromFormat(const QTextCharFormat &format, int position = -1);
// The objects whose characters lie in [from, to), in document order.
QList<RichEditObject> ListObjects(const QTextDocument *document, int from = 0, int to = INT_MAX);

// A format for plain text from the format at a place in the document: the
// image and object properties dropped, the font and colour kept.
QTextCharFormat PlainTextFormat(const QTextCharFormat &format);

// The format of a new object showing the document resource `imageName` at `size`.
QTextImageFormat MakeObjectFormat(
    const QString &imageName, QSizeF size, ObjectKind kind, quint32 userValue, bool placeholder = false);

// Inserts a static picture (or a face bitmap) at the cursor, replacing its
// selection. The bitmap is copied into the document; the caller keeps its own.
// False for a null bitmap (nothing is inserted).
bool InsertBitmapObject(QTextCursor &cursor, const QImage &bitmap, ObjectKind kind, quint32 userValue,
    bool placeholder = false, bool markerAnimated = false);

// Inserts the picture of a stored file at the cursor: `bitmap` as the
// window shows it or, `deferred`, the program's art that holds the
// picture's place. The object keeps the file, which gives the picture at
// its own size (a picture without a file has an empty path: its place
// stays).
void InsertFileObject(QTextCursor &cursor, const QImage &bitmap, quint32 userValue, const QString &path, bool deferred);

// The bitmap of the first object with the user value that is not a
// placeholder, at its own size: a stored picture's read from its file (as
// shown when the file is gone), a copy of any other static picture's
// bitmap; null with `animated` set for a custom face; null when there is
// none.
QImage FindObjectBitmap(const QTextDocument *document, quint32 userValue, bool &animated);
// Whether FindObjectBitmap gives a static picture, without decoding it.
bool HasObjectBitmap(const QTextDocument *document, quint32 userValue);

// Writes the content in [from, to) as message text: text as it stands, each
// block end as a line break, faces as their shortcuts, pictures and
// placeholders as picture markers.
void WriteMarkedText(const QTextDocument *document, int from, int to, MarkedTextWriter &writer);

// Message text made ready for QTextCursor::insertText: its line ends ("\r\n",
// "\r" or "\n") become the "\n" that starts a new block, and object
// replacement characters, which only objects may hold, become U+FFFD.
QString PrepareInsertedText(QStringView text);

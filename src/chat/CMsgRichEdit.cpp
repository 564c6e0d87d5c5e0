#include "chat/CMsgRichEdit.h"
#include "core/PlainText.h"

#include "chat/GifAnimator.h"
#include "controls/GbkByteLimit.h"
#include "core/Gbk.h"
#include "core/Prompter.h"
#include "chat/RichEditObjects.h"
#include "net/PictureStore.h"
#include "chat/faces/FaceImages.h"
#include "core/DecodedPictures.h"
#include "core/FaceShortcuts.h"
#include "core/MessageMarkers.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

namespace {

bool g_sendMsgEnter = true;
constexpr QRgb kFaceBackground = 0xFFFFFFFF;

// The art that holds the place of a picture waiting for room: a framed
// picture of a hill under the sun, drawn once and shared by every place.
const QImage &pictureSpaceArt()
{
    static const QImage art = [] {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x90, 0x90, 0x90));
        p.drawRect(QRectF(0.5, 0.5, 63, 47));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE8, 0xB0, 0x30));
        p.drawEllipse(QPointF(46, 14), 5, 5);
        p.setBrush(QColor(0x70, 0xA0, 0x60));
        p.drawPolygon(QPolygonF({ QPointF(6, 42), QPointF(24, 18), QPointF(36, 32), QPointF(42, 26), QPointF(58, 42) }));
        return image;
    }();
    return art;
}

// The history views that exist: when one goes, the bitmaps it held make
// room for the places the others show.
QList<CMsgRichEdit *> &historyViews()
{
    static QList<CMsgRichEdit *> views;
    return views;
}

} // namespace

CMsgRichEdit::CMsgRichEdit(QWidget *parent)
    : QTextEdit(parent)
    , m_animator(new GifAnimator(document(), this))
{
    setAcceptRichText(false);
    connect(m_animator, &GifAnimator::objectsChanged, this, &CMsgRichEdit::repaintDocumentRects);
    QScrollBar *bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_atEnd = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_nViewMode == HistoryView && m_atEnd)
            bar->setValue(maximum);
    });
}

CMsgRichEdit::~CMsgRichEdit()
{
    if (!historyViews().removeOne(this) || !QCoreApplication::instance())
        return;
    // Its document (and the bitmaps it holds) goes after this body: the
    // others look for room once it is gone.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        for (CMsgRichEdit *view : std::as_const(historyViews())) {
            if (view->isVisible())
                view->ShowDeferredPictures();
        }
    });
}

QVariant CMsgRichEdit::loadResource(int, const QUrl &name)
{
    return PlainText::GuardedResource(name);
}

void CMsgRichEdit::SetViewMode(int mode)
{
    m_nViewMode = mode;
    const bool history = mode == HistoryView;
    historyViews().removeOne(this);
    if (history)
        historyViews().append(this);
    setReadOnly(history);
    setUndoRedoEnabled(!history);
    if (history)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CMsgRichEdit::SetSendMsgEnter(bool enter)
{
    g_sendMsgEnter = enter;
}

bool CMsgRichEdit::SendMsgEnter()
{
    return g_sendMsgEnter;
}

void CMsgRichEdit::ReplaceAllText(const QString &text)
{
    m_animator->clear();
    document()->clear();
    if (!text.isEmpty()) {
        QTextCursor cursor(document());
        cursor.insertText(PrepareInsertedText(text));
    }
}

QString CMsgRichEdit::GetTextWithMarkers(QString &text, QList<quint32> &ids, bool selectionOnly) const
{
    int from = 0;
    int to = document()->characterCount() - 1; // the last block end is not content
    if (selectionOnly) {
        from = textCursor().selectionStart();
        to = textCursor().selectionEnd();
    }
    MarkedTextWriter writer(selectionOnly ? QStringView(u"\r") : QStringView(u"\r\n"));
    WriteMarkedText(document(), from, to, writer);
    text = writer.text();
    ids = writer.ids();
    return text;
}

bool CMsgRichEdit::SplitFaceText(QStringView text, QStringList &runs, QList<quint32> &flags)
{
    return ::SplitFaceText(text, runs, flags);
}

template <typename Insert> void CMsgRichEdit::atCaret(Insert insert)
{
    QTextCursor cursor = textCursor();
    insert(cursor);
    setTextCursor(cursor);
    // What is typed next is text, not a copy of the object before it.
    setCurrentCharFormat(PlainTextFormat(currentCharFormat()));
}

void CMsgRichEdit::InsertTextWithFaces(QStringView text, quint32 id)
{
    atCaret([&](QTextCursor &cursor) { insertTextWithFacesAt(cursor, text, id); });
}

void CMsgRichEdit::InsertFace(int index, quint32 id)
{
    atCaret([&](QTextCursor &cursor) { insertFaceAt(cursor, index, id); });
}

void CMsgRichEdit::InsertPicture(const QImage &bitmap, quint32 id)
{
    atCaret([&](QTextCursor &cursor) { insertPictureAt(cursor, bitmap, id); });
}

void CMsgRichEdit::InsertPictureFile(const QString &path, quint32 id)
{
    atCaret([&](QTextCursor &cursor) { insertFileAt(cursor, path, id); });
}

void CMsgRichEdit::InsertAnimatedPicture(const QString &path, quint32 id)
{
    atCaret([&](QTextCursor &cursor) { insertAnimatedAt(cursor, path, id); });
}

void CMsgRichEdit::InsertCustomFace(quint32 id)
{
    const QString path = GetPicturePath(id, PictureFileKind::Gif, {}, true);
    if (path.isEmpty())
        InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
    else
        InsertAnimatedPicture(path, id);
}

template <typename Insert> bool CMsgRichEdit::replacePlaceholders(quint32 id, Insert insert)
{
    QList<int> positions;
    for (const RichEditObject &object : ListObjects(document())) {
        if (object.placeholder && object.userValue == id)
            positions.append(object.position);
    }
    if (positions.isEmpty())
        return false;
    replaceObjects(positions, insert);
    return true;
}

// Replaces the objects at the positions (in document order) by what
// `insert` puts at the cursor.
template <typename Insert> void CMsgRichEdit::replaceObjects(const QList<int> &positions, Insert insert)
{
    // A reader at the end of the history stays there when the picture,
    // taller than its placeholder, arrives.
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    // From the last to the first, so that the earlier positions stay valid.
    for (auto it = positions.crbegin(); it != positions.crend(); ++it) {
        cursor.setPosition(*it);
        cursor.setPosition(*it + 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        insert(cursor, *it);
    }
    cursor.endEditBlock();
    if (atEnd)
        bar->setValue(bar->maximum());
}

bool CMsgRichEdit::ReplacePicturePlaceholder(quint32 id, const QImage &bitmap)
{
    return replacePlaceholders(id, [&](QTextCursor &cursor, int) { insertPictureAt(cursor, bitmap, id); });
}

bool CMsgRichEdit::ReplacePlaceholderByFile(quint32 id, const QString &path)
{
    // A stored bitmap is the program's one bitmap of the file, not a movie
    // of its own.
    if (!path.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        return replacePlaceholders(id, [&](QTextCursor &cursor, int) { insertFileAt(cursor, path, id); });
    return replacePlaceholders(id, [&](QTextCursor &cursor, int) { insertAnimatedAt(cursor, path, id); });
}

int CMsgRichEdit::ShowDeferredPictures()
{
    QHash<int, std::pair<QImage, RichEditObject>> shown;
    QList<int> positions;
    for (const RichEditObject &object : ListObjects(document())) {
        if (!object.deferred)
            continue;
        bool deferred = false;
        const QImage bitmap = DecodedPictures::Shared().Shown(object.filePath, &deferred);
        if (deferred)
            break; // no room yet: the later ones wait too
        if (bitmap.isNull())
            continue; // no file (gone, or never kept): its place stays
        shown.insert(object.position, { bitmap, object });
        positions.append(object.position);
    }
    if (!positions.isEmpty()) {
        replaceObjects(positions, [&](QTextCursor &cursor, int position) {
            const auto &[bitmap, object] = shown.value(position);
            InsertFileObject(cursor, bitmap, object.userValue, object.filePath, false);
        });
    }
    return int(positions.size());
}

void CMsgRichEdit::showEvent(QShowEvent *event)
{
    QTextEdit::showEvent(event);
    ShowDeferredPictures();
}

void CMsgRichEdit::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible())
        ShowDeferredPictures();
}

QImage CMsgRichEdit::GetPictureBitmap(quint32 id, bool &animated) const
{
    return FindObjectBitmap(document(), id, animated);
}

void CMsgRichEdit::insertTextWithFacesAt(QTextCursor &cursor, QStringView text, quint32 id)
{
    const QTextCharFormat textFormat = PlainTextFormat(cursor.charFormat());
    for (const FaceTextPiece &piece : TokenizeFaceText(text)) {
        switch (piece.kind) {
        case FaceTextPiece::Kind::Plain:
            cursor.insertText(PrepareInsertedText(piece.text), textFormat);
            break;
        case FaceTextPiece::Kind::Face:
            insertFaceAt(cursor, piece.face, id);
            break;
        case FaceTextPiece::Kind::Marker: {
            // A marker shown without its picture keeps its id, so that it
            // reads back as the same marker and can still be replaced.
            const std::optional<PictureMarkerInfo> marker = ParsePictureMarker(piece.text);
            insertFaceAt(cursor, kFaceNotFound, id ? id : marker->id, marker->animated);
            break;
        }
        }
    }
}

void CMsgRichEdit::insertFaceAt(QTextCursor &cursor, int index, quint32 id, bool markerAnimated)
{
    const QImage bitmap = CreateBitmapFromImageList(FaceImageList(), index, kFaceBackground);
    const bool placeholder = id != 0;
    InsertBitmapObject(
        cursor, bitmap, ObjectKind::Face, placeholder ? id : quint32(index), placeholder, markerAnimated);
}

void CMsgRichEdit::insertNotFoundAt(QTextCursor &cursor, quint32 id)
{
    insertTextWithFacesAt(cursor, FaceShortcutTable[kFaceNotFound], id);
}

void CMsgRichEdit::insertPictureAt(QTextCursor &cursor, const QImage &bitmap, quint32 id)
{
    // An input box keeps the user's picture at its size: it is what is sent.
    // A history holds it as a window shows it, within the budget of all
    // windows.
    bool deferred = false;
    const QImage shown = m_nViewMode == HistoryView ? DecodedPictures::Shared().Hold(bitmap, &deferred) : bitmap;
    if (deferred)
        InsertFileObject(cursor, pictureSpaceArt(), id, QString(), true);
    else if (!InsertBitmapObject(cursor, shown, ObjectKind::Picture, id))
        insertNotFoundAt(cursor, id);
}

void CMsgRichEdit::insertFileAt(QTextCursor &cursor, const QString &path, quint32 id)
{
    // A file that does not load shows "/<NF>". Every window shares the one
    // bitmap of a file, and the document holds it once.
    bool deferred = false;
    const QImage bitmap = DecodedPictures::Shared().Shown(path, &deferred);
    if (bitmap.isNull() && !deferred)
        insertNotFoundAt(cursor, id);
    else
        InsertFileObject(cursor, deferred ? pictureSpaceArt() : bitmap, id, path, deferred);
}

void CMsgRichEdit::insertAnimatedAt(QTextCursor &cursor, const QString &path, quint32 id)
{
    QSizeF size;
    const QString resource = m_animator->resourceFor(path, size);
    if (resource.isEmpty()) {
        insertNotFoundAt(cursor, id);
        return;
    }
    QTextImageFormat format = MakeObjectFormat(resource, size, ObjectKind::CustomFace, id);
    format.setProperty(ObjectProperty::FilePath, path);
    cursor.insertImage(format);
    m_animator->track(path, cursor.position() - 1);
    viewport()->update();
}

void CMsgRichEdit::repaintDocumentRects(const QList<QRectF> &rects)
{
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const QRectF &rect : rects)
        viewport()->update(rect.translated(-scroll).toAlignedRect().adjusted(-1, -1, 1, 1));
}

QString CMsgRichEdit::refuseUncarried(const QString &text)
{
    if (m_nViewMode == HistoryView)
        return text;
    const Gbk::Kept kept = Gbk::keepCarried(text, u"\n");
    if (!kept.refused.isEmpty())
        ShowUncarriedNote(this, viewport()->mapToGlobal(cursorRect().bottomLeft()), kept.refused);
    return kept.text;
}

bool CMsgRichEdit::RefuseUncarriedSend(QObject *owner) const
{
    QString text;
    QList<quint32> ids;
    const QString refused = Gbk::uncarried(GetTextWithMarkers(text, ids, false));
    if (refused.isEmpty())
        return false;
    Prompter::current().messageBox(owner, QStringLiteral("消息中有对方无法接收的字符:%1\r\n请去掉后再发送。").arg(refused),
        QStringLiteral("提示"), Prompter::Buttons::Ok, Prompter::Icon::Warning);
    return true;
}

void CMsgRichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString kept = refuseUncarried(commit);
    if (kept == commit) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&filtered);
    event->accept();
}

void CMsgRichEdit::keyPressEvent(QKeyEvent *event)
{
    if (!event->text().isEmpty() && !isReadOnly()) {
        const QString kept = refuseUncarried(event->text());
        if (kept != event->text()) {
            event->accept();
            if (!kept.isEmpty())
                insertPlainText(kept);
            return;
        }
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        if (ctrl != g_sendMsgEnter) {
            event->accept();
            emit sendCommand();
            return;
        }
        if (ctrl) {
            // Ctrl+Enter that does not send starts a new line like Enter.
            QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ControlModifier, event->text(),
                event->isAutoRepeat(), ushort(event->count()));
            QTextEdit::keyPressEvent(&plain);
            event->setAccepted(plain.isAccepted());
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

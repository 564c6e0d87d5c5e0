#include "chat/HistoryText.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontQt.h"
#include "chat/HistoryLinks.h"
#include "net/PeerBounds.h"
#include "net/PictureStore.h"
#include "core/BmpFile.h"
#include "core/Dib.h"
#include "core/FaceShortcuts.h"
#include "core/JpegFile.h"
#include "core/MessageMarkers.h"

#include <QScrollBar>
#include <QTextCursor>

int RenderHistoryText(
    CMsgRichEdit *view, const ChatFont &font, const QString &text, const PictureInserter &picture, int at)
{
    if (!view)
        return 0;
    QStringList runs;
    QList<quint32> flags;
    CMsgRichEdit::SplitFaceText(text, runs, flags);
    // One cursor in one edit block: the document lays the paragraph out once
    // at the end, not again after every run (a record of markers is one long
    // paragraph). Only a picture goes through the view's caret.
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::End);
    if (at >= 0 && at < cursor.position())
        cursor.setPosition(at);
    cursor.beginEditBlock();
    int pictures = 0;
    for (int i = 0; i < runs.size(); ++i) {
        const QString &run = runs[i];
        if (flags[i] == 1) {
            AppendTextRun(cursor, run, font);
        } else if (run.size() >= PictureMarkerLength && run.startsWith(QLatin1String("/~#>"))
            && (run.mid(12, 3) == QLatin1String("<G~") || run.mid(12, 3) == QLatin1String("<B~"))) {
            // Markers beyond the count of one message show as their text.
            if (++pictures > PeerBounds::kPicturesPerMessage) {
                AppendTextRun(cursor, run, font);
                continue;
            }
            bool ok = false;
            quint32 id = run.mid(4, 8).toUInt(&ok, 16);
            if (!ok)
                id = 0;
            view->setTextCursor(cursor);
            picture(id, run.mid(12, 3) == QLatin1String("<G~"));
            cursor.setPosition(view->textCursor().position()); // after the picture
        } else {
            view->InsertTextWithFacesAt(cursor, run, 0);
        }
    }
    cursor.endEditBlock();
    view->setTextCursor(cursor);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    return cursor.position();
}

void AppendTextRun(QTextCursor &cursor, const QString &run, const ChatFont &font)
{
    const QTextCharFormat plain = ChatCharFormat(font);
    for (const TextRun &piece : SplitLinks(QString(run).remove(QLatin1Char('\r')))) {
        QTextCharFormat format = plain;
        if (!piece.href.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(piece.href);
            format.setFontUnderline(true);
            format.setForeground(QColor(0, 0, 0xFF));
        }
        cursor.insertText(piece.text, format);
    }
}

void InsertLoggedPicture(CMsgRichEdit *view, quint32 id, bool animated)
{
    const PictureFileKind kind = animated ? PictureFileKind::Gif : PictureFileKind::Bitmap;
    const QString path = GetPicturePath(id, kind, {}, true);
    const QString jpeg = animated ? QString() : GetPicturePath(id, PictureFileKind::Jpeg, {}, true);
    if (!path.isEmpty()) {
        if (animated)
            view->InsertAnimatedPicture(path, id);
        else
            view->InsertPictureFile(path, id);
    } else if (!jpeg.isEmpty()) {
        const auto bytes = readPictureFile(jpeg);
        QByteArray dib;
        if (bytes && decodeJpegToDib(*bytes, dib) == JpegStatus::Ok)
            view->InsertPicture(DibToBitmap(dib), id);
        else
            view->InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
    } else {
        view->InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
    }
}

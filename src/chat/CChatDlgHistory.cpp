// The history view of the chat window: every entry the session appends goes
// through RenderMessage, which draws plain runs in the message's font
// (addresses as links), faces as faces and picture markers as their pictures.
#include "chat/CChatDlg.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontQt.h"
#include "chat/HistoryLinks.h"
#include "chat/InsertFaceById.h"
#include "net/PictureStore.h"
#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/FaceShortcuts.h"
#include "core/FontBlock.h"
#include "core/JpegFile.h"
#include "platform/DesktopServices.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QTextCursor>

namespace {


QString existing(const QString &path)
{
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

void CChatDlg::AppendEntry(const ChatHistoryEntry &entry)
{
    RenderMessage(entry.font, entry.text, entry.source);
}

void CChatDlg::AppendSystemText(const QString &text, uint32_t color)
{
    if (m_session)
        m_session->AppendSystemText(text, color);
}

bool CChatDlg::ReplacePicturePlaceholder(quint32 id, const QImage &bitmap)
{
    return m_history && m_history->ReplacePicturePlaceholder(id, bitmap);
}

bool CChatDlg::ReplacePictureByFile(quint32 id, const QString &path)
{
    return m_history && m_history->ReplacePlaceholderByFile(id, path);
}

void CChatDlg::RenderMessage(const ChatFont &font, const QString &text, Source source)
{
    if (!m_history)
        return;
    QStringList runs;
    QList<quint32> flags;
    CMsgRichEdit::SplitFaceText(text, runs, flags);
    for (int i = 0; i < runs.size(); ++i) {
        const QString &run = runs[i];
        QTextCursor end = m_history->textCursor();
        end.movePosition(QTextCursor::End);
        m_history->setTextCursor(end);
        if (flags[i] == 1) {
            insertRun(run, font);
        } else if (run.size() >= PictureMarkerLength && run.startsWith(QLatin1String("/~#>"))
            && (run.mid(12, 3) == QLatin1String("<G~") || run.mid(12, 3) == QLatin1String("<B~"))) {
            insertPictureMarker(run, source);
        } else {
            m_history->InsertTextWithFaces(run, 0);
        }
    }
    m_history->verticalScrollBar()->setValue(m_history->verticalScrollBar()->maximum());
}

void CChatDlg::insertRun(const QString &run, const ChatFont &font)
{
    QTextCursor cursor(m_history->document());
    cursor.movePosition(QTextCursor::End);
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
    m_history->setTextCursor(cursor);
}

void CChatDlg::insertPictureMarker(const QString &marker, Source source)
{
    bool ok = false;
    quint32 id = marker.mid(4, 8).toUInt(&ok, 16);
    if (!ok)
        id = 0;
    const bool animated = marker.mid(12, 3) == QLatin1String("<G~");
    const PictureFileKind kind = animated ? PictureFileKind::Gif : PictureFileKind::Bitmap;
    const auto insertFile = [this, animated, id](const QString &path) {
        if (animated)
            m_history->InsertAnimatedPicture(path, id);
        else
            m_history->InsertPictureFile(path, id);
    };
    switch (source) {
    case Source::OwnMessage:
        InsertFaceById(m_history, m_input, id);
        break;
    case Source::ReceivedMessage: {
        QString path = existing(GetPicturePath(id, kind, kCustomFaceFolder, false));
        if (path.isEmpty())
            path = existing(GetPicturePath(id, kind, kRecvFaceFolder, false));
        if (!path.isEmpty()) {
            insertFile(path);
        } else {
            // A placeholder that carries the id until the picture arrives.
            const bool refused = m_config && (m_config->StatusValue & OwnStatus::RefusesPictures);
            m_history->InsertTextWithFaces(FaceShortcutTable[refused ? kFaceNotFound : kFaceWaiting], id);
            if (!refused && m_session)
                m_session->AddPendingPlaceholder(id, animated);
        }
        break;
    }
    case Source::FromLog: {
        const QString path = GetPicturePath(id, kind, {}, true);
        const QString jpeg = animated ? QString() : GetPicturePath(id, PictureFileKind::Jpeg, {}, true);
        if (!path.isEmpty()) {
            insertFile(path);
        } else if (!jpeg.isEmpty()) {
            const auto bytes = readPictureFile(jpeg);
            QByteArray dib;
            if (bytes && decodeJpegToDib(*bytes, dib) == JpegStatus::Ok)
                m_history->InsertPicture(DibToBitmap(dib), id);
            else
                m_history->InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
        } else {
            m_history->InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
        }
        break;
    }
    }
}

bool CChatDlg::OpenHistoryLink(const QString &href)
{
    const QUrl url = LinkTarget(href);
    if (!IsOpenableLink(url))
        return false;
    return DesktopServices::current().openUrl(url);
}

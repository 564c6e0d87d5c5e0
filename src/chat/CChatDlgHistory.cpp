// The history view of the chat window: every entry the session appends goes
// through RenderMessage, which draws plain runs in the message's font
// (addresses as links), faces as faces and picture markers as their pictures.
#include "chat/CChatDlg.h"

#include "chat/CMsgRichEdit.h"
#include "chat/HistoryLinks.h"
#include "chat/session/ChatPeer.h"
#include "chat/HistoryText.h"
#include "chat/InsertFaceById.h"
#include "net/PictureStore.h"
#include "core/CConfig.h"
#include "core/FaceShortcuts.h"
#include "platform/DesktopServices.h"

#include <QFileInfo>
#include <algorithm>

namespace {


QString existing(const QString &path)
{
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

void CChatDlg::AppendEntry(const ChatHistoryEntry &entry)
{
    RenderMessage(entry.font, entry.text, entry.source, entry.pictures);
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

int CChatDlg::RenderMessage(
    const ChatFont &font, const QString &text, Source source, const QList<OutgoingPicture> &pictures, int at)
{
    return RenderHistoryText(
        m_history, font, text, [&](quint32 id, bool animated) { insertPictureMarker(id, animated, source, pictures); },
        at);
}

void CChatDlg::insertPictureMarker(quint32 id, bool animated, Source source, const QList<OutgoingPicture> &pictures)
{
    const PictureFileKind kind = animated ? PictureFileKind::Gif : PictureFileKind::Bitmap;
    const auto insertFile = [this, animated, id](const QString &path) {
        if (animated)
            m_history->InsertAnimatedPicture(path, id);
        else
            m_history->InsertPictureFile(path, id);
    };
    // A still picture the user sent shows from the copy kept of it, so that
    // its place fills in once there is room for it.
    const auto own = std::find_if(pictures.begin(), pictures.end(), [id](const OutgoingPicture &p) { return p.id == id; });
    if (own != pictures.end() && !own->keptPath.isEmpty() && QFileInfo(own->keptPath).isFile()) {
        m_history->InsertPictureFile(own->keptPath, id);
        return;
    }
    switch (source) {
    case Source::OwnMessage:
        InsertFaceById(m_history, m_input, id);
        break;
    case Source::OtherWindowInput: {
        // The pictures came with the message from the window it was typed in.
        const auto it = own;
        if (it != pictures.end() && !it->bitmap.isNull())
            m_history->InsertPicture(it->bitmap, id);
        else if (it != pictures.end() && !it->gifPath.isEmpty())
            m_history->InsertAnimatedPicture(it->gifPath, id);
        else
            InsertLoggedPicture(m_history, id, animated);
        break;
    }
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
    case Source::FromLog:
        InsertLoggedPicture(m_history, id, animated);
        break;
    }
}

bool CChatDlg::OpenHistoryLink(const QString &href)
{
    if (IsPeerLinkTag(href)) {
        // The notice's peer is this window's: it comes forward.
        const HostRecord *peer = this->peer();
        if (!peer || href != PeerLinkTag(*peer))
            return false;
        BringToFront(false);
        return true;
    }
    const QUrl url = LinkTarget(href);
    if (!IsOpenableLink(url))
        return false;
    return DesktopServices::current().openUrl(url);
}

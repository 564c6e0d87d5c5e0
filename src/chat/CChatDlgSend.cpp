// The send side of the chat window: the send command hands the input box to
// the session; quick replies, the font, faces, picture files and the typing
// notices.
#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "chat/ChatMenus.h"
#include "chat/DoodleBoardSurface.h"
#include "chat/DoodleWiring.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatSendPlan.h"
#include "chat/OutgoingPictures.h"
#include "chat/PictureFileCommands.h"
#include "chat/faces/CFacePickerDlg.h"
#include "net/PictureStore.h"
#include "controls/CQuickReplyDlg.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/PictureId.h"
#include "core/Prompter.h"

#include <QAbstractButton>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

void CChatDlg::OnInputChanged()
{
    // The input box holds at most kInputLimit characters.
    LimitInputLength(m_input, kInputLimit);
    if (!m_session)
        return;
    if (m_input->document()->isEmpty())
        m_session->SendReadNotice();
    else
        m_session->InputChanged(ChatSession::TypingState::Typing);
}

void CChatDlg::AddAttachments(const QStringList &paths)
{
    if (m_session)
        m_session->files().AddAttachments(paths);
}

void CChatDlg::SendFace(quint32 id, const CMsgRichEdit *input)
{
    if (m_session && input)
        m_session->SendPictures(CollectOutgoingPictures(*input, { id }));
}

void CChatDlg::OnSend()
{
    if (!m_session) {
        return;
    }
    if (m_input->RefuseUncarriedSend(this))
        return;
    if (m_doodleMode && !prepareDoodleSend())
        return;
    OutgoingMessage message;
    QList<quint32> ids;
    m_input->GetTextWithMarkers(message.text, ids, false);
    message.pictures = CollectOutgoingPictures(*m_input, ids);
    message.font = m_ownFont;
    switch (m_session->Send(message)) {
    case SendOutcome::PlainPeerPictures:
        AppendSystemText(ChatSendTexts::PlainPeerPicturesNotice()); // the input stays
        return;
    case SendOutcome::QuickReplies:
        if (QAbstractButton *send = m_buttons.value(ChatCtl::Send))
            showMenuBelow(CreateQuickReplyMenu(), send);
        return;
    case SendOutcome::Refused:
        return; // nothing is shown or logged, the input stays
    case SendOutcome::Sent:
        break;
    }
    if (!message.text.isEmpty())
        m_input->clear();
    m_input->setFocus();
    if (m_config && m_config->SingleChatCloseWnd) {
        if (m_config->CloseClearContent)
            m_input->clear();
        close();
    }
}

QMenu *CChatDlg::CreateQuickReplyMenu()
{
    auto *menu = new QMenu(this);
    for (int i = 0; i < CConfig::QuickReplyCount; ++i) {
        QAction *action = menu->addAction(m_config ? m_config->QuickReplies[size_t(i)] : QString());
        action->setData(CmdQuickReplyFirst + i);
        action->setEnabled(m_config != nullptr);
    }
    menu->addSeparator();
    QAction *edit = menu->addAction(QStringLiteral("——自定义快捷回复内容——"));
    edit->setData(int(CmdEditQuickReplies));
    edit->setEnabled(m_config != nullptr);
    connect(menu, &QMenu::triggered, this, [this](QAction *a) { OnMenuCommand(a->data().toInt()); });
    return menu;
}

void CChatDlg::OnQuickReply(int id)
{
    const int index = id - CmdQuickReplyFirst;
    if (!m_config || index < 0 || index >= CConfig::QuickReplyCount)
        return;
    QTextCursor cursor = m_input->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_input->setTextCursor(cursor);
    m_input->InsertTextWithFaces(m_config->QuickReplies[size_t(index)], 0);
    m_input->setFocus();
}

void CChatDlg::EditQuickReplies()
{
    if (!m_config)
        return;
    CQuickReplyDlg dialog(this);
    dialog.setReplies(m_config->QuickReplies);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_config->QuickReplies = dialog.replies();
    m_config->Save(CFG_GENERAL);
}

void CChatDlg::SetOwnFont(const ChatFont &font)
{
    m_ownFont = font;
    if (m_input)
        ApplyChatFont(m_input, font);
}

void CChatDlg::OnFontButton()
{
    SendReadNotice();
    if (chooseDoodleFont())
        return;
    const std::optional<ChatFont> chosen = ChooseChatFont(this, m_config ? m_config->chatFont : m_ownFont);
    if (!chosen)
        return;
    SetOwnFont(*chosen);
    if (m_config) {
        m_config->chatFont = *chosen;
        m_config->Save(CFG_CHATFONT);
    }
}

void CChatDlg::OnFaceButton()
{
    SendReadNotice();
    QWidget *anchor = m_buttons.value(ChatCtl::Faces);
    if (!anchor)
        return;
    if (!m_facePicker) {
        m_facePicker = new CFacePickerDlg(this);
        m_facePicker->SetCallback([this](const QString &path, int index) { OnFaceChosen(path, index); });
    }
    // The library of the session's data folder; the index is reread when it changed.
    const QString folder = m_session ? m_session->services().dataFolder : QString();
    m_facePicker->SetStore(FaceStore(folder.isEmpty() ? PictureStore::Program() : PictureStore(folder)));
    m_facePicker->LoadFaceIndex();
    m_facePicker->ShowAt(QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size()));
}

void CChatDlg::OnFaceChosen(const QString &path, int index)
{
    if (m_facePicker)
        m_facePicker->hide();
    if (m_doodleMode) {
        PutFaceOnBoard(*m_doodle, path, index);
        return;
    }
    InsertChosenFace(m_input, path, index);
    m_input->setFocus();
}

void CChatDlg::OnSendPictureFile()
{
    SendReadNotice();
    const QString path
        = Prompter::current().openFile(this, QStringLiteral("发送图片"), QString(), SendPictureFilter());
    if (path.isEmpty() || loadPictureOntoBoard(path))
        return;
    InsertPictureFileToSend(m_input, path);
    m_input->setFocus();
}

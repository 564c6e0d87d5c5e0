// The multi-user window's commands: the send, the send options, faces,
// fonts, pictures, the screen capture, the doodle mode and the member menu.
#include "chat/CMultiChatDlg.h"
#include "remote/CScreenCaptureDlg.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "chat/ChatMenus.h"
#include "chat/DoodleSurface.h"
#include "chat/DoodleWiring.h"
#include "chat/faces/CFacePickerDlg.h"
#include "chat/OutgoingPictures.h"
#include "chat/PictureFileCommands.h"
#include "chat/session/MultiSendSession.h"
#include "net/PictureStore.h"
#include "core/CConfig.h"
#include "core/PictureId.h"
#include "core/Prompter.h"
#include "core/WorkingSet.h"
#include "mainwnd/CUserListCtrl.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

void CMultiChatDlg::OnSend()
{
    const QList<HostRecord *> recipients = SelectedMembers();
    if (recipients.isEmpty() || m_input->RefuseUncarriedSend(this))
        return;
    // In doodle mode the drawing goes as a picture after the typed text.
    DrawingInInput drawing;
    if (m_doodleMode && m_doodle && !drawing.Take(m_input, *m_doodle))
        return;
    OutgoingMessage message;
    QList<quint32> ids;
    m_input->GetTextWithMarkers(message.text, ids, false);
    message.pictures = CollectOutgoingPictures(*m_input, ids);
    message.font = m_ownFont;
    const MultiSendSession::Outcome outcome = m_session.Send(message, recipients);
    if (!outcome.sent) {
        // Nothing to send, or refused with a message: the input and the
        // board stay as they were.
        drawing.Refused();
        return;
    }
    drawing.Sent();
    if (outcome.plainPeersWithoutPictures > 0)
        Prompter::current().messageBox(
            this, MultiSendTexts::PlainPeersWarning(outcome.plainPeersWithoutPictures), QStringLiteral("提示"));
    m_input->clear();
    FillAttachmentList();
    if (m_config && m_config->MutiChatCloseWnd) {
        hide();
    } else {
        m_input->update();
        m_input->setFocus();
    }
}

QMenu *CMultiChatDlg::CreateSendOptionsMenu()
{
    const bool enter = CMsgRichEdit::SendMsgEnter();
    const bool configured = m_config != nullptr;
    const QList<CommandItem> options = {
        { CmdSendWithEnter, QStringLiteral("按Enter键发送消息"), enter, configured },
        { CmdSendWithCtrlEnter, QStringLiteral("按CTRL+Enter键发送消息"), !enter, configured },
        { CmdRequestReadNotice, QStringLiteral("对方打开信息时进行通知(需要回执)"), m_session.requestsReadNotice(), true,
            true },
        { CmdCloseAfterSend, QStringLiteral("发送后关闭对话框"), m_config && m_config->MutiChatCloseWnd, configured },
        // The option belongs to the one-to-one chat window.
        { CmdClearOnClose, QStringLiteral("关闭对话框后清空接收框内容(下项设置取消后有效)"),
            m_config && m_config->CloseClearContent, !configured },
    };
    return MakeCommandMenu(this, options, [this](int id) { OnMenuCommand(id); });
}

QMenu *CMultiChatDlg::CreateMemberMenu()
{
    const bool large = m_members->largeIcons();
    QList<CommandItem> items = {
        { CmdLargeIcons, QStringLiteral("显示大图标"), large },
        { CmdSmallIcons, QStringLiteral("显示小图标"), !large },
        { CmdMonitor, QStringLiteral("文件下载监视"), false, true, true },
        { CmdChatLog, QStringLiteral("查看全部聊天记录"), false, true, true },
        { CmdSearch, QStringLiteral("搜索"), false, true, true },
        { CmdRefresh, QStringLiteral("刷新"), false, true, true },
    };
    QMenu *menu = MakeCommandMenu(this, items, [this](int id) { OnMenuCommand(id); });
    // Only the icon sizes carry a check.
    for (QAction *action : menu->actions()) {
        const int id = action->data().toInt();
        action->setCheckable(id == CmdLargeIcons || id == CmdSmallIcons);
    }
    return menu;
}

void CMultiChatDlg::OnMenuCommand(int command)
{
    if (command >= CmdFirstFace && command <= CmdLastFace) {
        m_input->InsertFace(command - CmdFirstFace, 0);
        return;
    }
    switch (command) {
    case CmdMonitor:
        emit transferMonitorRequested();
        return;
    case CmdChatLog:
        emit chatLogViewerRequested();
        return;
    case CmdSearch:
        emit searchRequested();
        return;
    case CmdRefresh:
        emit refreshRequested();
        return;
    case CmdRequestReadNotice:
        m_session.SetRequestReadNotice(!m_session.requestsReadNotice());
        return;
    default:
        break;
    }
    if (!m_config)
        return;
    switch (command) {
    case CmdLargeIcons:
    case CmdSmallIcons:
        m_members->SetLargeIcons(command == CmdLargeIcons);
        m_config->MutiLargeImage = command == CmdLargeIcons ? 1 : 0;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdSendWithEnter:
    case CmdSendWithCtrlEnter:
        m_config->SendMsgEnter = command == CmdSendWithEnter ? 1 : 0;
        CMsgRichEdit::SetSendMsgEnter(m_config->SendMsgEnter != 0);
        setTips();
        m_config->Save(CFG_GENERAL);
        break;
    case CmdCloseAfterSend:
        m_config->MutiChatCloseWnd = m_config->MutiChatCloseWnd ? 0 : 1;
        m_config->Save(CFG_GENERAL);
        break;
    case CmdCaptureHide:
    case CmdCaptureShow:
        m_config->CaptureSrnShowWnd = command == CmdCaptureShow ? 1 : 0;
        m_config->Save(CFG_GENERAL);
        break;
    default:
        break;
    }
}

void CMultiChatDlg::laterFeature(const QString &name)
{
    Prompter::current().messageBox(this, name + QStringLiteral("功能将在以后的版本中提供。"), QStringLiteral("提示"));
}

void CMultiChatDlg::OnModeButton()
{
    if (!m_doodle) {
        laterFeature(QStringLiteral("随手涂鸦"));
        return;
    }
    QAbstractButton *mode = m_buttons.value(MultiCtl::Mode);
    m_doodleMode = !m_doodleMode;
    if (m_doodleMode) {
        m_savedInputHeight = m_inputHeight;
        m_inputHeight += MultiChatLayout::kDoodleExtra;
        mode->setText(QStringLiteral("文字模式"));
    } else {
        m_inputHeight = m_savedInputHeight;
        mode->setText(QStringLiteral("随手涂鸭"));
        m_input->setFocus();
    }
    RecalcLayout(true);
}

void CMultiChatDlg::OnCapture()
{
    const bool hideWindow = m_config && !m_config->CaptureSrnShowWnd;
    bool captured = false;
    if (const CaptureRunner &runner = captureRunner()) {
        if (hideWindow)
            hide();
        captured = runner(this);
        if (hideWindow)
            show();
    } else {
        // The capture hides the window itself and waits for it to vanish.
        captured = !CaptureScreenArea(this, hideWindow).isNull();
    }
    if (captured)
        insertClipboardPicture();
}

void CMultiChatDlg::insertClipboardPicture()
{
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull())
        return;
    if (m_doodleMode && m_doodle)
        m_doodle->PutBitmap(picture, true);
    else
        m_input->InsertPicture(picture, GenerateRandomId());
}

void CMultiChatDlg::OnSendPictureFile()
{
    const QString path = Prompter::current().openFile(this, QStringLiteral("打开"), QString(), SendPictureFilter());
    if (path.isEmpty())
        return;
    if (m_doodleMode && m_doodle)
        m_doodle->LoadPictureFile(path);
    else
        InsertPictureFileToSend(m_input, path);
    m_input->setFocus();
}

void CMultiChatDlg::OnFaceButton()
{
    QWidget *anchor = m_buttons.value(MultiCtl::Faces);
    if (!m_facePicker) {
        m_facePicker = new CFacePickerDlg(this);
        m_facePicker->SetCallback([this](const QString &path, int index) { OnFaceChosen(path, index); });
    }
    const QString folder = m_session.dataFolder();
    m_facePicker->SetStore(FaceStore(folder.isEmpty() ? PictureStore::Program() : PictureStore(folder)));
    m_facePicker->LoadFaceIndex();
    m_facePicker->ShowAt(QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size()));
}

void CMultiChatDlg::OnFaceChosen(const QString &path, int index)
{
    if (m_facePicker)
        m_facePicker->hide();
    if (m_doodleMode && m_doodle) {
        PutFaceOnBoard(*m_doodle, path, index);
        return;
    }
    InsertChosenFace(m_input, path, index);
    m_input->setFocus();
}

void CMultiChatDlg::SetOwnFont(const ChatFont &font)
{
    m_ownFont = font;
    if (m_input)
        ApplyChatFont(m_input, font);
}

void CMultiChatDlg::OnFontButton()
{
    const std::optional<ChatFont> chosen = ChooseChatFont(this, m_ownFont);
    if (!chosen)
        return;
    SetOwnFont(*chosen);
    if (m_config) {
        m_config->chatFont = *chosen;
        m_config->Save(CFG_CHATFONT);
    }
}

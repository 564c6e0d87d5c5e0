// The send road of the chat window: the send command, one message sender per
// message, quick replies, the font, faces, picture files, the pictures that a
// message names, and the list of files to send.
#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"

#include "chat/CMsgRichEdit.h"
#include "chat/ChatFontDialog.h"
#include "chat/ChatFontQt.h"
#include "chat/ChatPeer.h"
#include "chat/ChatSendPlan.h"
#include "chat/FaceGridPopup.h"
#include "chat/TypingNotifier.h"
#include "chat/faces/FaceFolders.h"
#include "controls/CQuickReplyDlg.h"
#include "core/BmpFile.h"
#include "core/CConfig.h"
#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/PictureId.h"
#include "core/Prompter.h"
#include "core/SizeFormat.h"
#include "core/WorkingSet.h"
#include "net/CMsgSenderWnd.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/MessengerEngine.h"
#include "net/PicturePayload.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTreeWidget>

namespace {


} // namespace

void CChatDlg::OnInputChanged()
{
    SendReadNotice();
    // The input box holds at most kInputLimit characters.
    QTextDocument *doc = m_input->document();
    if (doc->characterCount() - 1 > kInputLimit) {
        QTextCursor cursor(doc);
        cursor.setPosition(kInputLimit);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    if (!m_input->document()->isEmpty())
        m_typing->Changed(m_config && m_config->ShowInputStatus, false);
}

void CChatDlg::sendTyping(quint32 command)
{
    if (m_services.engine && m_peer)
        m_services.engine->net().SendToHost(m_peer->key, command, {});
}

QStringList CChatDlg::checkedAttachments(int *files, int *folders) const
{
    *files = *folders = 0;
    return m_files ? m_files->attachmentsToSend(files, folders) : QStringList();
}

void CChatDlg::removeCheckedAttachments()
{
    if (m_files)
        m_files->AttachmentsSent();
}

void CChatDlg::AddAttachments(const QStringList &paths)
{
    if (m_files)
        m_files->AddAttachments(paths);
}

void CChatDlg::OnSend()
{
    SendReadNotice();
    if (!m_services.engine || !m_peer)
        return;
    m_typing->Reset();

    int files = 0, folders = 0;
    const QStringList checked = checkedAttachments(&files, &folders);
    ComposeInput in;
    QList<quint32> ids;
    m_input->GetTextWithMarkers(in.text, ids, false);
    in.pictureIds = ids;
    in.checkedFiles = files;
    in.checkedFolders = folders;
    in.peerSpeaksExtensions = m_peer->extension != 0;
    in.peerRefusesPictures = (m_peer->peerFlags & HostRecord::PeerRefusesPictures) != 0;
    in.ownFont = m_ownFont;
    in.standardFont = m_standardFont;
    const ComposePlan plan = PlanOutgoingMessage(in);

    if (plan.action == ComposePlan::Action::OfferProgram) {
        if (Prompter::current().askYesNo(this, ChatSendTexts::PlainPeerPictureQuestion(), QStringLiteral("提示")))
            SendProgramFile(ChatSendTexts::ProgramOfferText());
        return;
    }
    if (plan.action == ComposePlan::Action::QuickReplies) {
        if (QAbstractButton *send = m_buttons.value(ChatCtl::Send))
            showMenuBelow(CreateQuickReplyMenu(), send);
        return;
    }
    if (m_peer->extension == 0 && m_config && (m_config->StatusValue & OwnStatus::Hidden))
        m_services.engine->AnswerEntry(m_peer->key, CMD_ANNOUNCE_ENTRY);

    CMsgSenderWnd *sender = SendMessageToPeers(plan.wireText, checked, false, plan.withPictures, false);
    if (!sender)
        return; // refused: nothing is shown or logged, the input stays
    const QString time = timeText();
    if (!in.text.isEmpty()) {
        ChatFont headerFont = m_standardFont;
        headerFont.color = kOwnHeaderColor;
        const QString header = ChatSendTexts::HeaderLine(ownName(), time);
        AppendToHistory(header, headerFont, OwnMessage);
        const int start = m_history->document()->characterCount() - 1;
        RenderMessage(m_ownFont, plan.echoText, OwnMessage);
        logOwnMessage(header, plan.echoText);
        emitEvent(QStringLiteral("SENT"), QString::number(sender->packetNumber()) + QLatin1Char(' ')
                + historyTextFrom(start).trimmed());
    }
    if (plan.selected > 0)
        AppendSystemText(ChatSendTexts::FilesSentNotice(m_peer->displayName, files, folders, time));
    if (plan.picturesRefused)
        AppendSystemText(ChatSendTexts::PicturesRefusedNotice());
    if (plan.withPictures) {
        for (const quint32 id : std::as_const(ids))
            SendFace(id);
    }
    if (!in.text.isEmpty())
        m_input->clear();
    m_input->setFocus();
    removeCheckedAttachments();
    emit recentContact(m_peer.data());
    m_typing->Reset();
    if (m_config && m_config->SingleChatCloseWnd)
        close();
}

CMsgSenderWnd *CChatDlg::SendMessageToPeers(
    const QString &text, const QStringList &files, bool multicast, bool withPictures, bool privateFlag)
{
    if (!m_config || !m_services.engine)
        return nullptr;
    auto refuse = [this](const QString &message, const QString &caption) -> CMsgSenderWnd * {
        Prompter::current().messageBox(this, message, caption, Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return nullptr;
    };
    if (!m_peer)
        return refuse(QStringLiteral("错误"), QStringLiteral("错误"));

    MessengerEngine &engine = *m_services.engine;
    // The sender belongs to the engine: a message goes on being resent after
    // its window has closed.
    auto *sender = new CMsgSenderWnd(engine, m_services.keys, &engine);
    quint32 options = 0;
    if (m_requestReadNotice)
        options |= OPT_READ_CHECK | OPT_SECRET;
    if (multicast)
        options |= OPT_MULTICAST;
    if (privateFlag)
        options |= OPT_AUTO_SEND;
    if (!sender->SetMessage(text, m_ownFont, options, m_config)) {
        const QString why = sender->errorText();
        delete sender;
        return refuse(why, QStringLiteral("提示"));
    }
    sender->AddRecipient(m_peer.data());
    sender->AllocDestinations();
    if (!files.isEmpty())
        sender->SetFiles(files);
    const CMsgSenderWnd::Status status = sender->StartSending(withPictures);
    if (status != CMsgSenderWnd::Status::Ok) {
        const QString why = sender->errorText();
        delete sender;
        const QString caption = status == CMsgSenderWnd::Status::Busy ? QGuiApplication::applicationDisplayName()
                                                                      : QStringLiteral("提示");
        return refuse(why, caption);
    }
    connect(sender, &CMsgSenderWnd::sendFailed, this, &CChatDlg::onSendFailed);
    connect(sender, &CMsgSenderWnd::encryptionFailed, this,
        [this](HostRecord *, CryptStatus why) { emitEvent(QStringLiteral("PLAIN"), QString::number(int(why))); });
    m_senders.removeAll(nullptr);
    m_senders.append(sender);
    return sender;
}

void CChatDlg::onSendFailed(const QStringList &names)
{
    AppendSystemText(CMsgSenderWnd::FailureText(names));
    BringToFront(true);
}

void CChatDlg::SendProgramFile(const QString &text)
{
    SendMessageToPeers(text, {QCoreApplication::applicationFilePath()}, false, false, false);
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
    if (!m_input)
        return;
    const QTextCharFormat format = ChatCharFormat(font);
    m_input->setFont(ChatQFont(font));
    QTextCursor all(m_input->document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(format);
    m_input->setCurrentCharFormat(format);
}

void CChatDlg::OnFontButton()
{
    SendReadNotice();
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
    if (m_facePopup)
        return;
    auto *popup = new FaceGridPopup(this);
    m_facePopup = popup;
    connect(popup, &FaceGridPopup::faceChosen, this, [this](int index) {
        m_input->InsertFace(index, 0);
        m_input->setFocus();
    });
    QWidget *anchor = m_buttons.value(ChatCtl::Faces);
    popup->ShowAt(anchor->mapToGlobal(QPoint(0, anchor->height())));
}

void CChatDlg::OnSendPictureFile()
{
    SendReadNotice();
    const QString path = Prompter::current().openFile(this, QStringLiteral("发送图片"), QString(),
        Prompter::filterFromWindows(u"BMP,JPG,GIF图像文件(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif||"));
    if (path.isEmpty())
        return;
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("gif")) {
        // A GIF travels as its file: it gets an id of its own in SendFace.
        for (int tries = 0; tries < 100; ++tries) {
            const quint32 id = GenerateRandomId();
            const QString copy = GetPicturePath(id, PictureFileKind::Gif, kSendFaceFolder, false);
            if (QFileInfo::exists(copy))
                continue;
            QDir().mkpath(QFileInfo(copy).path());
            if (QFile::copy(path, copy))
                m_input->InsertAnimatedPicture(copy, id);
            break;
        }
    } else if (extension == QLatin1String("bmp")) {
        m_input->InsertPictureFile(path, GenerateRandomId());
    } else if (extension == QLatin1String("jpg")) {
        const auto bytes = readPictureFile(path);
        QByteArray dib;
        if (bytes && decodeJpegToDib(*bytes, dib) == JpegStatus::Ok)
            m_input->InsertPicture(DibToBitmap(dib), GenerateRandomId());
    }
    m_input->setFocus();
}

void CChatDlg::SendFace(quint32 id)
{
    if (!m_services.engine || !m_peer || m_peer->extension == 0 || m_pictures.Contains(id))
        return;
    bool animated = false;
    const QImage bitmap = m_input->GetPictureBitmap(id, animated);
    std::optional<PicturePayload> payload;
    if (animated) {
        const QString path = GetPicturePath(id, PictureFileKind::Gif, {}, true);
        const auto bytes = path.isEmpty() ? std::nullopt : readPictureFile(path);
        if (bytes && !bytes->isEmpty())
            payload = PicturePayloads::GifPayload(*bytes);
    } else if (!bitmap.isNull()) {
        payload = PicturePayloads::EncodeBitmap(bitmap, m_config ? m_config->SendBmpZip != 0 : true);
        if (payload) {
            const QString kept = GetPicturePath(id, PictureFileKind::Bitmap, kSendFaceFolder, false);
            if (!QFileInfo::exists(kept))
                SaveDibToFile(kept, payload->dib);
        }
    }
    if (!payload)
        return;
    const int chunkSize = PictureSender::ChunkSizeFromConfig(m_config ? m_config->BmpUdpSendSize : 512);
    auto sender = std::make_unique<PictureSender>(id, payload->data, payload->kind, payload->compression, 0, 0,
        chunkSize, PictureSender::NetSend(m_services.engine->net(), m_peer->key));
    if (!sender->isValid())
        return;
    sender->setTries(PictureSender::TriesFromConfig(m_config ? m_config->BmpUdpTrys : 10));
    const bool large = payload->data.size() >= PicturePayloads::kLargeTransfer;
    sender->SendAll();
    const bool resend = sender->tries() > 0;
    m_pictures.Add(std::move(sender));
    if (resend)
        m_pictureTimer.start();
    if (large && m_config && m_config->AutoMemMin)
        TrimWorkingSet();
}

void CChatDlg::OnPictureChunkAck(quint32 id, qint32 chunkNumber)
{
    m_pictures.OnPictureChunkAck(id, chunkNumber);
}

void CChatDlg::onPictureTimer()
{
    if (m_pictures.ResendPass() == 0)
        m_pictureTimer.stop();
}

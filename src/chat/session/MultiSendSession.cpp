#include "chat/session/MultiSendSession.h"

#include "chat/session/ChatPeer.h"
#include "chat/session/ChatSessions.h"
#include "core/CConfig.h"
#include "core/Prompter.h"
#include "net/CMsgSenderWnd.h"
#include "net/ChatLogWriter.h"
#include "net/Commands.h"
#include "net/KeyExchange.h"
#include "net/MessengerEngine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <algorithm>
#include <memory>

MultiSendSession::MultiSendSession(ChatSessions &sessions, const ChatServices &services, QObject *parent)
    : QObject(parent)
    , m_sessions(sessions)
    , m_services(services)
    , m_config(services.config ? services.config : (services.engine ? &services.engine->config() : nullptr))
{
    if (MessengerEngine *engine = m_services.engine) {
        connect(engine, &MessengerEngine::hostAdded, this, &MultiSendSession::memberAdded);
        connect(engine, &MessengerEngine::hostUpdated, this, &MultiSendSession::memberChanged);
        connect(engine, &MessengerEngine::hostRemoved, this, [this](HostRecord *host, bool) { emit memberRemoved(host); });
    }
}

MultiSendSession::~MultiSendSession()
{
    // The senders go with the session; nothing reports into it any more.
    for (const QPointer<CMsgSenderWnd> &sender : std::as_const(m_senders)) {
        if (sender)
            sender->disconnect(this);
    }
}

QList<HostRecord *> MultiSendSession::members() const
{
    QList<HostRecord *> out;
    if (!m_services.engine)
        return out;
    const CHostTable &table = m_services.engine->hostTable();
    for (qsizetype i = 0; i < table.Count(); ++i) {
        if (HostRecord *host = table.At(CHostTable::ByName, i))
            out.append(host);
    }
    return out;
}

int MultiSendSession::AddAttachments(const QStringList &paths)
{
    int added = 0;
    for (const QString &path : paths)
        added += m_files.AddAttachment(path, QDateTime::currentDateTime()) == FilePanelModel::AddResult::Added ? 1 : 0;
    if (added > 0)
        emit attachmentsChanged();
    return added;
}

bool MultiSendSession::SetAttachmentChecked(int row, bool checked)
{
    const bool changed = m_files.SetAttachmentChecked(row, checked);
    if (changed)
        emit attachmentsChanged();
    return changed;
}

int MultiSendSession::RemoveCheckedAttachments()
{
    const int removed = m_files.RemoveCheckedAttachments();
    if (removed > 0)
        emit attachmentsChanged();
    return removed;
}

bool MultiSendSession::hasPendingSend() const
{
    return std::any_of(m_senders.begin(), m_senders.end(),
        [](const QPointer<CMsgSenderWnd> &s) { return s && !s->isFinished(); });
}

void MultiSendSession::refuse(const QString &text, const QString &caption)
{
    Prompter::current().messageBox(m_owner, text, caption, Prompter::Buttons::Ok, Prompter::Icon::Warning);
}

MultiSendSession::Outcome MultiSendSession::Send(const OutgoingMessage &message, const QList<HostRecord *> &recipients)
{
    Outcome outcome;
    if (!m_services.engine)
        return outcome;
    int fileCount = 0, folderCount = 0;
    const QStringList files = m_files.CheckedAttachments(&fileCount, &folderCount);
    MultiSendInput in;
    in.text = message.text;
    in.checkedFiles = fileCount;
    in.checkedFolders = folderCount;
    in.recipients = int(recipients.size());
    in.plainRecipients = int(std::count_if(
        recipients.begin(), recipients.end(), [](const HostRecord *h) { return h && h->extension == 0; }));
    in.hasPictures = !message.pictures.isEmpty();
    in.font = message.font;
    const MultiSendPlan plan = PlanMultiSend(in);
    outcome.route = plan.route;
    switch (plan.route) {
    case MultiSendPlan::Route::Nothing:
        return outcome;
    case MultiSendPlan::Route::ThroughSessions:
        outcome.sent = sendThroughSessions(message, plan, recipients, files, fileCount, folderCount);
        break;
    case MultiSendPlan::Route::ThroughSender:
        outcome.sent = sendThroughSender(message, plan, recipients, files);
        break;
    }
    if (outcome.sent) {
        outcome.plainPeersWithoutPictures = plan.plainPeersWithoutPictures;
        if (!files.isEmpty())
            RemoveCheckedAttachments();
    }
    return outcome;
}

bool MultiSendSession::sendThroughSessions(const OutgoingMessage &message, const MultiSendPlan &plan,
    const QList<HostRecord *> &recipients, const QStringList &files, int fileCount, int folderCount)
{
    ChatSession::PreparedMessage prepared;
    prepared.text = message.text;
    prepared.font = message.font;
    prepared.files = files;
    prepared.fileCount = fileCount;
    prepared.folderCount = folderCount;
    prepared.pictures = message.pictures;
    prepared.multiSend = plan.multiSend;
    prepared.requestReadNotice = m_requestReadNotice;
    bool sent = false;
    // From the last chosen peer to the first.
    for (auto it = recipients.rbegin(); it != recipients.rend(); ++it) {
        ChatSession *session = m_sessions.Open(*it);
        if (!session)
            continue;
        if (!session->SendPreparedMessage(prepared))
            break; // refused with a message: the next peer would be refused alike
        sent = true;
    }
    return sent;
}

bool MultiSendSession::sendThroughSender(const OutgoingMessage &message, const MultiSendPlan &plan,
    const QList<HostRecord *> &recipients, const QStringList &files)
{
    auto *sender = new CMsgSenderWnd(*m_services.engine, m_services.keys, this);
    quint32 options = plan.multiSend ? OPT_MULTICAST : 0;
    if (m_requestReadNotice)
        options |= OPT_READ_CHECK | OPT_SECRET;
    if (!sender->SetMessage(message.text, message.font, options, m_config)
        || !sender->SetExtensionTail(plan.extensionTail)) {
        refuse(sender->errorText(), QStringLiteral("提示"));
        delete sender;
        return false;
    }
    for (HostRecord *host : recipients)
        sender->AddRecipient(host);
    sender->AllocDestinations();
    if (!files.isEmpty())
        sender->SetFiles(files);
    // Asked about while the send starts; a failure when a peer's key arrives
    // later (a packet) is only logged.
    auto starting = std::make_shared<bool>(true);
    sender->setEncryptionFailureHandler([this, starting](HostRecord *, const CryptFailure &failure) {
        if (*starting)
            ShowLastErrorBox(failure.call, m_owner, int(failure.code));
        emit event(QStringLiteral("MULTIPLAIN ") + LastErrorText(failure.call, int(failure.code)));
    });
    const bool withPictures = !message.pictures.isEmpty();
    const CMsgSenderWnd::Status status = sender->StartSending(withPictures);
    *starting = false;
    if (status != CMsgSenderWnd::Status::Ok) {
        refuse(sender->errorText(),
            status == CMsgSenderWnd::Status::Busy ? QCoreApplication::applicationName() : QStringLiteral("提示"));
        delete sender;
        return false;
    }
    connect(sender, &CMsgSenderWnd::sendFailed, this, [this, sender = QPointer(sender)](const QStringList &names) {
        emit event(QStringLiteral("MULTIFAILED ") + names.join(QLatin1Char(',')));
        // A late receipt may finish (and delete) the sender while the question is open.
        if (Prompter::current().askYesNo(m_owner, MultiSendTexts::RetryQuestion(), QStringLiteral("提示")) && sender)
            sender->Retry();
    });
    m_senders.removeAll(nullptr);
    m_senders.append(sender);

    const quint32 packet = sender->packetNumber();
    const QString header
        = ChatSendTexts::HeaderLine(m_services.engine->GetOwnDisplayName(), ChatSession::TimeText());
    for (HostRecord *host : recipients) {
        if (m_requestReadNotice)
            m_sessions.ExpectReadNotice(*host, packet);
        // Each peer's history in the log holds what was sent to it.
        if (m_services.chatLog && !message.text.isEmpty())
            m_services.chatLog->LogSentChatMessage(
                PeerLogEntry(*host, message.font, header + QStringLiteral("  ") + message.text + QLatin1Char('\n')));
        if (withPictures && host->extension != 0 && (host->peerFlags & HostRecord::PeerRefusesPictures) == 0)
            m_sessions.SendPictures(host, message.pictures);
    }
    emit event(QStringLiteral("MULTISENT %1 %2 %3").arg(recipients.size()).arg(packet).arg(message.text.trimmed()));
    return true;
}

#include "net/CMsgSenderWnd.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "net/CFileOfferTable.h"
#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/FileList.h"
#include "net/KeyExchange.h"
#include "net/ListBusyCounter.h"
#include "net/MessengerEngine.h"
#include "net/PacketCodec.h"

#include <QPointer>

namespace {

// The widest header: packet number and command word of eleven characters.
constexpr quint32 kWidestNumber = 0x80000000u;
// Encryption is planned for RSA keys of this size (the 1024-bit pairs).
constexpr qsizetype kPlannedKeyBytes = 1024 / 8;
// Bits the sender sets itself.
constexpr quint32 kOwnBits = OPT_ENCRYPT | OPT_FILE_ATTACH | 0xFFu;

QString tooLongText()
{
    return QStringLiteral("您发送的内容太长,超出了一个数据包的容量,请分多次发送!");
}

bool samePeer(const HostRecord &a, const HostRecord &b)
{
    return a.key.address == b.key.address && a.key.port == b.key.port;
}

} // namespace

CMsgSenderWnd::CMsgSenderWnd(MessengerEngine &engine, KeyExchange *keys, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_keys(keys)
    , m_config(&engine.config())
{
    CNetManager *net = &engine.net();
    m_sink = [net](quint32 address, quint16 port, const QByteArray &packet) {
        return net->SendDatagram(address, port, packet);
    };
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(TimerSend); });
    connect(&engine, &MessengerEngine::receiptArrived, this,
        [this](HostRecord *peer, quint32 number) { OnReceiptArrived(peer, number); });
    if (keys)
        connect(keys, &KeyExchange::publicKeyArrived, this, [this](HostRecord *peer) { OnPublicKeyArrived(peer); });
}

CMsgSenderWnd::~CMsgSenderWnd() = default;

qsizetype CMsgSenderWnd::headerBytes(quint32 commandWord) const
{
    const quint32 number = m_started ? m_packetNumber : kWidestNumber;
    return m_engine.net().BuildPacket(number, commandWord, {}).size() - 1;
}

bool CMsgSenderWnd::fits(quint32 commandWord, qsizetype bodyBytes) const
{
    return bodyBytes <= PacketCodec::kMaxBody
        && headerBytes(commandWord) + bodyBytes + 1 + m_extension.size() <= PacketCodec::kMaxPacket;
}

bool CMsgSenderWnd::SetMessage(const QString &text, const ChatFont &font, quint32 options, CConfig *config)
{
    if (m_started)
        return false;
    m_config = config ? config : &m_engine.config();
    const QByteArray bytes = PacketCodec::StripCarriageReturns(Gbk::encode(text));
    m_error.clear();
    if (!fits(kWidestNumber, bytes.size())) {
        m_error = tooLongText();
        return false;
    }
    m_message = bytes;
    m_extensionTail.clear();
    m_font = font;
    m_options = options & ~kOwnBits;
    return true;
}

bool CMsgSenderWnd::SetExtensionTail(const QString &tail)
{
    if (m_started)
        return false;
    const QByteArray bytes = PacketCodec::StripCarriageReturns(Gbk::encode(tail));
    m_error.clear();
    if (!fits(kWidestNumber, m_message.size() + bytes.size())) {
        m_error = tooLongText();
        return false;
    }
    m_extensionTail = bytes;
    return true;
}

QByteArray CMsgSenderWnd::bodyFor(const HostRecord &host) const
{
    return host.extension != 0 ? m_message + m_extensionTail : m_message;
}

void CMsgSenderWnd::AddRecipient(HostRecord *host)
{
    if (host)
        m_recipients.emplace_back(host);
}

bool CMsgSenderWnd::AllocDestinations()
{
    if (m_started)
        return false;
    m_destinations.clear();
    for (const HostPtr &host : m_recipients) {
        SendDestination entry;
        entry.host = host;
        m_destinations.push_back(entry);
    }
    return !m_destinations.empty();
}

void CMsgSenderWnd::SetFiles(const QStringList &paths, CFileOfferTable *table)
{
    m_offerTable = table ? table : &m_engine.fileOffers();
    m_files = paths;
}

CMsgSenderWnd::Status CMsgSenderWnd::refuse(Status status, const QString &text)
{
    m_error = text;
    return status;
}

CMsgSenderWnd::Status CMsgSenderWnd::prepareFileOffer()
{
    FileOffer *offer = m_offerTable->CreateOffer(m_packetNumber);
    // The program sends an offer by itself only when a peer asked for it.
    offer->requested = (m_options & OPT_AUTO_SEND) != 0;
    for (const QString &path : std::as_const(m_files)) {
        if (!m_offerTable->AddEntry(offer, path)) {
            m_offerTable->RemoveOffer(offer);
            return refuse(Status::FileUnreadable, QStringLiteral("无法发送文件或文件夹: %1").arg(path));
        }
    }
    QByteArray list;
    if (EncodeFileList(offer->entries, list) < qsizetype(offer->entries.size())) {
        m_offerTable->RemoveOffer(offer);
        return refuse(
            Status::FileListTooLong, QStringLiteral("您发送的文件太多,文件列表超出了一个数据包的容量,请分多次发送!"));
    }
    m_extension = list;
    return Status::Ok;
}

CMsgSenderWnd::Status CMsgSenderWnd::StartSending(bool withPictures)
{
    m_error.clear();
    if (m_started)
        return refuse(Status::AlreadyStarted, QStringLiteral("错误"));
    if (ListBusyCounter::isBusy())
        return refuse(Status::Busy, BusyText());
    if (m_destinations.empty())
        return refuse(Status::NoDestinations, QStringLiteral("错误"));
    if (m_message.isEmpty() && m_files.isEmpty())
        return refuse(Status::NothingToSend, QStringLiteral("要发送的内容为空。"));

    m_command = CMD_SEND_MESSAGE | OPT_SEND_CHECK | m_options;
    const bool encryptAllowed = m_keys && m_keys->ownKeys().ready()
        && qsizetype(m_destinations.size()) <= qsizetype(m_config->ENCRYPTNUM_STR);
    bool anyEncrypting = false;
    for (const SendDestination &entry : m_destinations)
        anyEncrypting |= encryptAllowed && (entry.host->capabilities & OPT_ENCRYPT);
    // The longest text a destination gets decides what fits.
    const qsizetype longest = m_message.size() + m_extensionTail.size();
    if (anyEncrypting && longest + 1 > kMaxEncryptedPlain)
        return refuse(Status::TooLongToEncrypt, QStringLiteral("您发送的内容太长,无法加密发送,请分多次发送!"));

    m_packetNumber = m_engine.net().NextPacketNumber();
    m_started = true; // the size checks below measure the header with this number
    FileOffer *offer = nullptr;
    if (!m_files.isEmpty()) {
        if (const Status status = prepareFileOffer(); status != Status::Ok) {
            m_started = false;
            return status;
        }
        m_command |= OPT_FILE_ATTACH;
        offer = m_offerTable->FindOffer(m_packetNumber);
    }
    Status status = Status::Ok;
    if (!fits(m_command, longest))
        status = refuse(Status::TooLong, tooLongText());
    else if (anyEncrypting && !fits(m_command | OPT_ENCRYPT, EncryptedBodyLength(longest, kPlannedKeyBytes)))
        status = refuse(Status::TooLongToEncrypt, QStringLiteral("您发送的内容太长,无法加密发送,请分多次发送!"));
    if (status != Status::Ok) {
        if (offer)
            m_offerTable->RemoveOffer(offer);
        m_extension.clear();
        m_started = false;
        return status;
    }

    std::vector<HostPtr> hosts;
    for (SendDestination &entry : m_destinations) {
        const bool encrypting = encryptAllowed && (entry.host->capabilities & OPT_ENCRYPT);
        // A fresh key for every message: the stored one is dropped.
        entry.host->FreePublicKey();
        entry.state = encrypting ? SendDestination::KeyAwaited : SendDestination::Plain;
        entry.command = m_command | (encrypting ? OPT_ENCRYPT : 0);
        entry.packet.clear();
        hosts.push_back(entry.host);
    }
    if (offer)
        m_offerTable->SetRecipients(offer, hosts);
    m_plainPacket.clear();
    m_extensionPlainPacket.clear();
    m_retries = 0;
    SendToDestinations();
    m_timer.start(m_config->RETRYMSEC_STR * (withPictures ? PictureIntervalFactor : 1));
    return Status::Ok;
}

void CMsgSenderWnd::SendPictures()
{
    if (m_pictureSender)
        m_pictureSender(*this);
}

bool CMsgSenderWnd::send(const SendDestination &entry)
{
    const QByteArray &shared = entry.host->extension != 0 ? m_extensionPlainPacket : m_plainPacket;
    const QByteArray &packet = entry.packet.isEmpty() ? shared : entry.packet;
    return m_sink(entry.host->key.address, entry.host->key.port, packet);
}

void CMsgSenderWnd::SendToDestinations()
{
    for (SendDestination &entry : m_destinations) {
        if (entry.state == SendDestination::KeyAwaited) {
            m_sink(entry.host->key.address, entry.host->key.port, m_keys->PublicKeyRequestPacket(entry.host->key));
            continue;
        }
        if (entry.state == SendDestination::KeyArrived)
            EncryptDestination(entry, entry.host->publicKey);
        if (entry.state == SendDestination::Plain) {
            entry.state = SendDestination::Sent;
            entry.packet.clear();
            // One packet serves every plain destination of its kind.
            QByteArray &shared = entry.host->extension != 0 ? m_extensionPlainPacket : m_plainPacket;
            if (shared.isEmpty())
                shared = m_engine.net().BuildPacket(
                    m_packetNumber, entry.command, bodyFor(*entry.host), m_extension, qint32(m_extension.size()));
        }
        if (entry.state == SendDestination::Sent)
            send(entry);
    }
}

void CMsgSenderWnd::EncryptDestination(SendDestination &entry, const PeerPublicKey &key)
{
    QByteArray body;
    CryptFailure failure;
    const QByteArray text = bodyFor(*entry.host);
    CryptStatus status = EncryptMessageBody(m_keys->ownKeys(), key, text, body, nullptr, &failure);
    if (status == CryptStatus::Ok && !fits(entry.command, body.size())) {
        status = CryptStatus::TooLong;
        failure = { QStringLiteral("CryptEncrypt"), 0x80090004 }; // NTE_BAD_LEN
    }
    if (status != CryptStatus::Ok) {
        entry.command &= ~OPT_ENCRYPT;
        body = text;
        if (status != CryptStatus::NoCommonMode && m_encryptionFailure)
            m_encryptionFailure(entry.host.data(), failure);
    }
    entry.packet
        = m_engine.net().BuildPacket(m_packetNumber, entry.command, body, m_extension, qint32(m_extension.size()));
    entry.state = SendDestination::Sent;
}

bool CMsgSenderWnd::OnPublicKeyArrived(HostRecord *peer)
{
    if (!peer || !m_started || m_finished)
        return false;
    for (SendDestination &entry : m_destinations) {
        if (entry.state == SendDestination::KeyAwaited && samePeer(*entry.host, *peer)) {
            EncryptDestination(entry, peer->publicKey);
            send(entry);
            return true;
        }
    }
    return false;
}

bool CMsgSenderWnd::OnReceiptArrived(HostRecord *peer, quint32 packetNumber)
{
    if (!peer || !m_started || m_finished)
        return false;
    for (SendDestination &entry : m_destinations) {
        if (entry.state == SendDestination::Sent && samePeer(*entry.host, *peer)
            && (packetNumber == m_packetNumber || packetNumber == 0)) {
            entry.state = SendDestination::Done;
            if (AllDestinationsDone())
                finish(true);
            return true;
        }
    }
    return false;
}

bool CMsgSenderWnd::AllDestinationsDone() const
{
    for (const SendDestination &entry : m_destinations) {
        if (entry.state != SendDestination::Done)
            return false;
    }
    return true;
}

void CMsgSenderWnd::OnTimer(int id)
{
    if (id != TimerSend || !m_started || m_finished)
        return;
    if (AllDestinationsDone()) {
        finish(true);
        return;
    }
    if (m_retries++ <= m_config->RETRYMAX_STR) {
        SendToDestinations();
        return;
    }
    m_timer.stop();
    m_retries = 0;
    m_retryAsked = false;
    // The user is asked whether to try again; a receipt arriving meanwhile
    // can finish this sender, and its deletion can run before the answer.
    const QPointer<CMsgSenderWnd> self(this);
    emit sendFailed(unconfirmedNames());
    if (self && !m_retryAsked)
        finish(false);
}

void CMsgSenderWnd::Retry()
{
    if (!m_started || m_finished)
        return;
    m_retryAsked = true;
    m_retries = 0;
    SendToDestinations();
    m_timer.start();
}

QStringList CMsgSenderWnd::unconfirmedNames() const
{
    QStringList names;
    for (const SendDestination &entry : m_destinations) {
        if (entry.state != SendDestination::Done)
            names.append(entry.host->displayName.isEmpty() ? entry.host->key.loginName() : entry.host->displayName);
    }
    return names;
}

QString CMsgSenderWnd::FailureText(const QStringList &names)
{
    return QStringLiteral("给用户 %1 发送失败！可能用户已下线,或网络原因,或您发送的内容太长。")
        .arg(names.join(QLatin1Char(',')));
}

void CMsgSenderWnd::finish(bool allConfirmed)
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    if (!allConfirmed)
        dropUnconfirmedRecipients();
    emit finished(allConfirmed);
    deleteLater();
}

void CMsgSenderWnd::dropUnconfirmedRecipients()
{
    const FileOffer *offer = m_offerTable ? m_offerTable->FindOffer(m_packetNumber) : nullptr;
    if (!offer)
        return;
    const bool requested = offer->requested;
    // The offer may go with its last recipient: nothing of it is read after.
    for (const SendDestination &entry : m_destinations) {
        if (entry.state == SendDestination::Done)
            continue;
        const HostKey &key = entry.host->key;
        if (m_offerTable->DropUnconfirmed(m_packetNumber, key.address, key.port) && requested)
            m_engine.Refuse(PeerRefusal::OfferExpired, key.address);
    }
}

#include "net/KeyExchange.h"

#include "net/CNetManager.h"
#include "net/Commands.h"
#include "net/HostRecord.h"
#include "net/MessengerEngine.h"
#include "net/PacketRecord.h"
#include "net/PublicKeyText.h"

#include <QPointer>
#include <QThread>
#include <memory>

namespace {

constexpr qsizetype kMaxPending = 1024;
constexpr qsizetype kMaxErrorReplyPeers = 256;

quint64 peerId(const HostKey &key)
{
    return (quint64(key.address) << 16) | key.port;
}

} // namespace

KeyExchange::KeyExchange(MessengerEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_errorReplies(kErrorReplyIntervalMs, kMaxErrorReplyPeers)
{
    m_clock.start();
    connect(&engine, &MessengerEngine::packetDispatched, this, &KeyExchange::onPacket);
    // The engine tells a resend encrypted anew by its text.
    engine.setMessageTextReader([self = QPointer<KeyExchange>(this)](const PacketRecord &packet) {
        return self ? self->decrypted(packet).text : packet.body;
    });
}

KeyExchange::~KeyExchange()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

qint64 KeyExchange::now() const
{
    return m_now ? m_now() : m_clock.elapsed();
}

void KeyExchange::Start(const QString &keyFile)
{
    if (!keyFile.isEmpty()) {
        OwnKeyState loaded;
        const KeyFileStatus status = LoadOwnKeys(keyFile, loaded);
        if (status == KeyFileStatus::Ok) {
            setOwnKeys(std::move(loaded));
            return;
        }
        if (status != KeyFileStatus::Missing)
            qWarning("The key file %s was not used (status %d); new keys are made.", qPrintable(keyFile), int(status));
    }
    m_keys.pair512 = Crypto::RsaKeyPair::generate(512);
    applyKeys();
    generate1024(keyFile);
}

void KeyExchange::generate1024(const QString &keyFile)
{
    if (m_worker)
        return;
    auto result = std::make_shared<std::optional<Crypto::RsaKeyPair>>();
    m_worker = QThread::create([result] { *result = Crypto::RsaKeyPair::generate(1024); });
    connect(m_worker, &QThread::finished, this, [this, result, keyFile] {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
        if (!*result)
            return;
        m_keys.pair1024 = *result;
        applyKeys();
        if (!keyFile.isEmpty() && m_keys.pair512 && SaveOwnKeys(keyFile, m_keys) != KeyFileStatus::Ok)
            qWarning("The key file %s could not be written.", qPrintable(keyFile));
    });
    m_worker->start(QThread::LowPriority);
}

void KeyExchange::setOwnKeys(OwnKeyState keys)
{
    m_keys = std::move(keys);
    applyKeys();
}

void KeyExchange::applyKeys()
{
    m_lastBody.clear();
    m_engine.setEncryptionReady(m_keys.ready());
}

QByteArray KeyExchange::PublicKeyRequestPacket(const HostKey &peer)
{
    const qint64 t = now();
    if (m_pending.size() >= kMaxPending)
        m_pending.removeIf([t](const auto &entry) { return t - entry.value() >= kAnswerWindowMs; });
    if (m_pending.size() < kMaxPending || m_pending.contains(peerId(peer)))
        m_pending.insert(peerId(peer), t);
    CNetManager &net = m_engine.net();
    return net.BuildPacket(net.NextPacketNumber(), CMD_GET_PUBLIC_KEY, FormatPublicKeyRequest(ownCapabilities()));
}

bool KeyExchange::RequestPublicKey(const HostKey &peer)
{
    return m_engine.net().SendDatagram(peer.address, peer.port, PublicKeyRequestPacket(peer));
}

void KeyExchange::onPacket(const PacketRecord &packet, HostRecord *sender)
{
    if (packet.command() == CMD_GET_PUBLIC_KEY)
        answerRequest(packet, sender);
    else if (packet.command() == CMD_PUBLIC_KEY)
        takeAnswer(packet, sender);
}

void KeyExchange::answerRequest(const PacketRecord &packet, const HostRecord *sender)
{
    const auto asker = ParsePublicKeyRequest(packet.body);
    if (!asker || !m_keys.ready())
        return;
    // The key is several times the request: only a listed peer gets it, once
    // a second at most. Anyone else is introduced to, so that it answers
    // with its entry and asks again.
    if (!sender) {
        m_engine.Introduce(packet);
        m_engine.Refuse(PeerRefusal::AnswerUnlisted, packet.key.address);
        return;
    }
    if (!m_engine.MayAnswer(packet.key, CMD_GET_PUBLIC_KEY))
        return;
    // The 1024-bit key goes to a peer that will encrypt with RSA 1024 and
    // Blowfish; everyone else gets the 512-bit key for RC2.
    const bool large = m_keys.pair1024 && (!m_keys.pair512 || ((*asker & CAP_RSA_1024) && (*asker & CAP_BLOWFISH_128)));
    const Crypto::RsaKeyPair &pair = large ? *m_keys.pair1024 : *m_keys.pair512;
    m_engine.SendReply(packet, CMD_PUBLIC_KEY, FormatPublicKeyAnswer(ownCapabilities(), pair.publicKey()));
}

void KeyExchange::takeAnswer(const PacketRecord &packet, HostRecord *sender)
{
    // Only an answer to our own recent request replaces a stored key.
    const auto pending = m_pending.constFind(peerId(packet.key));
    if (!sender || pending == m_pending.cend() || now() - pending.value() >= kAnswerWindowMs)
        return;
    PeerPublicKey key;
    if (ParsePublicKeyAnswer(packet.body, key) != PublicKeyTextStatus::Ok)
        return;
    m_pending.erase(pending);
    sender->publicKey = key;
    emit publicKeyArrived(sender);
}

DecryptedMessage KeyExchange::DecryptReceivedMessage(const PacketRecord &packet)
{
    if (!packet.hasOption(OPT_ENCRYPT)) {
        DecryptedMessage plain;
        plain.status = CryptStatus::Ok;
        plain.text = packet.body;
        return plain;
    }
    DecryptedMessage result = decrypted(packet);
    // The notice tells the sender whether a body decrypted, which a forger
    // can use as an oracle: it goes out once per peer and interval only.
    if (result.status != CryptStatus::Ok && !packet.hasOption(OPT_BROADCAST)
        && m_errorReplies.allow(packet.key.address, packet.key.port, now()))
        m_engine.net().SendTextToHost(packet.key, kErrorReplyCommand, errorReplyText());
    return result;
}

const DecryptedMessage &KeyExchange::decrypted(const PacketRecord &packet)
{
    if (m_lastBody.isNull() || packet.body != m_lastBody) {
        m_lastDecrypted = DecryptMessageBody(m_keys, packet.body);
        m_lastBody = packet.body.isNull() ? QByteArray("") : packet.body;
    }
    return m_lastDecrypted;
}

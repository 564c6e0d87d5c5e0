// The user's own key pairs and the public-key exchange of the encrypted chat
// messages: answers the peers' requests (CMD_GET_PUBLIC_KEY), asks peers for
// their keys, takes their answers (CMD_PUBLIC_KEY) into their host records,
// and decrypts received messages, answering a body that does not decrypt with
// the automatic notice (rate-limited per peer).
//
// It hooks into the engine through MessengerEngine::packetDispatched, which
// carries every command the engine does not handle itself.
#pragma once

#include "net/MessageCrypto.h"
#include "net/OwnKeys.h"
#include "net/PeerRateLimiter.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <functional>

class HostKey;
class HostRecord;
class MessengerEngine;
class QThread;
struct PacketRecord;

class KeyExchange : public QObject
{
    Q_OBJECT
public:
    // A key answer is taken only this long after the request to that peer.
    static constexpr qint64 kAnswerWindowMs = 60000;
    // At most one automatic decryption-error notice per peer in this time.
    static constexpr qint64 kErrorReplyIntervalMs = 60000;
    static constexpr quint32 kErrorReplyCommand = 0x20020;
    static QString errorReplyText() { return QStringLiteral("(自动回复)解密错误，请检查版本号是否一致!"); }

    explicit KeyExchange(MessengerEngine &engine, QObject *parent = nullptr);
    ~KeyExchange() override;

    // Loads the own pairs from the key file, or makes them: the 512-bit pair
    // at once, the 1024-bit pair on a worker thread (saved to the file when it
    // is ready). An empty path keeps new keys in memory only.
    void Start(const QString &keyFile);
    // Uses pairs made elsewhere (tests, or a caller that made them).
    void setOwnKeys(OwnKeyState keys);
    const OwnKeyState &ownKeys() const { return m_keys; }
    // The capability word of requests: 0x1001, or 0x21003 once the 1024-bit pair is ready.
    quint32 ownCapabilities() const { return m_keys.capabilities(); }
    // True while the 1024-bit pair is being made.
    bool isGenerating() const { return m_worker != nullptr; }

    // The monotonic clock in milliseconds (tests replace it).
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }

    // The request packet for the peer (CMD_GET_PUBLIC_KEY with the own
    // capability word); notes that an answer from that peer is awaited.
    QByteArray PublicKeyRequestPacket(const HostKey &peer);
    // The same, sent through the network manager.
    bool RequestPublicKey(const HostKey &peer);

    // Decrypts a received message that has OPT_ENCRYPT; a body that does not
    // decrypt gets the automatic notice (at most one per peer and interval).
    // A message without the bit comes back as it is.
    DecryptedMessage DecryptReceivedMessage(const PacketRecord &packet);

signals:
    // A peer's public key has arrived and is stored in its record.
    void publicKeyArrived(HostRecord *peer);

private:
    void onPacket(const PacketRecord &packet, HostRecord *sender);
    void answerRequest(const PacketRecord &packet, const HostRecord *sender);
    void takeAnswer(const PacketRecord &packet, HostRecord *sender);
    void generate1024(const QString &keyFile);
    void applyKeys();
    // The body decrypted with the own pairs; the last one is kept, so that
    // the engine's look at a message and its reading decrypt it once.
    const DecryptedMessage &decrypted(const PacketRecord &packet);
    qint64 now() const;

    MessengerEngine &m_engine;
    OwnKeyState m_keys;
    QThread *m_worker = nullptr;
    QElapsedTimer m_clock;
    std::function<qint64()> m_now;
    QHash<quint64, qint64> m_pending; // address << 16 | port -> request time
    PeerRateLimiter m_errorReplies;
    QByteArray m_lastBody;
    DecryptedMessage m_lastDecrypted;
};

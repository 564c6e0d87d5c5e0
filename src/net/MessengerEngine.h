// The messenger's protocol work, without any window: presence, the host
// table and the dispatch of every received packet. The windows hear about
// peers and messages through the signals; the admission policy of the contact
// list plugs in as a hook.
#pragma once

#include "net/AddressWindows.h"
#include "net/AnswerBudget.h"
#include "net/CFileOfferTable.h"
#include "net/CHostTable.h"
#include "net/DurableReceipts.h"
#include "net/FileServer.h"
#include "net/PeerBounds.h"
#include "net/PeerRateLimiter.h"
#include "net/PacketRecord.h"
#include "net/RecentMessages.h"
#include "net/RecentPackets.h"
#include "net/SentRequests.h"
#include "net/WaitingAnswers.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class CConfig;
class CNetManager;
struct OwnHeader;

// The sizes of the user's own pictures as the packets announce them (0 for
// none): what a peer's request for them is answered with.
struct OwnPictureSizes
{
    qint32 headPicture = 0;
    qint32 customPicture = 0;
};

class MessengerEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kExtAnnounceBytes = 16284;
    // The exit is announced twice, this far apart.
    static constexpr unsigned long kExitRepeatMs = 100;

    MessengerEngine(CConfig &config, CNetManager &net, QObject *parent = nullptr);
    ~MessengerEngine() override;

    CConfig &config() { return m_config; }
    CNetManager &net() { return m_net; }
    CHostTable &hostTable() { return m_hosts; }
    // The user's file offers and the server that answers the peers' requests.
    CFileOfferTable &fileOffers() { return m_offers; }
    FileServer &fileServer() { return m_fileServer; }
    // The receipts of messages, which wait until the chat log holds them.
    DurableReceipts &receipts() { return m_receipts; }

    // The user's login and host names (the system's by default).
    void setIdentity(const QString &loginName, const QString &hostName);
    QString loginName() const { return m_login; }
    QString hostName() const { return m_host; }
    // Where the sizes of the own pictures come from (none: 0 and 0).
    using OwnPictureSource = std::function<OwnPictureSizes()>;
    void setOwnPictureSource(OwnPictureSource source) { m_ownPictures = std::move(source); }
    void setEncryptionReady(bool ready) { m_encryptionReady = ready; }

    // Decides, before the command switch, whether a packet is consumed
    // (true). Without a hook every packet goes on.
    using AdmissionHook = std::function<bool(const PacketRecord &)>;
    void setAdmissionHook(AdmissionHook hook) { m_admission = std::move(hook); }
    // Senders whose packets are dropped before anything else.
    using RestrictedFilter = std::function<bool(quint32 address)>;
    void setRestrictedFilter(RestrictedFilter filter) { m_restricted = std::move(filter); }
    // How the text of an encrypted message is read (decrypted), so that a
    // resend encrypted anew is known for a copy. Without one, its body as it
    // came.
    using MessageTextReader = std::function<QByteArray(const PacketRecord &)>;
    void setMessageTextReader(MessageTextReader reader) { m_messageText = std::move(reader); }

    bool isHidden() const;
    bool isAway() const;
    // The fields of the own packets' header: the configured head icon
    // (FaceImage) and the sizes of the own pictures among them.
    OwnHeader ownHeader() const;
    QString GetOwnDisplayName() const;
    quint32 GetOwnOptionBits() const;

    // Announces the user's status to the broadcast address and every
    // configured subnet address (see the hidden and compatibility rules).
    void AnnouncePresence(quint32 commandWord);
    // Start-up announcement, unless the user asked for none.
    void AnnounceStart();
    // Shutdown: the exit twice with a short pause between, unless the user
    // asked for none.
    void AnnounceExit();
    // Answers one peer with a presence command carrying the own bits, display
    // name and group (false when it did not go).
    bool AnswerEntry(const HostKey &peer, quint32 commandWord);
    // The same in answer to the peer's packet: within the answer budget
    // (false when it did not go).
    bool SendEntryAnswer(const PacketRecord &packet, quint32 commandWord);
    // A refresh request: with clearFirst the table is emptied before the
    // entry is announced again.
    void RefreshUsers(bool clearFirst);

    HostRecord *FindHost(quint32 address, quint16 port) const;
    HostRecord *AddOrUpdateHost(const PacketRecord &packet, quint32 commandWord, const QString &nameText,
        const QString &groupText, qint32 extVersion, qint32 headIcon, quint32 statusBits, const QString &macText,
        qint32 headPictureSize, qint32 customPictureSize);
    void RemoveHost(HostRecord *host, bool notify = true);
    void RemoveAllHosts();
    // Command 0x75: a hidden peer's list of those who may still see him.
    void AddUsersFromText(const PacketRecord &packet);

    // The dispatcher: one received datagram.
    void HandleDatagram(const QByteArray &data, quint32 address, quint16 port);

    // The subnet addresses of the configuration that parse as IPv4.
    QList<quint32> subnetAddresses() const;

    // Something a peer sent was refused by a bound: the event log counts it.
    void Refuse(PeerRefusal refusal, quint32 address) { emit refused(refusal, address); }
    // True when a short answer of that command may go to the peer now (at
    // most one per peer and command in PeerBounds::kSmallAnswerIntervalMs);
    // a refusal is counted.
    bool MayAnswer(const HostKey &peer, quint32 command);
    // The same for an answer that can be many times its request (a share
    // list): only to a peer the host table lists.
    bool MayAnswerListed(const HostKey &peer, quint32 command);
    // Introduces the user to a sender the host table does not list (the
    // entry, so that it answers with its own), once a second at most per
    // sender and kIntroductionsPerSecond in all.
    void Introduce(const PacketRecord &packet);

    // ---- the bytes sent in answer (AnswerBudget) ----
    // Sends a packet in answer to the peer when the budget of its address
    // allows its bytes; a refusal is counted.
    bool SendAnswer(const HostKey &to, quint32 commandWord, QByteArrayView body, QByteArrayView extension = {},
        qint32 extLen = 0);
    bool SendTextAnswer(const HostKey &to, quint32 commandWord, const QString &body, const QString &extension = {});
    // The one answer to a packet (its receipt, echo, entry answer...): as
    // many of its bytes as the packet's datagram had go free, only the rest
    // is charged.
    bool SendReply(const PacketRecord &packet, quint32 commandWord, QByteArrayView body,
        QByteArrayView extension = {}, qint32 extLen = 0);
    // The same toward a peer for a datagram of `answering` bytes from it.
    bool SendReply(const HostKey &to, qint64 answering, quint32 commandWord, QByteArrayView body,
        QByteArrayView extension = {}, qint32 extLen = 0);
    bool SendTextReply(
        const PacketRecord &packet, quint32 commandWord, const QString &body, const QString &extension = {});
    // True when an answer of that many bytes may go to the address now, in
    // answer to a datagram of `answering` bytes (0: to none), and the excess
    // is taken from its budget; a refusal is counted.
    bool MayAnswerBytes(quint32 address, qint64 bytes, qint64 answering = 0);
    // True when something a peer's packet makes us send may go to its
    // address: one of our network, or one that showed it receives there;
    // others share PeerBounds::kOffNetworkAnswersPerSecond. A refusal is counted.
    bool MayReach(quint32 address);
    bool IsReceiver(quint32 address) const;
    // Challenges the address (the challenge is small; one on its way serves)
    // and runs answer (an answer larger than its request) when it echoes,
    // within PeerBounds::kChallengeMs, outside the address's part of the
    // answer budget (an answer that waited in vain, or gave way to a newer
    // one, is refused); at once for loopback. Nothing runs once context is gone.
    void AnswerWhenReceiver(const HostKey &to, QObject *context, std::function<void()> answer);
    // A challenge of its own for one request that has to show it came from
    // its address (a share password), whatever the address showed before:
    // it names the request's packet number after its body, and the number
    // its echo names is never the address's challenge (packetDispatched
    // passes the echo on); none when it could not go (a refusal is counted).
    std::optional<quint32> ChallengeRequest(const HostKey &to, quint32 requestNumber);
    AnswerBudget &answerBudget() { return m_budget; }

signals:
    void hostAdded(HostRecord *host);
    void hostUpdated(HostRecord *host);
    // Emitted while the record is still valid, before the table lets it go.
    void hostRemoved(HostRecord *host, bool notify);
    void messageReceived(const PacketRecord &packet, HostRecord *sender);
    void receiptArrived(HostRecord *sender, quint32 packetNumber);
    void readNoticeArrived(HostRecord *sender, quint32 packetNumber);
    // Every other command that passed admission, for the handlers that the
    // chat windows and file transfers add.
    void packetDispatched(const PacketRecord &packet, HostRecord *sender);
    void refused(PeerRefusal refusal, quint32 address);

private:
    void dispatch(const PacketRecord &packet);
    void handleMessage(const PacketRecord &packet);
    void sendExtAnnounce();
    bool isOwnPacket(const PacketRecord &packet) const;
    bool isOwnKey(const HostKey &key) const;
    void applyMemo(HostRecord &host) const;
    void challengeEchoed(const PacketRecord &packet);
    // The answer to an entry (false when it did not go).
    bool answerEntry(const PacketRecord &entry);
    // What we send that a peer would challenge (a request, an entry), and
    // the messages that ask for a read notice: what our echo answers.
    void noteSent(quint32 address, QByteArrayView packet);
    // Whether a read notice asking for its check is echoed (a refusal is
    // counted).
    bool mayEcho(const PacketRecord &notice);
    // Whether a new record of the packet's sender fits the host table's
    // bounds. In a full table a sender that proved itself, or that answers
    // our introduction from our network, takes the place of a record of the
    // address that holds the most (or, when each holds one, of the latest
    // record no one proved); others are challenged. A refusal is counted.
    enum class Room { Yes, No, ForReceivers };
    Room roomForNewHost(const PacketRecord &packet);
    bool answersIntroduction(const PacketRecord &packet);
    void forgetIntroductions(qint64 nowMs);
    bool onOwnNetwork(quint32 address);
    void dropWaitingAnswers(qint64 nowMs);
    // The text of a message as read (no CR, up to its NUL) and its file
    // list, hashed: what tells a copy from another message of that number.
    quint64 messageTextHash(const PacketRecord &packet) const;
    // True when an answer may go to the sender: always to a listed one; to
    // others of its address together at most kStrangerAnswersPerSecond (a
    // refusal is counted).
    bool mayAnswerStranger(const HostKey &to);
    bool sendAnswer(const HostKey &to, qint64 answering, quint32 packetNumber, quint32 commandWord,
        QByteArrayView body, QByteArrayView extension = {}, qint32 extLen = 0);

    CConfig &m_config;
    CNetManager &m_net;
    CHostTable m_hosts;
    CFileOfferTable m_offers;
    FileServer m_fileServer{&m_offers};
    RecentPackets m_recent;
    RecentMessages m_recentMessages;
    MessageTextReader m_messageText;
    DurableReceipts m_receipts{m_net};
    AdmissionHook m_admission;
    RestrictedFilter m_restricted;
    QString m_login;
    QString m_host;
    size_t m_hashSeed = 0;
    OwnPictureSource m_ownPictures;
    bool m_encryptionReady = false;
    PeerRateLimiter m_answers{PeerBounds::kSmallAnswerIntervalMs, PeerBounds::kAnswerPeers};
    RateBudget m_introductions{PeerBounds::kIntroductionsPerSecond, 1000};
    RateBudget m_offNetworkAnswers{PeerBounds::kOffNetworkAnswersPerSecond, 1000};
    PeerRateLimiter m_entryAnswers{PeerBounds::kEntryAnswerIntervalMs, PeerBounds::kAnswerPeers};
    AnswerBudget m_budget;
    AddressWindows m_strangerAnswers{PeerBounds::kStrangerAnswersPeriodMs, PeerBounds::kAnswerPeers};
    quint64 m_listedCount = 0;
    // The senders we introduced ourselves to, oldest first, and until when
    // their entry answer is let in (PeerBounds::kIntroductionAnswerMs).
    struct Introduced
    {
        quint32 address = 0;
        quint16 port = 0;
        qint64 until = 0;
    };
    std::deque<Introduced> m_introduced;
    // Set by AddOrUpdateHost when the record waits for the sender's echo.
    bool m_recordAwaitsEcho = false;
    WaitingAnswers m_waiting;
    QTimer m_waitingSweep;
    // Until when we echo a challenge that names no request from an address
    // we asked something of (PeerBounds::kAskedEchoMs), and from any after a
    // broadcast entry.
    QHash<quint32, qint64> m_asked;
    qint64 m_askedAllUntil = 0;
    SentRequests m_sentReadChecks{PeerBounds::kSentReadChecks};
    // The share password requests a challenge may name.
    SentRequests m_sentPasswords{PeerBounds::kSentPasswordRequests};
};

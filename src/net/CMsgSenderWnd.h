// Sends one message to one or many peers: one packet per destination
// (encrypted for each peer that can decrypt, after its public key has been
// asked for), resent by timer until every peer has confirmed it or the tries
// are spent, then a failure report naming the peers that never confirmed.
// Files and folders go with the message as its file offer. The sender frees
// itself (deleteLater) when it is done.
//
// Use: SetMessage, AddRecipient for each peer, AllocDestinations, optionally
// SetFiles, StartSending, and SendPictures when the message names pictures.
#pragma once

#include "core/ChatFont.h"
#include "net/HostRecord.h"
#include "net/MessageCrypto.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class CConfig;
class CFileOfferTable;
class KeyExchange;
class MessengerEngine;

// One destination of a message.
struct SendDestination
{
    enum State : int {
        KeyAwaited = 0, // the peer's public key has been asked for
        KeyArrived = 1, // encrypt with the stored key in the next walk
        Plain = 2, // goes without encryption
        Sent = 3, // sent, the receipt is awaited
        Done = 4, // confirmed
    };

    HostPtr host;
    int state = Done;
    quint32 command = 0;
    // The destination's own (encrypted) packet; empty when it takes the
    // plain packet shared by all plain destinations.
    QByteArray packet;
};

class CMsgSenderWnd : public QObject
{
    Q_OBJECT
public:
    static constexpr int TimerSend = 0x102;
    // A message with pictures is resent this many times more slowly.
    static constexpr int PictureIntervalFactor = 6;

    enum class Status {
        Ok,
        Busy, // a list is being changed: "正忙...正稍候重试!"
        NoDestinations, // "错误"
        NothingToSend, // no text and no files
        TooLong, // the text (with the file list) does not fit one packet
        TooLongToEncrypt, // the text cannot be encrypted whole
        FileListTooLong, // the file list does not fit its part of the packet
        FileUnreadable, // a chosen file or folder cannot be offered
        AlreadyStarted,
    };

    // Where the packets go; the network manager's SendDatagram by default.
    using DatagramSink = std::function<bool(quint32 address, quint16 port, const QByteArray &packet)>;
    // Sends the pictures the message names (the picture sender plugs in here).
    using PictureSender = std::function<void(CMsgSenderWnd &sender)>;

    // keys may be null: nothing is encrypted then.
    CMsgSenderWnd(MessengerEngine &engine, KeyExchange *keys, QObject *parent = nullptr);
    ~CMsgSenderWnd() override;

    // The message text with its font block and picture markers, the font,
    // further option bits of the command word (OPT_READ_CHECK | OPT_SECRET
    // for a read notice, OPT_MULTICAST, OPT_AUTO_SEND) and the configuration
    // (the engine's when null). False, with errorText(), when the text does
    // not fit one packet with its header: it is never cut.
    bool SetMessage(const QString &text, const ChatFont &font, quint32 options, CConfig *config);
    // A tail that only the destinations speaking the extensions get at the
    // end of the text (the font block); plain IP Messenger peers never see
    // it. False, with errorText(), when the text with it does not fit.
    bool SetExtensionTail(const QString &tail);
    void AddRecipient(HostRecord *host);
    // One destination per recipient.
    bool AllocDestinations();
    // The checked files and folders: they become the message's file offer in
    // the table (the engine's, which its file server answers from, when null).
    void SetFiles(const QStringList &paths, CFileOfferTable *table = nullptr);

    // Asks for the missing public keys, sends to every destination and arms
    // the resend timer. Anything but Ok leaves nothing sent; errorText()
    // says why.
    Status StartSending(bool withPictures = false);
    // Hands the message to the picture sender, when one is set.
    virtual void SendPictures();
    void setPictureSender(PictureSender sender) { m_pictureSender = std::move(sender); }

    // A receipt from a peer: the first waiting destination of that address
    // and port whose packet number is the message's (or any, when the receipt
    // carries 0) is done. True when one matched.
    bool OnReceiptArrived(HostRecord *peer, quint32 packetNumber);
    // A peer's key has arrived: its destination is encrypted and sent.
    bool OnPublicKeyArrived(HostRecord *peer);
    // One tick of the resend timer (the timer calls it; tests call it).
    void OnTimer(int id);
    bool AllDestinationsDone() const;
    // Called from a slot of sendFailed: try every unconfirmed peer again
    // instead of giving up.
    void Retry();

    void setDatagramSink(DatagramSink sink) { m_sink = std::move(sink); }
    // Called when a destination's encryption fails, before its message goes
    // out plain (the window tells the user which step failed). A peer with no
    // cipher in common gets the plain message without it.
    using EncryptionFailureHandler = std::function<void(HostRecord *peer, const CryptFailure &failure)>;
    void setEncryptionFailureHandler(EncryptionFailureHandler handler) { m_encryptionFailure = std::move(handler); }

    QString errorText() const { return m_error; }
    quint32 packetNumber() const { return m_packetNumber; }
    quint32 commandWord() const { return m_command; }
    const QByteArray &messageBytes() const { return m_message; }
    // The text a destination gets: with the extension tail for a peer that
    // speaks the extensions.
    QByteArray bodyFor(const HostRecord &host) const;
    const ChatFont &font() const { return m_font; }
    const std::vector<SendDestination> &destinations() const { return m_destinations; }
    bool isTimerActive() const { return m_timer.isActive(); }
    int resendInterval() const { return m_timer.interval(); }
    int retryCount() const { return m_retries; }
    // Every destination confirmed, or the sender gave up: it deletes itself.
    bool isFinished() const { return m_finished; }

    // The history line of a one-to-one chat for the peers that never confirmed.
    static QString FailureText(const QStringList &names);
    static QString BusyText() { return QStringLiteral("正忙...正稍候重试!"); }

signals:
    // The tries are spent; the names are the display names of the peers that
    // never confirmed. A slot may call Retry().
    void sendFailed(const QStringList &names);
    // Every destination has confirmed (true) or the sender gave up (false);
    // the object is deleted afterwards.
    void finished(bool allConfirmed);

private:
    Status refuse(Status status, const QString &text);
    Status prepareFileOffer();
    qsizetype headerBytes(quint32 commandWord) const;
    bool fits(quint32 commandWord, qsizetype bodyBytes) const;
    void SendToDestinations();
    void EncryptDestination(SendDestination &entry, const PeerPublicKey &key);
    bool send(const SendDestination &entry);
    void finish(bool allConfirmed);
    // A recipient that never confirmed the message cannot have its offer:
    // the offer no longer waits for it.
    void dropUnconfirmedRecipients();
    QStringList unconfirmedNames() const;

    MessengerEngine &m_engine;
    KeyExchange *m_keys;
    CConfig *m_config = nullptr;
    DatagramSink m_sink;
    PictureSender m_pictureSender;
    EncryptionFailureHandler m_encryptionFailure;
    QTimer m_timer;

    QByteArray m_message; // GBK, without CR
    QByteArray m_extensionTail; // GBK: only for peers that speak the extensions
    ChatFont m_font;
    quint32 m_options = 0;
    quint32 m_command = 0;
    quint32 m_packetNumber = 0;
    QByteArray m_extension; // the file list
    // The packets shared by all destinations that go unencrypted: one for
    // plain IP Messenger peers, one for peers that speak the extensions.
    QByteArray m_plainPacket;
    QByteArray m_extensionPlainPacket;

    std::vector<HostPtr> m_recipients;
    std::vector<SendDestination> m_destinations;
    CFileOfferTable *m_offerTable = nullptr;
    QStringList m_files;

    int m_retries = 0;
    bool m_started = false;
    bool m_finished = false;
    bool m_retryAsked = false;
    QString m_error;
};

// One known peer. Host records are shared by the host table, file offers,
// message senders and chat windows: each holder keeps one reference, and the
// record is deleted when the last one is given up.
#pragma once

#include "core/PinyinForms.h"
#include "core/StatusBits.h"
#include "net/HostKey.h"

#include <QByteArray>
#include <QExplicitlySharedDataPointer>
#include <QSharedData>
#include <QString>

// A peer's RSA public key as it arrived with CMD_PUBLIC_KEY.
struct PeerPublicKey
{
    QByteArray key; // modulus bytes as stored; its size is the key length in bytes
    quint32 exponent = 0;
    quint32 capabilities = 0;
};

class HostRecord : public QSharedData
{
public:
    // Status bits of a peer.
    static constexpr quint32 StatusAway = 0x100;
    static constexpr quint32 StatusSortLast = 0x200;
    // Bits of peerFlags.
    static constexpr quint32 PeerRefusesPictures = 0x10;
    // Bits of featureBlocks.
    static constexpr quint32 BlocksAssistance = 4;
    static constexpr quint32 BlocksVoice = 8;
    // Bits of noticeFlags.
    static constexpr quint32 NoOnlineNotice = 1;
    static constexpr quint32 NoOfflineNotice = 2;

    HostKey key;
    QString displayName; // 50 bytes: memo name or announced nick name
    QString nickName; // 50 bytes: announced nick name
    QString groupName; // the peer's own group text
    QString customGroup = DefaultGroups::MyFriends(); // 50 bytes: the user group the user keeps the peer in
    QString keyText; // MAC as 12 hex digits, or a made key: the memo key
    quint32 statusBits = 0;
    quint32 peerFlags = 0;
    quint32 capabilities = 0; // OPT_ENCRYPT: the peer can decrypt
    quint32 featureBlocks = 0;
    qint32 visibility = 0;
    qint32 extension = 0; // 0 for a plain IP Messenger peer
    qint32 headIcon = 0; // 1..83 valid
    qint32 previousHeadIcon = 0;
    quint32 noticeFlags = 0;
    qint32 headPictureSize = 0;
    qint32 customPictureSize = 0;
    QString signature;
    // When the host table took the record in (a serial number): the records
    // a flood of forged entries added are the latest.
    quint64 listedOrder = 0;
    PeerPublicKey publicKey;
    // What the search strip compares (UserSearch): the pinyin of the five
    // name fields and the dotted address, each made again only when its
    // source has changed.
    struct SearchForms
    {
        PinyinForms pinyin;
        QString address;
        quint32 addressOf = 0;
        bool addressMade = false;
    };
    mutable SearchForms search;

    // Number of holders of this record (the table counts as one).
    int refCount() const { return ref.loadRelaxed(); }
    void FreePublicKey() { publicKey = PeerPublicKey(); }
};

// A counted reference to a host record.
using HostPtr = QExplicitlySharedDataPointer<HostRecord>;

// The image of a peer's icon indexes in a head-icon list: its head-icon
// index + 1, else the previous index + 1 when that is beyond the list, else
// 1. imageCount is the size of the list in use.
inline int HeadImageOfIndexes(const HostRecord &peer, int imageCount)
{
    if (peer.headIcon >= 0 && peer.headIcon + 1 < imageCount)
        return peer.headIcon + 1;
    if (peer.previousHeadIcon >= 0 && peer.previousHeadIcon + 1 < imageCount)
        return peer.previousHeadIcon + 1;
    return 1;
}

// The image of a peer in the contact lists and tips: 0 for a plain peer,
// else the image of its icon indexes.
inline int PeerHeadImage(const HostRecord &peer, int imageCount)
{
    return peer.extension == 0 ? 0 : HeadImageOfIndexes(peer, imageCount);
}

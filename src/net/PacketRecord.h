// One received packet after parsing.
#pragma once

#include "net/Commands.h"
#include "net/HostKey.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct PacketRecord
{
    HostKey key; // sender's names from the header, address and port of the datagram
    qint32 protocolVersion = 0; // the leading number of the version field (1)
    // Extension fields: all 0 (and the MAC text empty) for a plain peer.
    qint32 extVersion = 0;
    qint32 headIcon = 0;
    quint32 statusBits = 0;
    QString macText; // at most 12 characters
    qint32 headPictureSize = 0;
    qint32 customPictureSize = 0;
    quint32 packetNumber = 0;
    quint32 commandWord = 0;
    // A text body without its CR characters, or the raw bytes of a binary
    // body (binaryLength != 0, equal to body.size(): the bytes that arrived).
    QByteArray body;
    qint32 binaryLength = 0;
    // Everything after the body's terminating NUL, with its true length: a
    // text (group name, file list) or the raw bytes of a picture chunk.
    QByteArray extension;
    // The bytes of the datagram that carried it (what an answer to it may
    // take back for free).
    qint32 datagramBytes = 0;

    uint32_t command() const { return GET_MODE(commandWord); }
    bool hasOption(uint32_t bit) const { return (commandWord & bit) != 0; }
    QString bodyText() const;
    // The extension part as text, up to its first NUL.
    QString extensionText() const;
};

// The packet number a receipt, read notice or release echoes in its body.
// Peers write it as the header does ("%ld"), so numbers above 0x7FFFFFFF
// come back negative; 0 when the body holds no number.
quint32 EchoedPacketNumber(const PacketRecord &packet);
// The request a challenge (a read notice asking for its check) is for, when
// it names one after its body: that request's packet number. Plain peers read
// the body alone and echo as ever.
std::optional<quint32> ChallengedRequest(const PacketRecord &challenge);

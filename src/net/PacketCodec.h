// The packet codec of the messenger protocol: building the datagrams Kwel
// sends and parsing the ones it receives. Pure functions over bytes; text is
// GBK on the wire and converted here.
#pragma once

#include "net/PacketRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The sender's fields of the extended header.
struct OwnHeader
{
    QString userName; // login name
    QString hostName;
    qint32 headIcon = 0;
    quint32 statusBits = 0; // 0xFFFFFFFF (written -1) shows the user as hidden to everybody
    QString macText; // 12 hex digits
    qint32 headPictureSize = 0;
    qint32 customPictureSize = 0;
};

enum class PacketStatus {
    Ok,
    Empty, // no bytes
    TooLong, // more than kMaxPacket bytes
    BadHeader, // fewer than five ':'-terminated header fields, or a NUL inside them
    BadVersion, // version field without a leading number
    BadExtension, // tagged version field whose extension fields are missing or not numbers
    BadNumber, // packet number or command word not a 32-bit number
    BadBinaryLength, // negative binary body length
    NoSeparator, // a binary body not followed by the NUL before the extension part
};

namespace PacketCodec {

inline constexpr qsizetype kMaxPacket = 16384;
inline constexpr qsizetype kMaxBody = 16383;
inline constexpr qsizetype kMacChars = 12;
inline constexpr char kTag[] = "_wzk";
inline constexpr qint32 kExtVersion = 1;

// A text up to its first NUL without its CR characters.
QByteArray StripCarriageReturns(QByteArrayView text);

// Builds an extended-header packet: header, body, NUL, extension part.
// The body is binaryLength raw bytes when binaryLength is non-zero (at most
// body.size()), else text up to its first NUL without CR characters, cut on
// a character boundary to fit. The extension part is extLen raw bytes when
// the command word has OPT_FILE_ATTACH and extLen is non-zero, else text up to
// its first NUL; it is left out when it does not fit. Never longer than
// kMaxPacket; empty when a binary body does not fit.
QByteArray BuildPacket(const OwnHeader &own, quint32 packetNumber, quint32 commandWord, QByteArrayView body,
    QByteArrayView extension = {}, qint32 extLen = 0, qint32 binaryLength = 0);
// The same with GBK-encoded texts.
QByteArray BuildTextPacket(const OwnHeader &own, quint32 packetNumber, quint32 commandWord, const QString &body,
    const QString &extension = QString());
// A packet with the plain IP Messenger header "1:%ld:%s:%s:%ld:" and the same
// body and extension rules (text bodies only).
QByteArray BuildPlainPacket(const QString &userName, const QString &hostName, quint32 packetNumber, quint32 commandWord,
    QByteArrayView body, QByteArrayView extension = {}, qint32 extLen = 0);

// The packet number and command word of a datagram's header, read without
// the rest (false when the header does not parse).
bool ReadHead(QByteArrayView data, quint32 &packetNumber, quint32 &commandWord);

// Parses one datagram from address:port (host byte order) into out. out is
// only meaningful when the result is PacketStatus::Ok.
PacketStatus ParsePacket(QByteArrayView data, quint32 address, quint16 port, PacketRecord &out);

// A 32-bit value as the header writes it ("%ld" of a Windows long): from
// 2^31 on it is negative. Packet numbers echoed in a body (receipt, read
// notice, release of an offer) are written the same way.
QByteArray FormatNumber(quint32 value);

} // namespace PacketCodec

// The chat-log file "kwel/kwel.kwl": a u32 header, then records, every
// integer little-endian and every text GBK. docs/chat-log-format.md describes
// the layout byte by byte. Windows copies of the program read and write the
// same file.
#pragma once

#include "core/ChatFont.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <optional>

// One record of the chat log: the peer it belongs to, the font and the text.
struct ChatLogEntry
{
    QString userName; // the nick name shown for the peer
    QString groupName;
    QString loginName;
    QString hostName;
    QString macText;
    quint32 address = 0; // IPv4 in host byte order (QHostAddress::toIPv4Address())
    quint32 port = 0;
    ChatFont font;
    QString text; // the message with its markup

    bool operator==(const ChatLogEntry &other) const = default;
};

namespace ChatLogFormat {

// The header the writer puts at the start of a new file: "KWL" and format
// version 1. Readers skip the header whatever its value.
inline constexpr quint32 kHeader = 0x014C574B;
inline constexpr qsizetype kHeaderBytes = 4;
inline constexpr quint32 kRecordTag = 1;
// A name is used only when it is shorter than this many bytes, the MAC text
// only when shorter than kMacLimit; longer ones read as empty.
inline constexpr qsizetype kNameLimit = 50;
inline constexpr qsizetype kMacLimit = 16;
// Texts are cut to this many bytes when written and when read.
inline constexpr qsizetype kMaxTextBytes = 256 * 1024;
// Font flag values.
inline constexpr quint8 kFontBlock = 0;
inline constexpr quint8 kColourOnly = 1;

void appendU32(QByteArray &out, quint32 value);
// The u32 at `at`; the caller has checked that four bytes are there.
quint32 readU32(QByteArrayView in, qsizetype at);

QByteArray encodeHeader();
// The whole record. Names are cut to 49 bytes and the MAC text to 15 (so that
// readers keep them), the text to kMaxTextBytes, never inside a double-byte
// character. The font block is written only when the font differs from the
// default font in any LOGFONT field; otherwise the flag says "default font"
// and only the colour follows.
QByteArray encodeRecord(const ChatLogEntry &entry);

// The line that opens a new day: "日期:2024-05-01\n".
QString dateLine(QDate day);
// The length of a date line's text in bytes.
inline constexpr qsizetype kDateLineBytes = 16;
// The day of a record text that is a date line, else nothing.
std::optional<QDate> parseDateLine(QByteArrayView text);

} // namespace ChatLogFormat

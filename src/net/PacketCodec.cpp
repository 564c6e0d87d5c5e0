#include "net/PacketCodec.h"

#include "core/Gbk.h"

#include <array>
#include <optional>
#include <utility>

namespace {

using PacketCodec::kMaxBody;
using PacketCodec::kMaxPacket;

// ---- building --------------------------------------------------------------

// A header field: GBK, cut to fitBytes, with the bytes that would break the
// header (':' and NUL, and '#' inside the version field) replaced. None of
// them can be the trail byte of a GBK character.
QByteArray headerField(const QString &text, qsizetype fitBytes, bool inVersionField = false)
{
    QByteArray bytes = Gbk::cutBytes(Gbk::encode(text), fitBytes);
    for (char &c : bytes) {
        if (c == ':' || c == '\0' || (inVersionField && c == '#'))
            c = '_';
    }
    return bytes;
}

QByteArrayView upToNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

// "…:packet:user:host:command:" after the version field.
void appendCommonHeader(
    QByteArray &out, quint32 packetNumber, const QString &userName, const QString &hostName, quint32 commandWord)
{
    out += ':' + PacketCodec::FormatNumber(packetNumber) + ':' + headerField(userName, HostKey::kNameBytes) + ':'
        + headerField(hostName, HostKey::kNameBytes) + ':' + PacketCodec::FormatNumber(commandWord) + ':';
}

// Body, NUL and extension part after a complete header; empty when a binary
// body does not fit.
QByteArray appendPayload(QByteArray packet, quint32 commandWord, QByteArrayView body, qint32 binaryLength,
    QByteArrayView extension, qint32 extLen)
{
    const qsizetype room = kMaxPacket - packet.size() - 1;
    if (room < 0)
        return {};
    if (binaryLength > 0) {
        if (binaryLength > room)
            return {};
        packet += body.first(binaryLength);
    } else {
        const QByteArray text = PacketCodec::StripCarriageReturns(body);
        packet += text.left(Gbk::charBoundary(text, qMin(room, kMaxBody)));
    }
    packet += '\0';

    const QByteArrayView ext = ((commandWord & OPT_FILE_ATTACH) && extLen > 0)
        ? extension.first(qMin<qsizetype>(extLen, extension.size()))
        : upToNul(extension);
    if (packet.size() + ext.size() <= kMaxPacket)
        packet += ext;
    return packet;
}

// ---- parsing ---------------------------------------------------------------

// A 32-bit number as a Windows peer writes "%ld" and reads it back: an
// optional sign and at least one digit, nothing else; values from -2^31 to
// 2^32-1 give their 32-bit pattern, anything beyond is refused.
std::optional<quint32> parseNumber(QByteArrayView field)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
        negative = field[i] == '-';
        ++i;
    }
    if (i == field.size())
        return std::nullopt;
    quint64 value = 0;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + quint64(c - '0');
        if (value > 0xFFFFFFFFULL)
            return std::nullopt;
    }
    if (negative) {
        if (value > 0x80000000ULL)
            return std::nullopt;
        return static_cast<quint32>(0 - value);
    }
    return static_cast<quint32>(value);
}

// The header's fields "version:packet:user:host:command:"; start is where
// the payload begins.
bool headerFields(QByteArrayView data, std::array<QByteArrayView, 5> &field, qsizetype &start)
{
    start = 0;
    for (auto &f : field) {
        qsizetype end = start;
        while (end < data.size() && data[end] != ':' && data[end] != '\0')
            ++end;
        if (end == data.size() || data[end] != ':')
            return false;
        f = data.sliced(start, end - start);
        start = end + 1;
    }
    return true;
}

qsizetype leadingDigits(QByteArrayView text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    return n;
}

// The extension fields after the tag: "%d_%d#%ld#%s#%d#%d#%d". Further
// '#'-fields that a later version may add are ignored.
bool parseExtension(QByteArrayView text, PacketRecord &out)
{
    const qsizetype underscore = text.indexOf('_');
    if (underscore < 0)
        return false;
    const auto ext = parseNumber(text.first(underscore));
    if (!ext)
        return false;
    std::array<QByteArrayView, 6> f;
    QByteArrayView rest = text.sliced(underscore + 1);
    for (qsizetype i = 0; i < qsizetype(f.size()); ++i) {
        const qsizetype hash = rest.indexOf('#');
        if (hash < 0 && i + 1 < qsizetype(f.size()))
            return false;
        f[i] = hash < 0 ? rest : rest.first(hash);
        rest = hash < 0 ? QByteArrayView() : rest.sliced(hash + 1);
    }
    const auto icon = parseNumber(f[0]);
    const auto status = parseNumber(f[1]);
    const auto headPicture = parseNumber(f[3]);
    const auto customPicture = parseNumber(f[4]);
    const auto binary = parseNumber(f[5]);
    if (!icon || !status || !headPicture || !customPicture || !binary)
        return false;
    out.extVersion = qint32(*ext);
    out.headIcon = qint32(*icon);
    out.statusBits = *status;
    out.macText = Gbk::decode(f[2].first(Gbk::charBoundary(f[2], PacketCodec::kMacChars)));
    out.headPictureSize = qint32(*headPicture);
    out.customPictureSize = qint32(*customPicture);
    out.binaryLength = qint32(*binary);
    return true;
}

PacketStatus parseVersion(QByteArrayView field, PacketRecord &out)
{
    const qsizetype digits = leadingDigits(field);
    const auto version = parseNumber(field.first(digits));
    if (!version || *version > 0x7FFFFFFFU)
        return PacketStatus::BadVersion;
    out.protocolVersion = qint32(*version);
    const QByteArrayView rest = field.sliced(digits);
    // Without the tag: a plain peer, whatever else its version field says.
    if (!rest.startsWith(QByteArrayView(PacketCodec::kTag)))
        return PacketStatus::Ok;
    return parseExtension(rest.sliced(qsizetype(sizeof(PacketCodec::kTag) - 1)), out) ? PacketStatus::Ok
                                                                                      : PacketStatus::BadExtension;
}

} // namespace

namespace PacketCodec {

QByteArray StripCarriageReturns(QByteArrayView text)
{
    QByteArray out = upToNul(text).toByteArray();
    out.removeIf([](char c) { return c == '\r'; });
    return out;
}

QByteArray BuildPacket(const OwnHeader &own, quint32 packetNumber, quint32 commandWord, QByteArrayView body,
    QByteArrayView extension, qint32 extLen, qint32 binaryLength)
{
    const qint32 binary = qBound<qint32>(0, binaryLength, qint32(qMin<qsizetype>(body.size(), kMaxPacket)));
    QByteArray packet;
    packet.reserve(qMin(kMaxPacket, 256 + body.size() + extension.size()));
    packet += QByteArray::number(PROTOCOL_VERSION) + kTag + QByteArray::number(kExtVersion) + '_'
        + QByteArray::number(own.headIcon) + '#' + PacketCodec::FormatNumber(own.statusBits) + '#'
        + headerField(own.macText, kMacChars, true) + '#' + QByteArray::number(own.headPictureSize) + '#'
        + QByteArray::number(own.customPictureSize) + '#' + QByteArray::number(binary);
    appendCommonHeader(packet, packetNumber, own.userName, own.hostName, commandWord);
    return appendPayload(std::move(packet), commandWord, body, binary, extension, extLen);
}

QByteArray BuildTextPacket(
    const OwnHeader &own, quint32 packetNumber, quint32 commandWord, const QString &body, const QString &extension)
{
    return BuildPacket(own, packetNumber, commandWord, Gbk::encode(body), Gbk::encode(extension));
}

QByteArray BuildPlainPacket(const QString &userName, const QString &hostName, quint32 packetNumber, quint32 commandWord,
    QByteArrayView body, QByteArrayView extension, qint32 extLen)
{
    QByteArray packet = QByteArray::number(PROTOCOL_VERSION);
    appendCommonHeader(packet, packetNumber, userName, hostName, commandWord);
    return appendPayload(std::move(packet), commandWord, body, 0, extension, extLen);
}

bool ReadHead(QByteArrayView data, quint32 &packetNumber, quint32 &commandWord)
{
    std::array<QByteArrayView, 5> field;
    qsizetype start = 0;
    if (data.size() > kMaxPacket || !headerFields(data, field, start))
        return false;
    const auto number = parseNumber(field[1]);
    const auto command = parseNumber(field[4]);
    if (!number || !command)
        return false;
    packetNumber = *number;
    commandWord = *command;
    return true;
}

PacketStatus ParsePacket(QByteArrayView data, quint32 address, quint16 port, PacketRecord &out)
{
    out = PacketRecord();
    if (data.isEmpty())
        return PacketStatus::Empty;
    if (data.size() > kMaxPacket)
        return PacketStatus::TooLong;
    out.datagramBytes = qint32(data.size());

    std::array<QByteArrayView, 5> field;
    qsizetype start = 0;
    if (!headerFields(data, field, start))
        return PacketStatus::BadHeader;

    const PacketStatus version = parseVersion(field[0], out);
    if (version != PacketStatus::Ok)
        return version;
    const auto packetNumber = parseNumber(field[1]);
    const auto commandWord = parseNumber(field[4]);
    if (!packetNumber || !commandWord)
        return PacketStatus::BadNumber;
    if (out.binaryLength < 0)
        return PacketStatus::BadBinaryLength;
    out.packetNumber = *packetNumber;
    out.commandWord = *commandWord;
    out.key = HostKey(Gbk::decode(field[2]), Gbk::decode(field[3]), address, port);

    const QByteArrayView rest = data.sliced(start);
    if (out.binaryLength > 0) {
        // The bytes that arrived: a peer cuts a body that does not fit.
        const qsizetype n = qMin(qMin<qsizetype>(out.binaryLength, rest.size()), kMaxBody);
        out.body = rest.first(n).toByteArray();
        out.binaryLength = qint32(n);
        if (n < rest.size()) {
            if (rest[n] != '\0')
                return PacketStatus::NoSeparator;
            out.extension = rest.sliced(n + 1).toByteArray();
        }
        return PacketStatus::Ok;
    }
    // A text body ends at its NUL, or at the end of the datagram.
    const qsizetype nul = rest.indexOf('\0');
    const QByteArray text = StripCarriageReturns(rest);
    out.body = text.left(Gbk::charBoundary(text, kMaxBody));
    if (nul >= 0)
        out.extension = rest.sliced(nul + 1).toByteArray();
    return PacketStatus::Ok;
}

QByteArray FormatNumber(quint32 value)
{
    return QByteArray::number(static_cast<qint32>(value));
}

} // namespace PacketCodec

QString PacketRecord::bodyText() const
{
    return Gbk::decode(body);
}

QString PacketRecord::extensionText() const
{
    return Gbk::decodeField(extension);
}

namespace {

// A packet number as peers write it ("%ld", or unsigned as older copies did).
std::optional<quint32> readPacketNumber(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < INT32_MIN || value > UINT32_MAX)
        return std::nullopt;
    return quint32(value);
}

} // namespace

quint32 EchoedPacketNumber(const PacketRecord &packet)
{
    return readPacketNumber(packet.body).value_or(0);
}

std::optional<quint32> ChallengedRequest(const PacketRecord &challenge)
{
    const qsizetype nul = challenge.extension.indexOf('\0');
    return readPacketNumber(nul < 0 ? challenge.extension : challenge.extension.left(nul));
}

#include "core/HexText.h"

#include <limits>

namespace {

constexpr char kDigits[] = "0123456789abcdef";

int pairValue(QByteArrayView text, qsizetype at)
{
    const int hi = HexDigitValue(static_cast<unsigned char>(text[at]));
    const int lo = HexDigitValue(static_cast<unsigned char>(text[at + 1]));
    return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
}

void appendHex(QByteArray &out, unsigned char byte)
{
    out.append(kDigits[byte >> 4]);
    out.append(kDigits[byte & 0x0F]);
}

// Digit pairs from the start of the text, or from its end.
QByteArray hexToBytes(QByteArrayView text, qsizetype maximum, bool fromEnd)
{
    QByteArray out;
    const qsizetype pairs = qMin(maximum, text.size() / 2);
    if (pairs <= 0)
        return out;
    out.reserve(pairs);
    for (qsizetype k = 0; k < pairs; ++k) {
        const int v = pairValue(text, fromEnd ? text.size() - 2 * (k + 1) : 2 * k);
        if (v < 0)
            break;
        out.append(static_cast<char>(v));
    }
    return out;
}

char16_t unit(char c)
{
    return static_cast<unsigned char>(c);
}
char16_t unit(QChar c)
{
    return c.unicode();
}

template <typename View> quint64 parseHex(View text)
{
    quint64 value = 0;
    for (auto c : text) {
        const int d = HexDigitValue(unit(c));
        if (d < 0)
            continue;
        if (value > (std::numeric_limits<quint64>::max() >> 4))
            return std::numeric_limits<quint64>::max();
        value = (value << 4) | static_cast<quint64>(d);
    }
    return value;
}

} // namespace

int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

QByteArray BytesToHex(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes)
        appendHex(out, static_cast<unsigned char>(c));
    return out;
}

QByteArray BytesToHexReversed(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (qsizetype i = bytes.size() - 1; i >= 0; --i)
        appendHex(out, static_cast<unsigned char>(bytes[i]));
    return out;
}

QByteArray HexToBytes(QByteArrayView text, qsizetype maximum)
{
    return hexToBytes(text, maximum, false);
}

QByteArray HexToBytesReversed(QByteArrayView text, qsizetype maximum)
{
    return hexToBytes(text, maximum, true);
}

quint64 HexToUInt64(QByteArrayView text)
{
    return parseHex(text);
}

quint64 HexToUInt64(QStringView text)
{
    return parseHex(text);
}

#include "core/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// ICU's "GBK" converter is code page 936 itself (0x80 is the euro sign),
// which is what the Windows peers write.
constexpr const char kCodecName[] = "GBK";

QStringDecoder &decoder()
{
    thread_local QStringDecoder d(kCodecName, QStringConverter::Flag::Stateless);
    d.resetState();
    return d;
}

QStringEncoder &encoder()
{
    thread_local QStringEncoder e(kCodecName, QStringConverter::Flag::Stateless);
    e.resetState();
    return e;
}

bool isAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Calls `each` with every code point of the text (a lone surrogate is one of
// its own) and whether GBK carries it unchanged. GBK has no character beyond
// the Basic Multilingual Plane (emoji among them).
template <typename Each> void forEachCodePoint(QStringView text, Each each)
{
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        const QStringView point = text.sliced(i, len);
        const bool carried = point[0].unicode() < 0x80
            || (!point[0].isSurrogate() && Gbk::decode(Gbk::encode(point)) == point);
        each(point, carried);
        i += len;
    }
}

bool carriedWhole(QStringView text)
{
    return isAscii(text) || Gbk::decode(Gbk::encode(text)) == text;
}

} // namespace

namespace Gbk {

QString uncarried(QStringView text)
{
    QString out;
    if (carriedWhole(text))
        return out;
    forEachCodePoint(text, [&out](QStringView point, bool carried) {
        if (!carried && !out.contains(point))
            out += point;
    });
    return out;
}

QString withoutUncarried(QStringView text)
{
    if (carriedWhole(text))
        return text.toString();
    QString out;
    forEachCodePoint(text, [&out](QStringView point, bool carried) {
        if (carried)
            out += point;
    });
    return out;
}

QString plainLayout(QStringView text, QStringView lineBreak)
{
    QString out;
    bool changed = false;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80)
            continue;
        QStringView plain;
        switch (c.category()) {
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            plain = lineBreak;
            break;
        case QChar::Separator_Space:
            if (carriedWhole(text.sliced(i, 1)))
                continue; // the ideographic space
            plain = u" ";
            break;
        default:
            continue;
        }
        out += text.sliced(from, i - from);
        out += plain;
        from = i + 1;
        changed = true;
    }
    if (!changed)
        return text.toString();
    out += text.sliced(from);
    return out;
}

Kept keepCarried(QStringView text, QStringView lineBreak)
{
    Kept kept;
    kept.text = plainLayout(text, lineBreak);
    kept.refused = uncarried(kept.text);
    if (!kept.refused.isEmpty())
        kept.text = withoutUncarried(kept.text);
    return kept;
}

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    QString s = decoder().decode(bytes);
    // A lead byte at the very end has no trail: keep it visible as U+FFFD.
    const qsizetype last = bytes.size() - 1;
    if (isLeadByte(static_cast<unsigned char>(bytes[last])) && charBoundary(bytes, last) == last
        && !s.endsWith(QChar::ReplacementCharacter))
        s.append(QChar::ReplacementCharacter);
    return s;
}

QString decodeField(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return decode(nul < 0 ? bytes : bytes.first(nul));
}

QByteArray encode(QStringView text)
{
    if (text.isEmpty())
        return {};
    if (isAscii(text))
        return text.toLatin1();
    return encoder().encode(text);
}

qsizetype byteLength(QStringView text)
{
    return isAscii(text) ? text.size() : encode(text).size();
}

qsizetype charBoundary(QByteArrayView bytes, qsizetype n)
{
    if (n >= bytes.size())
        n = bytes.size();
    if (n <= 0)
        return 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype step = (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + step > n)
            break;
        i += step;
    }
    return i;
}

QByteArray cutBytes(QByteArrayView bytes, qsizetype n)
{
    return bytes.first(charBoundary(bytes, n)).toByteArray();
}

QString truncate(QStringView text, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (text.size() <= maxBytes && isAscii(text))
        return text.toString();
    if (byteLength(text) <= maxBytes)
        return text.toString();
    // Walk whole code points so that a surrogate pair is never split.
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        qsizetype len = 1;
        if (text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate())
            len = 2;
        const qsizetype bytes = text[end].unicode() < 0x80 ? 1 : encode(text.sliced(end, len)).size();
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += len;
    }
    return text.first(end).toString();
}

QByteArray sortKey(QStringView text, bool caseInsensitive)
{
    QByteArray key = encode(text);
    if (caseInsensitive) {
        // Fold only single-byte letters: a trail byte in 'A'..'Z' is part of a character.
        for (qsizetype i = 0; i < key.size(); ++i) {
            const auto c = static_cast<unsigned char>(key[i]);
            if (isLeadByte(c) && i + 1 < key.size())
                ++i;
            else if (c >= 'A' && c <= 'Z')
                key[i] = static_cast<char>(c + 32);
        }
    }
    return key;
}

} // namespace Gbk

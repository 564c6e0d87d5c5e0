#include "core/XmlText.h"

#include "core/Gbk.h"

#include <QStringDecoder>

namespace XmlText {

QString fromUtf8(QByteArrayView utf8)
{
    thread_local QStringDecoder decoder(
        QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

SplitText splitDeclaration(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    const QByteArrayView rest = text.sliced(i);
    if (!rest.startsWith("<?xml") || (rest.size() > 5 && !isSpace(rest[5]) && rest[5] != '?'))
        return { true, {}, text };
    const qsizetype end = rest.indexOf("?>");
    if (end < 0)
        return { false, {}, {} };
    // Only version, encoding and standalone belong there: plain ASCII.
    for (const char c : rest.first(end))
        if ((c < 0x20 || c > 0x7E) && !isSpace(c))
            return { false, {}, {} };
    return { true, rest.first(end + 2), rest.sliced(end + 2) };
}

namespace {

// The value of the declaration's encoding pseudo-attribute, in lower case.
QByteArray declaredEncoding(QByteArrayView declaration)
{
    qsizetype at = 0;
    while ((at = declaration.indexOf("encoding", at)) > 0) {
        const bool separate = isSpace(declaration[at - 1]);
        at += 8;
        qsizetype i = at;
        while (i < declaration.size() && isSpace(declaration[i]))
            ++i;
        if (!separate || i >= declaration.size() || declaration[i] != '=')
            continue;
        ++i;
        while (i < declaration.size() && isSpace(declaration[i]))
            ++i;
        if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
            return {};
        const qsizetype close = declaration.indexOf(declaration[i], i + 1);
        if (close < 0)
            return {};
        return declaration.sliced(i + 1, close - i - 1).toByteArray().toLower();
    }
    return {};
}

// The encoder puts '?' for a character that GBK lacks, maps a few to look-alikes
// and drops invisible ones (U+FEFF): only reading the bytes back tells.
bool encodesWithoutLoss(QStringView text, const QByteArray &encoded)
{
    return Gbk::decode(encoded) == text;
}

} // namespace

bool declaresGbk(QByteArrayView declaration)
{
    const QByteArray name = declaredEncoding(declaration);
    return name == "gb2312" || name == "gbk" || name == "gb18030" || name == "cp936";
}

bool gbkCanHold(const char *utf8)
{
    for (const char *p = utf8; *p; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) {
            const QString text = fromUtf8(utf8);
            return encodesWithoutLoss(text, Gbk::encode(text));
        }
    }
    return true;
}

QByteArray encodeGbk(const QString &text)
{
    QByteArray out = Gbk::encode(text);
    if (encodesWithoutLoss(text, out))
        return out;
    out.clear();
    const QStringView all(text);
    qsizetype i = 0;
    while (i < all.size()) {
        qsizetype end = i;
        while (end < all.size() && all[end].unicode() < 0x80)
            ++end;
        while (end < all.size() && all[end].unicode() >= 0x80)
            ++end;
        const QStringView run = all.sliced(i, end - i);
        const QByteArray bytes = Gbk::encode(run);
        if (encodesWithoutLoss(run, bytes)) {
            out += bytes;
            i = end;
            continue;
        }
        // Character by character through this run.
        while (i < end) {
            const qsizetype len = (all[i].isHighSurrogate() && i + 1 < end && all[i + 1].isLowSurrogate()) ? 2 : 1;
            const QStringView one = all.sliced(i, len);
            const QByteArray b = Gbk::encode(one);
            if (encodesWithoutLoss(one, b) || one[0] == QChar::ReplacementCharacter
                || (len == 1 && one[0].isSurrogate()))
                out += b;
            else
                out += "&#" + QByteArray::number(len == 2 ? QChar::surrogateToUcs4(one[0], one[1]) : one[0].unicode())
                    + ';';
            i += len;
        }
    }
    return out;
}

bool isValidName(const QString &name)
{
    if (name.isEmpty() || !name.isValidUtf16())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u >= 0x80)
            continue;
        const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':';
        const bool other = (u >= '0' && u <= '9') || u == '-' || u == '.';
        if (!letter && (!other || i == 0))
            return false;
    }
    return true;
}

} // namespace XmlText

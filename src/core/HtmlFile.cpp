#include "core/HtmlFile.h"

#include "core/Gbk.h"

#include <QFile>
#include <QSaveFile>
#include <vector>

namespace {

// Tags we rewrite are short; a '<' whose tag does not close within this many
// bytes is left as text (bounds the work per byte on hostile input).
constexpr qsizetype kMaxTagBytes = 1024;
// "&#1114111;" is the longest entity we know.
constexpr qsizetype kMaxEntityBytes = 12;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// True when s[at] starts the tag "<name" (name given in lower case, may begin
// with '/'), followed by a blank, '/' or '>'.
bool isTag(QByteArrayView s, qsizetype at, QByteArrayView name)
{
    const qsizetype after = at + 1 + name.size();
    if (after >= s.size() || s[at] != '<')
        return false;
    const char next = s[after];
    return equalsNoCase(s.sliced(at + 1, name.size()), name) && (isSpace(next) || next == '/' || next == '>');
}

struct Attribute
{
    QByteArrayView name;
    qsizetype begin = 0; // the whole attribute, name to end of value
    qsizetype end = 0;
    QByteArrayView value;
};

struct Tag
{
    qsizetype end = 0; // the closing '>'
    std::vector<Attribute> attrs;
};

// Parses the attributes of the tag whose name ends at s[nameEnd], the way a
// browser does: quotes count only around a value, an unquoted value ends at a
// blank or '>'. Nothing when the tag does not close before s[limit].
std::optional<Tag> parseTag(QByteArrayView s, qsizetype nameEnd, qsizetype limit)
{
    const qsizetype n = qMin(s.size(), limit);
    Tag tag;
    qsizetype i = nameEnd;
    while (i < n) {
        if (s[i] == '>') {
            tag.end = i;
            return tag;
        }
        if (isSpace(s[i]) || s[i] == '/') {
            ++i;
            continue;
        }
        Attribute a;
        a.begin = i++; // a leading '=' belongs to the name
        while (i < n && !isSpace(s[i]) && s[i] != '/' && s[i] != '>' && s[i] != '=')
            ++i;
        a.name = s.sliced(a.begin, i - a.begin);
        qsizetype j = i;
        while (j < n && isSpace(s[j]))
            ++j;
        if (j < n && s[j] == '=') {
            ++j;
            while (j < n && isSpace(s[j]))
                ++j;
            if (j < n && (s[j] == '"' || s[j] == '\'')) {
                qsizetype close = j + 1;
                while (close < n && s[close] != s[j])
                    ++close;
                if (close >= n)
                    return std::nullopt;
                a.value = s.sliced(j + 1, close - j - 1);
                i = close + 1;
            } else {
                const qsizetype v = j;
                while (j < n && !isSpace(s[j]) && s[j] != '>')
                    ++j;
                a.value = s.sliced(v, j - v);
                i = j;
            }
        }
        a.end = i;
        tag.attrs.push_back(a);
    }
    return std::nullopt;
}

const Attribute *findAttribute(const std::vector<Attribute> &attrs, QByteArrayView name)
{
    for (const Attribute &a : attrs)
        if (equalsNoCase(a.name, name))
            return &a;
    return nullptr;
}

QByteArray encodeCodePoint(char32_t cp)
{
    return Gbk::encode(QString::fromUcs4(&cp, 1));
}

// The code point of "&#digits;" (decimal) or "&#xdigits;" (hexadecimal).
std::optional<char32_t> parseCharRef(QByteArrayView digits, bool hex)
{
    if (digits.isEmpty() || digits.size() > 7)
        return std::nullopt;
    char32_t v = 0;
    for (char c : digits) {
        const char l = lower(c);
        int d = -1;
        if (l >= '0' && l <= '9')
            d = l - '0';
        else if (hex && l >= 'a' && l <= 'f')
            d = l - 'a' + 10;
        if (d < 0)
            return std::nullopt;
        v = v * (hex ? 16 : 10) + static_cast<char32_t>(d);
    }
    if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return std::nullopt;
    return v;
}

// The GBK bytes of the entity "&name;", or nothing for an unknown one.
std::optional<QByteArray> decodeEntity(QByteArrayView name)
{
    if (name.startsWith('#')) {
        const bool hex = name.size() > 1 && lower(name[1]) == 'x';
        const std::optional<char32_t> cp = parseCharRef(name.sliced(hex ? 2 : 1), hex);
        if (!cp)
            return std::nullopt;
        return encodeCodePoint(*cp == 0xA0 ? U' ' : *cp);
    }
    static const struct
    {
        const char *name;
        char32_t cp;
    } kNamed[] = {
        { "amp", U'&' },
        { "lt", U'<' },
        { "gt", U'>' },
        { "quot", U'"' },
        { "apos", U'\'' },
        { "nbsp", U' ' },
        { "copy", U'\u00A9' },
        { "reg", U'\u00AE' },
        { "middot", U'\u00B7' },
        { "times", U'\u00D7' },
        { "mdash", U'\u2014' },
        { "lsquo", U'\u2018' },
        { "rsquo", U'\u2019' },
        { "ldquo", U'\u201C' },
        { "rdquo", U'\u201D' },
        { "hellip", U'\u2026' },
    };
    for (const auto &e : kNamed)
        if (name == QByteArrayView(e.name))
            return encodeCodePoint(e.cp);
    return std::nullopt;
}

// Decodes the entity at s[at] ('&') into out; returns the index after it, or
// -1 when there is no known entity there.
qsizetype appendEntity(QByteArray &out, QByteArrayView s, qsizetype at)
{
    const qsizetype limit = qMin(s.size(), at + kMaxEntityBytes);
    for (qsizetype i = at + 1; i < limit; ++i) {
        if (s[i] != ';')
            continue;
        const std::optional<QByteArray> bytes = decodeEntity(s.sliced(at + 1, i - at - 1));
        if (!bytes)
            return -1;
        out += *bytes;
        return i + 1;
    }
    return -1;
}

QByteArray decodeEntities(QByteArrayView s)
{
    QByteArray out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size();) {
        const qsizetype next = s[i] == '&' ? appendEntity(out, s, i) : -1;
        if (next < 0)
            out += s[i++];
        else
            i = next;
    }
    return out;
}

// Handles the tag at s[at] ('<') when it is one we rewrite; returns the index
// after what was consumed, or -1 to keep the '<' as text.
qsizetype appendTag(QByteArray &out, QByteArrayView s, qsizetype at)
{
    const qsizetype limit = at + kMaxTagBytes;
    if (isTag(s, at, "br")) {
        const std::optional<Tag> br = parseTag(s, at + 3, limit);
        if (!br)
            return -1;
        out += "\r\n";
        return br->end + 1;
    }
    if (isTag(s, at, "/a")) {
        const std::optional<Tag> close = parseTag(s, at + 3, limit);
        return close ? close->end + 1 : -1;
    }
    if (!isTag(s, at, "a"))
        return -1;
    const std::optional<Tag> link = parseTag(s, at + 2, limit);
    if (!link)
        return -1;
    // A link without text stands for its address.
    qsizetype content = link->end + 1;
    while (content < s.size() && isSpace(s[content]))
        ++content;
    if (isTag(s, content, "/a")) {
        if (const std::optional<Tag> close = parseTag(s, content + 3, content + kMaxTagBytes)) {
            if (const Attribute *href = findAttribute(link->attrs, "href"))
                out += decodeEntities(href->value);
            return close->end + 1;
        }
    }
    return link->end + 1;
}

std::optional<QByteArray> readHtmlFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxHtmlFileBytes)
        return std::nullopt;
    QByteArray data = f.read(kMaxHtmlFileBytes + 1);
    if (f.error() != QFileDevice::NoError || data.size() > kMaxHtmlFileBytes)
        return std::nullopt;
    return data;
}

bool writeHtmlFile(const QString &path, const QByteArray &data)
{
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit();
}

} // namespace

QByteArray NormalizeHtml(QByteArrayView s)
{
    QByteArray out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size();) {
        qsizetype next = -1;
        if (s[i] == '<')
            next = appendTag(out, s, i);
        else if (s[i] == '&')
            next = appendEntity(out, s, i);
        if (next < 0)
            out += s[i++];
        else
            i = next;
    }
    return out;
}

std::optional<QByteArray> SetHtmlBodyBackground(QByteArrayView s, quint32 colorRef)
{
    // COLORREF is 0x00BBGGRR; HTML wants #RRGGBB.
    const quint32 rgb = ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
    const QByteArray attr = "bgcolor=\"#" + QByteArray::number(rgb, 16).toUpper().rightJustified(6, '0') + '"';
    for (qsizetype i = 0; i < s.size();) {
        const qsizetype lt = s.indexOf('<', i);
        if (lt < 0)
            return std::nullopt;
        if (s.sliced(lt).startsWith("<!--")) {
            const qsizetype close = s.indexOf("-->", lt + 4);
            if (close < 0)
                return std::nullopt;
            i = close + 3;
            continue;
        }
        if (!isTag(s, lt, "body")) {
            i = lt + 1;
            continue;
        }
        const qsizetype nameEnd = lt + 5;
        const std::optional<Tag> body = parseTag(s, nameEnd, s.size());
        if (!body)
            return std::nullopt;
        QByteArray out;
        out.reserve(s.size() + attr.size() + 1);
        if (const Attribute *old = findAttribute(body->attrs, "bgcolor"))
            out.append(s.first(old->begin)).append(attr).append(s.sliced(old->end));
        else
            out.append(s.first(nameEnd)).append(' ').append(attr).append(s.sliced(nameEnd));
        return out;
    }
    return std::nullopt;
}

bool NormalizeHtmlFile(const QString &path)
{
    const std::optional<QByteArray> data = readHtmlFile(path);
    if (!data)
        return false;
    const QByteArray normal = NormalizeHtml(*data);
    return normal == *data || writeHtmlFile(path, normal);
}

bool UpdateHtmlBackgroundColor(const QString &path, quint32 colorRef)
{
    const std::optional<QByteArray> data = readHtmlFile(path);
    if (!data)
        return false;
    const std::optional<QByteArray> page = SetHtmlBodyBackground(*data, colorRef);
    return page && *page != *data && writeHtmlFile(path, *page);
}

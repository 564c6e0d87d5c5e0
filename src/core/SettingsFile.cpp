#include "core/SettingsFile.h"

#include <QStringDecoder>

namespace SettingsFile {

namespace {

const QLatin1StringView kIntPrefix("@Int(");
const QLatin1StringView kBytesPrefix("@Bytes(");

bool needsEscape(QChar c, bool isName, bool atEdge, bool first)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || u == u'\\')
        return true;
    if (atEdge && (u == u' ' || u == u'\t'))
        return true;
    if (first && (u == u'@' || u == u';' || u == u'['))
        return true;
    return isName && (u == u'=' || u == u'[' || u == u']' || u == u'/');
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<QVariant> decodeValue(QStringView text)
{
    if (text.startsWith(kIntPrefix)) {
        if (!text.endsWith(QLatin1Char(')')))
            return std::nullopt;
        bool ok = false;
        const qlonglong v = text.mid(kIntPrefix.size(), text.size() - kIntPrefix.size() - 1).toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    if (text.startsWith(kBytesPrefix)) {
        if (!text.endsWith(QLatin1Char(')')))
            return std::nullopt;
        const QStringView hex = text.mid(kBytesPrefix.size(), text.size() - kBytesPrefix.size() - 1);
        if (hex.size() % 2 != 0)
            return std::nullopt;
        QByteArray bytes(hex.size() / 2, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const int hi = hexValue(hex[2 * i]), lo = hexValue(hex[2 * i + 1]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            bytes[i] = static_cast<char>(hi * 16 + lo);
        }
        return QVariant(bytes);
    }
    if (text.startsWith(QLatin1Char('@')))
        return std::nullopt; // a type this program does not know
    if (const auto s = unescape(text))
        return QVariant(*s);
    return std::nullopt;
}

QString encodeValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return kIntPrefix + QString::number(v.toLongLong()) + QLatin1Char(')');
    case QMetaType::QByteArray:
        return kBytesPrefix + QString::fromLatin1(v.toByteArray().toHex()) + QLatin1Char(')');
    case QMetaType::QStringList:
        return escape(v.toStringList().join(QLatin1Char(',')), false);
    default:
        return escape(v.toString(), false);
    }
}

// A section path: components separated by '/', none empty.
std::optional<QString> decodeSection(QStringView inner)
{
    if (inner.isEmpty())
        return QString();
    QStringList parts;
    for (QStringView part : inner.split(QLatin1Char('/'))) {
        const auto name = unescape(part);
        if (!name || name->isEmpty())
            return std::nullopt;
        parts.append(*name);
    }
    return parts.join(QLatin1Char('/'));
}

QString encodeSection(const QString &path)
{
    QStringList parts = path.split(QLatin1Char('/'));
    for (QString &p : parts)
        p = escape(p, true);
    return QLatin1Char('[') + parts.join(QLatin1Char('/')) + QLatin1Char(']');
}

QStringView asciiTrimmed(QStringView s)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r'); };
    while (!s.isEmpty() && blank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && blank(s.back()))
        s.chop(1);
    return s;
}

} // namespace

QString escape(QStringView text, bool isName)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\\\");
        } else if (needsEscape(c, isName, i == 0 || i == text.size() - 1, i == 0) && c.unicode() < 0x100) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QString> unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\')) {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            i += 1;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == QLatin1Char('x')) {
            const int hi = hexValue(text[i + 2]), lo = hexValue(text[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out += QChar(char16_t(hi * 16 + lo));
                i += 3;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}

ParseResult parse(QByteArrayView data)
{
    ParseResult result;
    if (data.size() > MaxFileBytes) {
        result.status = Status::TooLarge;
        return result;
    }
    QString section;
    bool sectionValid = true;
    qsizetype pos = data.startsWith("\xef\xbb\xbf") ? 3 : 0; // a byte-order mark written by an editor
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = data.size();
        QByteArrayView raw = data.sliced(pos, end - pos);
        pos = end + 1;

        QStringDecoder utf8(
            QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString decoded = utf8.decode(raw);
        const QStringView line = asciiTrimmed(decoded);
        if (utf8.hasError()) {
            ++result.badLines;
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const auto s
                = line.endsWith(QLatin1Char(']')) ? decodeSection(line.sliced(1, line.size() - 2)) : std::nullopt;
            sectionValid = s.has_value();
            if (s)
                section = *s;
            else
                ++result.badLines;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const auto name = eq > 0 ? unescape(asciiTrimmed(line.first(eq))) : std::nullopt;
        const auto value = eq > 0 ? decodeValue(asciiTrimmed(line.sliced(eq + 1))) : std::nullopt;
        if (!sectionValid || !name || name->isEmpty() || name->contains(QLatin1Char('/')) || !value) {
            ++result.badLines;
            continue;
        }
        if (result.values.size() >= MaxKeys) {
            result.status = Status::TooLarge;
            return result;
        }
        result.values.insert(section.isEmpty() ? *name : section + QLatin1Char('/') + *name, *value);
    }
    if (result.badLines > 0)
        result.status = Status::BadLines;
    return result;
}

QByteArray serialize(const ValueMap &values)
{
    QString out = QStringLiteral("; Kwel settings\n");
    QString current;
    // Root values first, then one block per section.
    for (int pass = 0; pass < 2; ++pass) {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
            if ((slash < 0) != (pass == 0))
                continue;
            const QString section = slash < 0 ? QString() : it.key().first(slash);
            if (pass == 1 && section != current) {
                current = section;
                out += QLatin1Char('\n') + encodeSection(section) + QLatin1Char('\n');
            }
            out += escape(QStringView(it.key()).sliced(slash + 1), true) + QLatin1Char('=') + encodeValue(it.value())
                + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

} // namespace SettingsFile

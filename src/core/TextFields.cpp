#include "core/TextFields.h"

#include "core/Gbk.h"

namespace {

// Position of the separator at or after `from` (a character boundary).
qsizetype findSeparator(QStringView text, QStringView separator, qsizetype from)
{
    return text.indexOf(separator, from);
}

qsizetype findSeparator(QByteArrayView text, QByteArrayView separator, qsizetype from)
{
    qsizetype i = from;
    while (i + separator.size() <= text.size()) {
        if (text.sliced(i).startsWith(separator))
            return i;
        i += (Gbk::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    }
    return -1;
}

QString owned(QStringView v)
{
    return v.toString();
}
QByteArray owned(QByteArrayView v)
{
    return v.toByteArray();
}
QString trimmed(QStringView v)
{
    return v.trimmed().toString();
}
QByteArray trimmed(QByteArrayView v)
{
    return v.trimmed().toByteArray();
}

// Start of the text after the n-th separator (n >= 1), or -1.
template <typename View> qsizetype afterOccurrence(View text, View separator, int n, qsizetype *at = nullptr)
{
    qsizetype pos = 0;
    qsizetype found = -1;
    for (int k = 0; k < n; ++k) {
        found = findSeparator(text, separator, pos);
        if (found < 0)
            return -1;
        pos = found + separator.size();
    }
    if (at)
        *at = found;
    return pos;
}

template <typename View> auto delimited(View text, View separator, int i, int j) -> std::optional<decltype(owned(text))>
{
    if (separator.isEmpty() || i < 0 || j == 0 || j < -1 || (j > 0 && i >= j))
        return std::nullopt;
    const qsizetype begin = i == 0 ? 0 : afterOccurrence(text, separator, i);
    if (begin < 0)
        return std::nullopt;
    qsizetype end = text.size();
    if (j > 0) {
        // Continue from the i-th occurrence: the j-th lies beyond it.
        const qsizetype next = afterOccurrence(text.sliced(begin), separator, j - i, &end);
        if (next < 0)
            return std::nullopt;
        end += begin;
    }
    return owned(text.sliced(begin, end - begin));
}

template <typename View, typename Char>
auto nextToken(View text, Char separator, qsizetype &position) -> std::optional<decltype(owned(text))>
{
    if (position < 0 || position >= text.size()) {
        position = text.size();
        return std::nullopt;
    }
    if (separator == Char(0)) {
        const auto rest = owned(text.sliced(position));
        position = text.size();
        return rest;
    }
    while (position < text.size() && text[position] == separator)
        ++position;
    if (position >= text.size())
        return std::nullopt;
    qsizetype end = findSeparator(text, View(&separator, 1), position);
    if (end < 0)
        end = text.size();
    const auto token = owned(text.sliced(position, end - position));
    position = end < text.size() ? end + 1 : end;
    return token;
}

template <typename View, typename List> void split(View text, View separator, bool trim, List &out)
{
    if (text.isEmpty())
        return;
    qsizetype pos = 0;
    while (true) {
        const qsizetype found = separator.isEmpty() ? -1 : findSeparator(text, separator, pos);
        const qsizetype end = found < 0 ? text.size() : found;
        const View piece = text.sliced(pos, end - pos);
        if (found >= 0 || !piece.isEmpty())
            out.append(trim ? trimmed(piece) : owned(piece));
        if (found < 0)
            break;
        pos = found + separator.size();
    }
}

} // namespace

std::optional<QString> GetDelimitedFields(QStringView text, QStringView separator, int i, int j)
{
    return delimited(text, separator, i, j);
}

std::optional<QByteArray> GetDelimitedFields(QByteArrayView text, QByteArrayView separator, int i, int j)
{
    return delimited(text, separator, i, j);
}

std::optional<QString> SplitNextToken(QStringView text, QChar separator, qsizetype &position)
{
    return nextToken(text, separator, position);
}

std::optional<QByteArray> SplitNextToken(QByteArrayView text, char separator, qsizetype &position)
{
    return nextToken(text, separator, position);
}

QStringList SplitString(QStringView text, QStringView separator, bool trim)
{
    QStringList out;
    split(text, separator, trim, out);
    return out;
}

QList<QByteArray> SplitString(QByteArrayView text, QByteArrayView separator, bool trim)
{
    QList<QByteArray> out;
    split(text, separator, trim, out);
    return out;
}

void ReplaceDoubleColons(QString &text)
{
    text.replace(QLatin1String("::"), QLatin1String(";"));
}

void ReplaceDoubleColons(QByteArray &text)
{
    // ':' is never the trail byte of a double-byte character.
    text.replace(QByteArrayView("::"), QByteArrayView(";"));
}

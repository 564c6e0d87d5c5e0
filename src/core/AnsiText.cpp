#include "core/AnsiText.h"

#include "core/Gbk.h"

#include <cstring>

namespace {

QByteArrayView untilNul(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.first(nul);
}

} // namespace

qsizetype CopyStringBounded(char *destination, qsizetype size, QByteArrayView source)
{
    if (!destination || size < 1)
        return 0;
    const QByteArrayView text = untilNul(source);
    const qsizetype n = Gbk::charBoundary(text, size - 1);
    if (n > 0)
        std::memmove(destination, text.data(), static_cast<size_t>(n));
    destination[n] = '\0';
    return n;
}

QByteArray CopyStringBounded(QByteArrayView source, qsizetype size)
{
    if (size < 1)
        return {};
    return Gbk::cutBytes(untilNul(source), size - 1);
}

QString CopyStringBounded(QStringView source, qsizetype size)
{
    return Gbk::truncate(source, size - 1);
}

bool HasDoubleByteChars(QByteArrayView gbk)
{
    for (char c : gbk)
        if (Gbk::isLeadByte(static_cast<unsigned char>(c)))
            return true;
    return false;
}

bool HasDoubleByteChars(QStringView text)
{
    return HasDoubleByteChars(Gbk::encode(text));
}

QByteArray Utf8ToAnsiString(QByteArrayView utf8)
{
    return Gbk::encode(QString::fromUtf8(utf8));
}

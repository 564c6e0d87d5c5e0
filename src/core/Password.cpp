#include "core/Password.h"

#include "core/Gbk.h"

QByteArray ScramblePassword(QByteArrayView plain)
{
    QByteArray out;
    out.reserve(plain.size());
    for (char c : plain) {
        if (c == '\0')
            break;
        const char s = static_cast<char>(~static_cast<unsigned char>(c) & 0x7F);
        if (s == 0)
            break;
        out.append(s);
    }
    return out;
}

QByteArray ScramblePassword(QStringView plain)
{
    return ScramblePassword(Gbk::encode(plain));
}

std::optional<QByteArray> ScrambleForField(QStringView plain)
{
    if (!Gbk::uncarried(plain).isEmpty())
        return std::nullopt;
    // Scrambled bytes are all below 0x80: any cut is a character boundary.
    return ScramblePassword(plain).left(kScrambledFieldBytes - 1);
}

bool VerifyScrambledPassword(QByteArrayView typed, QByteArrayView stored)
{
    const qsizetype nul = stored.indexOf('\0');
    return ScramblePassword(typed).left(kScrambledFieldBytes - 1) == (nul < 0 ? stored : stored.first(nul));
}

bool VerifyScrambledPassword(QStringView typed, QByteArrayView stored)
{
    return Gbk::uncarried(typed).isEmpty() && VerifyScrambledPassword(Gbk::encode(typed), stored);
}

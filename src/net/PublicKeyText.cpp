#include "net/PublicKeyText.h"

#include "core/HexText.h"
#include "core/crypto/CryptoBlobs.h"
#include "core/crypto/RsaKeys.h"

namespace {

constexpr qsizetype kMaxWordDigits = 8;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

qsizetype hexRun(QByteArrayView text)
{
    qsizetype n = 0;
    while (n < text.size() && isHexDigit(text[n]))
        ++n;
    return n;
}

// A 32-bit word of 1..8 digits that fills the whole view.
std::optional<quint32> hexWord(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > kMaxWordDigits || hexRun(digits) != digits.size())
        return std::nullopt;
    return quint32(HexToUInt64(digits));
}

} // namespace

QByteArray FormatPublicKeyRequest(quint32 capabilities)
{
    return QByteArray::number(capabilities, 16);
}

std::optional<quint32> ParsePublicKeyRequest(QByteArrayView body)
{
    return hexWord(body.first(hexRun(body)));
}

QByteArray FormatPublicKeyAnswer(quint32 capabilities, const Crypto::RsaPublicKey &key)
{
    return QByteArray::number(capabilities, 16) + ':' + QByteArray::number(key.exponent(), 16) + '-'
        + BytesToHexReversed(key.modulusLittleEndian());
}

PublicKeyTextStatus ParsePublicKeyAnswer(QByteArrayView body, PeerPublicKey &out)
{
    const qsizetype colon = body.indexOf(':');
    const auto capabilities = hexWord(body.first(colon < 0 ? 0 : colon));
    if (!capabilities)
        return PublicKeyTextStatus::BadCapabilities;
    const QByteArrayView rest = body.sliced(colon + 1);
    const qsizetype dash = rest.indexOf('-');
    const auto exponent = hexWord(rest.first(dash < 0 ? 0 : dash));
    if (!exponent)
        return PublicKeyTextStatus::BadExponent;
    const QByteArrayView digits = rest.sliced(dash + 1);
    if (digits.size() % 2 != 0 || digits.size() < Crypto::MinRsaBits / 4 || digits.size() > Crypto::MaxRsaBits / 4
        || hexRun(digits) != digits.size())
        return PublicKeyTextStatus::BadModulus;
    const QByteArray modulus = HexToBytesReversed(digits, digits.size() / 2);
    if (Crypto::checkRsaPublicKey(modulus, *exponent) != Crypto::BlobStatus::Ok)
        return PublicKeyTextStatus::BadKey;
    out.key = modulus;
    out.exponent = *exponent;
    out.capabilities = *capabilities;
    return PublicKeyTextStatus::Ok;
}

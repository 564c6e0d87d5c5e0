#include "net/MessageCrypto.h"

#include "core/CBlowfish.h"
#include "core/HexText.h"
#include "core/crypto/CryptoBlobs.h"
#include "core/crypto/CryptoProvider.h"
#include "core/crypto/Rc2SessionKey.h"
#include "core/crypto/RsaKeys.h"
#include "net/Commands.h"
#include "net/PacketCodec.h"

namespace {

// The error codes CryptoAPI reports for what went wrong, shown in the
// message's place as the Windows peers show them.
constexpr quint32 NTE_BAD_DATA = 0x80090005;
constexpr quint32 NTE_BAD_ALGID = 0x80090008;
constexpr quint32 NTE_NO_KEY = 0x8009000D;
constexpr quint32 NTE_BAD_LEN = 0x80090004;
constexpr quint32 NTE_BAD_PUBLIC_KEY = 0x80090015;
constexpr quint32 NTE_FAIL = 0x80090020;

constexpr qsizetype kMaxSessionKeyBytes = 1024;
constexpr qsizetype kMaxRc2BlobKeyBytes = 1012;
constexpr qsizetype kMaxCipherBytes = 16384;

bool allHexDigits(QByteArrayView text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

// The bytes of a hex field of at most maxBytes bytes; none when the field is
// not hexadecimal or too long.
std::optional<QByteArray> hexField(QByteArrayView text, qsizetype maxBytes, bool reversed)
{
    if (text.isEmpty() || text.size() % 2 != 0 || text.size() / 2 > maxBytes || !allHexDigits(text))
        return std::nullopt;
    return reversed ? HexToBytesReversed(text, maxBytes) : HexToBytes(text, maxBytes);
}

DecryptedMessage failure(CryptStatus status, quint32 mode, const char *call, quint32 code)
{
    DecryptedMessage out;
    out.status = status;
    out.mode = mode;
    out.text = QByteArray(call) + " Err(" + QByteArray::number(code, 16).toUpper() + ')';
    return out;
}

QByteArray upToNul(const QByteArray &text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}

} // namespace

quint32 ChooseEncryptionMode(quint32 ownCapabilities, quint32 peerCapabilities, qsizetype peerKeyBytes)
{
    const quint32 common = ownCapabilities & peerCapabilities;
    const bool blowfish = (common & CAP_RSA_1024) && (common & CAP_BLOWFISH_128);
    const bool rc2 = (common & CAP_RSA_512) && (common & CAP_RC2_40);
    if (blowfish && !(rc2 && peerKeyBytes == 512 / 8))
        return kModeBlowfish1024;
    return rc2 ? kModeRc2512 : 0;
}

qsizetype EncryptedBodyLength(qsizetype plainBytes, qsizetype keyBytes)
{
    // "MODE:" (at most 8 digits), the key, ':', the padded cipher of text + NUL.
    const qsizetype cipher = ((plainBytes + 1) / 8 + 1) * 8;
    return 9 + 2 * keyBytes + 1 + 2 * cipher;
}

CryptStatus EncryptMessageBody(const OwnKeyState &own, const PeerPublicKey &peer, QByteArrayView plainText,
    QByteArray &outBody, quint32 *outMode, CryptFailure *failure)
{
    const auto fail = [failure](CryptStatus status, const char *call, quint32 code) {
        if (failure)
            *failure = { QString::fromLatin1(call), code };
        return status;
    };
    if (!own.ready())
        return fail(CryptStatus::NoOwnKey, "CryptAcquireContext", NTE_NO_KEY);
    const quint32 mode = ChooseEncryptionMode(own.capabilities(), peer.capabilities, peer.key.size());
    if (mode == 0)
        return CryptStatus::NoCommonMode;
    const auto peerKey = Crypto::RsaPublicKey::fromModulus(peer.key, peer.exponent);
    if (!peerKey)
        return fail(CryptStatus::BadPeerKey, "CryptImportKey", NTE_BAD_PUBLIC_KEY);
    QByteArray plain = PacketCodec::StripCarriageReturns(plainText);
    if (plain.size() + 1 > kMaxEncryptedPlain)
        return fail(CryptStatus::TooLong, "CryptEncrypt", NTE_BAD_LEN);
    plain.append('\0');

    std::optional<QByteArray> sessionKey; // as it goes on the wire, little-endian
    std::optional<QByteArray> cipher;
    if (mode & CAP_BLOWFISH_128) {
        const auto key = Crypto::randomBytes(CBlowfish::ChatKeyLength);
        if (!key)
            return fail(CryptStatus::CipherFailed, "CryptGenRandom", NTE_FAIL);
        sessionKey = peerKey->encrypt(*key);
        if (!sessionKey)
            return fail(CryptStatus::CipherFailed, "CryptEncrypt", NTE_BAD_DATA);
        cipher = CBlowfish(*key).encrypt(plain, CBlowfish::ChatMode);
        if (!cipher)
            return fail(CryptStatus::CipherFailed, "CryptEncrypt", NTE_FAIL);
    } else {
        const auto key = Crypto::Rc2SessionKey::generate();
        if (!key)
            return fail(CryptStatus::CipherFailed, "CryptGenKey", NTE_BAD_ALGID);
        const auto blob = peerKey->exportSimpleBlob(Crypto::CALG_RC2, key->keyMaterial());
        if (!blob)
            return fail(CryptStatus::CipherFailed, "CryptExportKey", NTE_BAD_DATA);
        sessionKey = blob->mid(Crypto::SimpleBlobHeaderSize);
        cipher = key->encrypt(plain);
        if (!cipher)
            return fail(CryptStatus::CipherFailed, "CryptEncrypt RC2", NTE_FAIL);
    }
    outBody
        = QByteArray::number(mode, 16).toUpper() + ':' + BytesToHexReversed(*sessionKey) + ':' + BytesToHex(*cipher);
    if (outMode)
        *outMode = mode;
    return CryptStatus::Ok;
}

DecryptedMessage DecryptMessageBody(const OwnKeyState &own, QByteArrayView body)
{
    DecryptedMessage out;
    out.text = body.toByteArray();
    const qsizetype first = body.indexOf(':');
    const qsizetype second = first < 0 ? -1 : body.indexOf(':', first + 1);
    const QByteArrayView modeText = body.first(first < 0 ? 0 : first);
    if (second < 0 || modeText.isEmpty() || modeText.size() > 8 || !allHexDigits(modeText))
        return out; // Malformed: not an encrypted body
    const quint32 mode = quint32(HexToUInt64(modeText));
    out.mode = mode;
    const QByteArrayView keyText = body.sliced(first + 1, second - first - 1);
    const QByteArrayView cipherText = body.sliced(second + 1);

    const bool blowfish = mode & CAP_BLOWFISH_128;
    if (!blowfish && !(mode & CAP_RC2_40))
        return failure(CryptStatus::UnknownMode, mode, "CryptImportKey", NTE_BAD_ALGID);
    const auto keyBytes = hexField(keyText, blowfish ? kMaxSessionKeyBytes : kMaxRc2BlobKeyBytes, true);
    const Crypto::RsaKeyPair *pair = own.pairForMode(mode, keyBytes ? keyBytes->size() : 0);
    if (!pair)
        return failure(CryptStatus::NoOwnKey, mode, blowfish ? "CryptDecrypt" : "CryptImportKey", NTE_NO_KEY);
    const auto cipher = hexField(cipherText, kMaxCipherBytes, false);

    std::optional<QByteArray> plain;
    if (blowfish) {
        const auto sessionKey = keyBytes ? pair->decrypt(*keyBytes) : std::nullopt;
        if (!sessionKey)
            return failure(CryptStatus::KeyNotDecrypted, mode, "CryptDecrypt", NTE_BAD_DATA);
        const CBlowfish cipherKey(*sessionKey);
        if (!cipherKey.IsValid())
            return failure(CryptStatus::KeyNotDecrypted, mode, "CryptDecrypt", NTE_BAD_DATA);
        if (cipher)
            plain = cipherKey.decrypt(*cipher, CBlowfish::ChatMode);
    } else {
        const auto material = keyBytes
            ? pair->importSimpleBlob(Crypto::buildSimpleBlob(Crypto::CALG_RC2, *keyBytes), Crypto::CALG_RC2)
            : std::nullopt;
        const auto sessionKey = material ? Crypto::Rc2SessionKey::fromKeyMaterial(*material) : std::nullopt;
        if (!sessionKey)
            return failure(CryptStatus::KeyNotDecrypted, mode, "CryptImportKey", NTE_BAD_DATA);
        if (!Crypto::Rc2SessionKey::available())
            return failure(CryptStatus::CipherFailed, mode, "CryptImportKey", NTE_BAD_ALGID);
        if (cipher)
            plain = sessionKey->decrypt(*cipher);
    }
    // Every sender encrypts the text with its NUL: a plain text without one
    // did not decrypt to what was sent.
    if (!plain || !plain->contains('\0'))
        return failure(CryptStatus::TextNotDecrypted, mode, "CryptDecrypt", NTE_BAD_DATA);
    out.status = CryptStatus::Ok;
    out.text = ExpandLineBreaks(upToNul(*plain));
    return out;
}

QByteArray ExpandLineBreaks(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + text.count('\n'));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out.append('\r');
        out.append(text[i]);
    }
    return out;
}

// Encrypted chat message bodies: a fresh session key per message, encrypted
// with the peer's RSA key, and the text encrypted with that session key.
//
//   "%X:%s:" mode (upper-case hex) and the encrypted session key, then the
//   cipher text; both lower-case hex, two digits per byte. The session key's
//   digits run from its last byte to its first (CryptoAPI's little-endian
//   RSA output read as one big number); the cipher text's from first to last.
//
//   mode 0x20002: RSA 1024 + Blowfish 128. The key field is the RSA
//                 encryption of 16 random bytes; the text is Blowfish-CBC.
//   mode 0x1001:  RSA 512 + RC2 40. The key field is a SIMPLEBLOB without its
//                 12-byte header; the text is RC2-CBC.
//
// The plain text is the GBK text without CR characters and with its NUL.
// Both functions are pure and report their outcome as a status.
#pragma once

#include "net/HostRecord.h"
#include "net/OwnKeys.h"

#include <QByteArray>
#include <QString>
#include <QByteArrayView>

inline constexpr quint32 kModeBlowfish1024 = 0x20002;
inline constexpr quint32 kModeRc2512 = 0x1001;
// The longest plain text that is encrypted, its NUL included.
inline constexpr qsizetype kMaxEncryptedPlain = 7680;

enum class CryptStatus {
    Ok,
    NoOwnKey, // no own key pair yet
    NoCommonMode, // neither RSA 1024 + Blowfish 128 nor RSA 512 + RC2 40 on both sides
    BadPeerKey, // the stored public key cannot be used
    TooLong, // the text is longer than kMaxEncryptedPlain with its NUL
    CipherFailed, // random numbers, RSA or the cipher failed
    Malformed, // a received body without its three fields, or not hexadecimal
    UnknownMode, // a received mode with neither Blowfish nor RC2
    KeyNotDecrypted, // the session key does not decrypt with the own pair
    TextNotDecrypted, // the cipher text does not decrypt (length or padding)
};

// The mode for a peer: RSA 1024 + Blowfish 128 when both sides have them,
// else RSA 512 + RC2 40, else 0. A 512-bit peer key with both modes possible
// gives the 512-bit mode, so that the peer decrypts with the pair it sent.
quint32 ChooseEncryptionMode(quint32 ownCapabilities, quint32 peerCapabilities, qsizetype peerKeyBytes = 0);

// The longest body that encrypting plainBytes of text (NUL excluded) for a
// key of keyBytes can give.
qsizetype EncryptedBodyLength(qsizetype plainBytes, qsizetype keyBytes);

// Which step of encrypting failed, named as the Windows peers name the call,
// with the error code they would report.
struct CryptFailure
{
    QString call; // "CryptImportKey", "CryptGenRandom", "CryptEncrypt", "CryptGenKey", "CryptExportKey", ...
    quint32 code = 0;
};

// Encrypts the GBK text for the peer. On success `outBody` holds the body and
// `outMode` the mode; nothing is written otherwise. A failure other than
// NoCommonMode names its step in `failure`.
CryptStatus EncryptMessageBody(const OwnKeyState &own, const PeerPublicKey &peer, QByteArrayView plainText,
    QByteArray &outBody, quint32 *outMode = nullptr, CryptFailure *failure = nullptr);

struct DecryptedMessage
{
    CryptStatus status = CryptStatus::Malformed;
    quint32 mode = 0; // the received mode (the body's first field), 0 when missing
    // Ok: the GBK text with CR LF line breaks. Otherwise what is shown in the
    // message's place: "CryptImportKey Err(%X)" or "CryptDecrypt Err(%X)",
    // or the body itself when it was not an encrypted body at all.
    QByteArray text;
};

// Decrypts a received body with the own pairs; never fails on hostile input
// other than by its status.
DecryptedMessage DecryptMessageBody(const OwnKeyState &own, QByteArrayView body);

// Every LF without a CR before it becomes CR LF.
QByteArray ExpandLineBreaks(QByteArrayView text);

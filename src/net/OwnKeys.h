// The user's own RSA exchange key pairs: a 512-bit pair (RSA 512 with RC2 40)
// and a 1024-bit pair (RSA 1024 with Blowfish 128), their capability words,
// and the file that keeps them between runs.
//
// The key file holds the two pairs as unencrypted PKCS#8 PEM blocks. It is
// written with mode 0600 (through a new file renamed over the old one) and is
// only read when it is a regular file of the user's own with no permission
// bits for group or others: a file that others could read or change may hold
// keys somebody else knows, so it is refused and new keys are made.
#pragma once

#include "core/crypto/RsaKeys.h"

#include <QString>
#include <optional>

struct OwnKeyState
{
    std::optional<Crypto::RsaKeyPair> pair512;
    std::optional<Crypto::RsaKeyPair> pair1024;

    // Capability words of the two pairs (RC2 only when the legacy provider
    // is there) and their union: 0x1001, 0x20002 and 0x21003.
    static quint32 capabilities512();
    static quint32 capabilities1024();
    quint32 capabilities() const;

    bool ready() const { return pair512.has_value() || pair1024.has_value(); }
    bool ready1024() const { return pair1024.has_value(); }

    // The pair that decrypts what was encrypted for `mode`: the 1024-bit pair
    // when the mode has RSA 1024 and that pair exists, else the 512-bit pair;
    // when that pair's modulus is not `keyBytes` long but the other one's is,
    // the other (a peer may have paired key and mode differently).
    const Crypto::RsaKeyPair *pairForMode(quint32 mode, qsizetype keyBytes) const;
};

enum class KeyFileStatus {
    Ok,
    Missing, // no file at the path
    NotRegular, // a symbolic link, folder, device...
    NotOwned, // another user's file
    NotPrivate, // group or others have permission bits
    Unreadable,
    Malformed, // no 512-bit and 1024-bit pair in it
    WriteFailed,
};

// Reads both pairs from the key file after the checks above.
KeyFileStatus LoadOwnKeys(const QString &path, OwnKeyState &out);
// Writes both pairs (the ones present) to the key file with mode 0600.
KeyFileStatus SaveOwnKeys(const QString &path, const OwnKeyState &keys);

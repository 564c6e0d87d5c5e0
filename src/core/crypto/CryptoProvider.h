// The OpenSSL side of the program's cryptography: one library context with the
// "default" provider (RSA, random numbers) and the "legacy" provider (RC2,
// which the encrypted chat messages of 512-bit peers still use). The context is
// private to this layer, so loading the legacy provider changes nothing for
// other users of OpenSSL in the process.
#pragma once

#include <QByteArray>
#include <openssl/types.h>
#include <optional>

namespace Crypto {

// The shared library context; created on first use, thread-safe.
OSSL_LIB_CTX *libraryContext();

// True when the legacy provider could be loaded (RC2 is unavailable otherwise).
bool legacyAvailable();

// count bytes from the cryptographically secure generator (CryptGenRandom);
// nothing when count is negative or the generator fails.
std::optional<QByteArray> randomBytes(int count);

} // namespace Crypto

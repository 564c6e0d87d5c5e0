#include "core/crypto/Rc2SessionKey.h"

#include "core/crypto/CryptoProvider.h"
#include "core/crypto/OpenSslPtr.h"

#include <openssl/core_names.h>

#include <climits>

namespace Crypto {

namespace {

constexpr int BlockSize = 8;

const EVP_CIPHER *rc2Cbc()
{
    static const CipherPtr cipher(legacyAvailable() ? EVP_CIPHER_fetch(libraryContext(), "RC2-CBC", nullptr) : nullptr);
    return cipher.get();
}

} // namespace

bool Rc2SessionKey::available()
{
    return rc2Cbc() != nullptr;
}

std::optional<Rc2SessionKey> Rc2SessionKey::generate()
{
    std::optional<QByteArray> material = randomBytes(DefaultKeyLength);
    if (!material)
        return failed();
    return Rc2SessionKey(std::move(*material));
}

std::optional<Rc2SessionKey> Rc2SessionKey::fromKeyMaterial(QByteArrayView material)
{
    if (material.size() < MinKeyLength || material.size() > MaxKeyLength)
        return failed();
    return Rc2SessionKey(material.toByteArray());
}

QByteArray Rc2SessionKey::scheduleKey() const
{
    if (m_material.size() == DefaultKeyLength)
        return QByteArray(m_material).append(QByteArray(SaltLength, '\0'));
    return m_material;
}

int Rc2SessionKey::effectiveBits() const
{
    return int(m_material.size()) * 8;
}

std::optional<QByteArray> Rc2SessionKey::encrypt(QByteArrayView plain) const
{
    return run(plain, true);
}

std::optional<QByteArray> Rc2SessionKey::decrypt(QByteArrayView cipher) const
{
    if (cipher.isEmpty() || cipher.size() % BlockSize != 0)
        return failed();
    return run(cipher, false);
}

std::optional<QByteArray> Rc2SessionKey::run(QByteArrayView input, bool encrypting) const
{
    const EVP_CIPHER *cipher = rc2Cbc();
    if (!cipher || input.size() > INT_MAX - 2 * BlockSize)
        return failed();
    const QByteArray key = scheduleKey();
    const unsigned char iv[BlockSize] = {};
    const int enc = encrypting ? 1 : 0;
    std::size_t keyBits = std::size_t(effectiveBits());
    const OSSL_PARAM params[]
        = { OSSL_PARAM_construct_size_t(OSSL_CIPHER_PARAM_RC2_KEYBITS, &keyBits), OSSL_PARAM_construct_end() };
    // The key length and the effective bits must be in place before the key
    // schedule runs, hence the two-step initialisation.
    CipherCtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex2(ctx.get(), cipher, nullptr, nullptr, enc, nullptr) != 1
        || EVP_CIPHER_CTX_set_key_length(ctx.get(), int(key.size())) != 1
        || EVP_CIPHER_CTX_set_params(ctx.get(), params) != 1
        || EVP_CipherInit_ex2(
               ctx.get(), nullptr, reinterpret_cast<const unsigned char *>(key.constData()), iv, enc, nullptr)
            != 1)
        return failed();
    QByteArray out(input.size() + BlockSize, '\0');
    auto *outData = reinterpret_cast<unsigned char *>(out.data());
    int written = 0;
    int last = 0;
    if (EVP_CipherUpdate(
            ctx.get(), outData, &written, reinterpret_cast<const unsigned char *>(input.data()), int(input.size()))
            != 1
        || EVP_CipherFinal_ex(ctx.get(), outData + written, &last) != 1)
        return failed();
    out.truncate(written + last);
    return out;
}

} // namespace Crypto

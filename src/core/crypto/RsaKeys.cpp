#include "core/crypto/RsaKeys.h"

#include "core/crypto/CryptoProvider.h"
#include "core/crypto/OpenSslPtr.h"

#include <openssl/bio.h>
#include <openssl/core_names.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <climits>

namespace Crypto {

namespace {

constexpr int Pkcs1Overhead = 11;

std::shared_ptr<EVP_PKEY> share(PkeyPtr key)
{
    return std::shared_ptr<EVP_PKEY>(key.release(), EVP_PKEY_free);
}

QByteArray reversed(QByteArrayView bytes)
{
    QByteArray out = bytes.toByteArray();
    std::reverse(out.begin(), out.end());
    return out;
}

BignumPtr keyNumber(EVP_PKEY *key, const char *name)
{
    BIGNUM *bn = nullptr;
    if (!key || EVP_PKEY_get_bn_param(key, name, &bn) != 1)
        return nullptr;
    return BignumPtr(bn);
}

PkeyCtxPtr operationContext(EVP_PKEY *key)
{
    return PkeyCtxPtr(EVP_PKEY_CTX_new_from_pkey(libraryContext(), key, nullptr));
}

void setStatus(BlobStatus *status, BlobStatus value)
{
    if (status)
        *status = value;
}

// Key material sizes CryptoAPI accepts for a session key algorithm.
bool validSessionKeyLength(std::uint32_t algorithm, qsizetype length)
{
    return algorithm == CALG_RC2 && length >= 5 && length <= 16;
}

} // namespace

std::optional<RsaPublicKey> RsaPublicKey::fromBlob(QByteArrayView blob, BlobStatus *status)
{
    PublicKeyBlobFields fields;
    const BlobStatus parsed = parsePublicKeyBlob(blob, fields);
    setStatus(status, parsed);
    if (parsed != BlobStatus::Ok)
        return failed();
    return fromModulus(fields.modulus, fields.exponent, status);
}

std::optional<RsaPublicKey> RsaPublicKey::fromModulus(
    QByteArrayView modulus, std::uint32_t exponent, BlobStatus *status)
{
    const BlobStatus checked = checkRsaPublicKey(modulus, exponent);
    setStatus(status, checked);
    if (checked != BlobStatus::Ok)
        return failed();
    setStatus(status, BlobStatus::BadModulus);
    BignumPtr n(BN_lebin2bn(reinterpret_cast<const unsigned char *>(modulus.data()), int(modulus.size()), nullptr));
    BignumPtr e(BN_new());
    ParamBldPtr builder(OSSL_PARAM_BLD_new());
    if (!n || !e || !builder || BN_set_word(e.get(), exponent) != 1
        || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1
        || OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1)
        return failed();
    ParamPtr params(OSSL_PARAM_BLD_to_param(builder.get()));
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(libraryContext(), "RSA", nullptr));
    EVP_PKEY *raw = nullptr;
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1
        || EVP_PKEY_fromdata(ctx.get(), &raw, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return failed();
    setStatus(status, BlobStatus::Ok);
    return RsaPublicKey(share(PkeyPtr(raw)), int(modulus.size()));
}

QByteArray RsaPublicKey::modulusLittleEndian() const
{
    const BignumPtr n = keyNumber(m_key.get(), OSSL_PKEY_PARAM_RSA_N);
    QByteArray out(m_bytes, '\0');
    if (!n || BN_bn2lebinpad(n.get(), reinterpret_cast<unsigned char *>(out.data()), m_bytes) != m_bytes)
        return {};
    return out;
}

std::uint32_t RsaPublicKey::exponent() const
{
    const BignumPtr e = keyNumber(m_key.get(), OSSL_PKEY_PARAM_RSA_E);
    if (!e || BN_num_bits(e.get()) > 32)
        return 0;
    return std::uint32_t(BN_get_word(e.get()));
}

QByteArray RsaPublicKey::toBlob() const
{
    return buildPublicKeyBlob(modulusLittleEndian(), exponent());
}

std::optional<QByteArray> RsaPublicKey::encrypt(QByteArrayView plain) const
{
    if (!m_key || plain.size() > m_bytes - Pkcs1Overhead)
        return failed();
    PkeyCtxPtr ctx = operationContext(m_key.get());
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return failed();
    QByteArray out(m_bytes, '\0');
    std::size_t outLength = out.size();
    if (EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char *>(out.data()), &outLength,
            reinterpret_cast<const unsigned char *>(plain.data()), std::size_t(plain.size()))
            != 1
        || outLength != std::size_t(m_bytes))
        return failed();
    std::reverse(out.begin(), out.end());
    return out;
}

std::optional<QByteArray> RsaPublicKey::exportSimpleBlob(
    std::uint32_t sessionAlgorithm, QByteArrayView keyMaterial) const
{
    if (!validSessionKeyLength(sessionAlgorithm, keyMaterial.size()))
        return failed();
    const std::optional<QByteArray> encrypted = encrypt(keyMaterial);
    if (!encrypted)
        return failed();
    return buildSimpleBlob(sessionAlgorithm, *encrypted);
}

std::optional<RsaKeyPair> RsaKeyPair::generate(int bits)
{
    if (bits < MinRsaBits || bits > MaxRsaBits || bits % 8 != 0)
        return failed();
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(libraryContext(), "RSA", nullptr));
    BignumPtr e(BN_new());
    if (!ctx || !e || BN_set_word(e.get(), DefaultExponent) != 1 || EVP_PKEY_keygen_init(ctx.get()) != 1
        || EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1
        || EVP_PKEY_CTX_set1_rsa_keygen_pubexp(ctx.get(), e.get()) != 1)
        return failed();
    EVP_PKEY *raw = nullptr;
    if (EVP_PKEY_generate(ctx.get(), &raw) != 1)
        return failed();
    PkeyPtr key(raw);
    if (EVP_PKEY_get_bits(key.get()) != bits)
        return failed();
    return RsaKeyPair(RsaPublicKey(share(std::move(key)), bits / 8));
}

std::optional<RsaKeyPair> RsaKeyPair::fromPem(QByteArrayView pem)
{
    if (pem.isEmpty() || pem.size() > 64 * 1024)
        return failed();
    std::unique_ptr<BIO, OpenSslDeleter<BIO, BIO_free_all>> bio(BIO_new_mem_buf(pem.data(), int(pem.size())));
    if (!bio)
        return failed();
    PkeyPtr key(PEM_read_bio_PrivateKey_ex(bio.get(), nullptr, nullptr, nullptr, libraryContext(), nullptr));
    if (!key || !EVP_PKEY_is_a(key.get(), "RSA"))
        return failed();
    const int bits = EVP_PKEY_get_bits(key.get());
    if (bits < MinRsaBits || bits > MaxRsaBits || bits % 8 != 0)
        return failed();
    RsaKeyPair pair(RsaPublicKey(share(std::move(key)), bits / 8));
    if (checkRsaPublicKey(pair.m_public.modulusLittleEndian(), pair.m_public.exponent()) != BlobStatus::Ok)
        return failed();
    return pair;
}

QByteArray RsaKeyPair::toPem() const
{
    std::unique_ptr<BIO, OpenSslDeleter<BIO, BIO_free_all>> bio(BIO_new(BIO_s_mem()));
    if (!bio || !handle() || PEM_write_bio_PrivateKey(bio.get(), handle(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return {};
    char *data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return length > 0 ? QByteArray(data, qsizetype(length)) : QByteArray();
}

std::optional<QByteArray> RsaKeyPair::decrypt(QByteArrayView cipher) const
{
    const int size = m_public.bytes();
    if (!handle() || cipher.size() != size)
        return failed();
    PkeyCtxPtr ctx = operationContext(handle());
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return failed();
    const QByteArray bigEndian = reversed(cipher);
    QByteArray out(size, '\0');
    std::size_t outLength = out.size();
    if (EVP_PKEY_decrypt(ctx.get(), reinterpret_cast<unsigned char *>(out.data()), &outLength,
            reinterpret_cast<const unsigned char *>(bigEndian.data()), std::size_t(bigEndian.size()))
            != 1
        || outLength > std::size_t(size))
        return failed();
    out.truncate(qsizetype(outLength));
    return out;
}

std::optional<QByteArray> RsaKeyPair::importSimpleBlob(
    QByteArrayView blob, std::uint32_t sessionAlgorithm, BlobStatus *status) const
{
    SimpleBlobFields fields;
    BlobStatus parsed = parseSimpleBlob(blob, sessionAlgorithm, fields);
    if (parsed == BlobStatus::Ok && sessionAlgorithm != CALG_RC2)
        parsed = BlobStatus::BadAlgorithm;
    if (parsed == BlobStatus::Ok && fields.encryptedKey.size() != m_public.bytes())
        parsed = BlobStatus::BadLength;
    setStatus(status, parsed);
    if (parsed != BlobStatus::Ok)
        return failed();
    std::optional<QByteArray> key = decrypt(fields.encryptedKey);
    if (!key || !validSessionKeyLength(sessionAlgorithm, key->size())) {
        setStatus(status, BlobStatus::BadKey);
        return failed();
    }
    return key;
}

} // namespace Crypto

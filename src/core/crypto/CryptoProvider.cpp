#include "core/crypto/CryptoProvider.h"

#include <openssl/err.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

namespace Crypto {

namespace {

class Context
{
public:
    Context()
        : m_ctx(OSSL_LIB_CTX_new())
    {
        if (!m_ctx)
            return;
        m_default = OSSL_PROVIDER_load(m_ctx, "default");
        m_legacy = OSSL_PROVIDER_load(m_ctx, "legacy");
        ERR_clear_error(); // a missing legacy module only disables RC2
    }
    ~Context()
    {
        if (m_legacy)
            OSSL_PROVIDER_unload(m_legacy);
        if (m_default)
            OSSL_PROVIDER_unload(m_default);
        OSSL_LIB_CTX_free(m_ctx);
    }
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    OSSL_LIB_CTX *get() const { return m_default ? m_ctx : nullptr; }
    bool legacy() const { return m_default && m_legacy; }

private:
    OSSL_LIB_CTX *m_ctx = nullptr;
    OSSL_PROVIDER *m_default = nullptr;
    OSSL_PROVIDER *m_legacy = nullptr;
};

const Context &context()
{
    static const Context instance;
    return instance;
}

} // namespace

OSSL_LIB_CTX *libraryContext()
{
    return context().get();
}

bool legacyAvailable()
{
    return context().legacy();
}

std::optional<QByteArray> randomBytes(int count)
{
    if (count < 0)
        return std::nullopt;
    QByteArray out(count, '\0');
    if (count > 0
        && RAND_bytes_ex(libraryContext(), reinterpret_cast<unsigned char *>(out.data()), std::size_t(count), 0) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    return out;
}

} // namespace Crypto

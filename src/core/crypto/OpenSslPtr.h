// Owning pointers for the OpenSSL objects used by the crypto layer.
#pragma once

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>
#include <optional>

namespace Crypto {

template <typename T, void (*Free)(T *)> struct OpenSslDeleter
{
    void operator()(T *p) const { Free(p); }
};

using PkeyPtr = std::unique_ptr<EVP_PKEY, OpenSslDeleter<EVP_PKEY, EVP_PKEY_free>>;
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, OpenSslDeleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using CipherPtr = std::unique_ptr<EVP_CIPHER, OpenSslDeleter<EVP_CIPHER, EVP_CIPHER_free>>;
using CipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, OpenSslDeleter<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, OpenSslDeleter<BIGNUM, BN_free>>;
using ParamBldPtr = std::unique_ptr<OSSL_PARAM_BLD, OpenSslDeleter<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using ParamPtr = std::unique_ptr<OSSL_PARAM, OpenSslDeleter<OSSL_PARAM, OSSL_PARAM_free>>;

// The result of a failed OpenSSL call: its errors are dropped from the
// thread's queue, so that they never surface in an unrelated caller.
inline std::nullopt_t failed()
{
    ERR_clear_error();
    return std::nullopt;
}

} // namespace Crypto

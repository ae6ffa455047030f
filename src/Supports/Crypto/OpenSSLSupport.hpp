// Owning handles for OpenSSL objects and the "Crypto" error, shared by the
// cipher sources. Private to src/Supports/Crypto: never included by a header
// another folder sees.
#pragma once

#include "Contracts/Crypto/ISymmetricCipher.hpp"

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <string>

namespace Dizezida::Dovodarud::Supports::Crypto {

template <auto Free> struct OpenSSLFree {
    template <class T> void operator()(T* handle) const { Free(handle); }
};

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, OpenSSLFree<EVP_CIPHER_CTX_free>>;
using KeyHandle = std::unique_ptr<EVP_PKEY, OpenSSLFree<EVP_PKEY_free>>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, OpenSSLFree<EVP_PKEY_CTX_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, OpenSSLFree<EVP_MD_CTX_free>>;
using BioHandle = std::unique_ptr<BIO, OpenSSLFree<BIO_free_all>>;

/// A "Crypto" error. OpenSSL's error queue of this thread is emptied, so a
/// failure here is not reported again by the next, unrelated call.
inline Core::Error crypto_error(int code, std::string message) {
    ERR_clear_error();
    return Core::Error::make(Contracts::Crypto::k_crypto_error_domain, code, std::move(message));
}

/// Fixed-size secret bytes, wiped when they go.
template <std::size_t N> struct SecretArray {
    unsigned char bytes[N] = {};
    SecretArray() = default;
    SecretArray(const SecretArray& other) { std::copy(other.bytes, other.bytes + N, bytes); }
    SecretArray& operator=(const SecretArray& other) {
        std::copy(other.bytes, other.bytes + N, bytes);
        return *this;
    }
    ~SecretArray() { OPENSSL_cleanse(bytes, N); }
    unsigned char* data() { return bytes; }
    const unsigned char* data() const { return bytes; }
};

/// Wipes a text's bytes and empties it.
inline void wipe(std::string& text) {
    OPENSSL_cleanse(text.data(), text.size());
    text.clear();
}

/// Wipes a byte buffer and empties it.
inline void wipe(Contracts::Crypto::Bytes& bytes) {
    OPENSSL_cleanse(bytes.data(), bytes.size());
    bytes.clear();
}

} // namespace Dizezida::Dovodarud::Supports::Crypto

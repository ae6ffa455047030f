// AES-256 keyed by a pass phrase and a salt text, on OpenSSL 3's EVP
// interface.
//
// `encrypt` / `decrypt`: AES-256-CBC with PKCS#7 padding; key and IV come
// from EVP_BytesToKey (SHA-1, two rounds) over the pass phrase and the first
// 8 bytes of the salt text, a shorter salt being padded with zero bytes.
// This is the form saved passwords used to have; `openssl enc -aes-256-cbc
// -K <key> -iv <iv>` reads and writes it.
//
// `seal` / `unseal`: AES-256-GCM. Each call draws a 16-byte salt and a
// 12-byte nonce and derives the key with PBKDF2-HMAC-SHA256
// (k_seal_iterations rounds) from the pass phrase, a zero byte and the salt
// text. Sealed bytes: salt | nonce | cipher text | 16-byte tag.
//
// Errors: domain "Crypto", code -1. Every operation before `initialize`
// fails ("Cipher is not initialized").
//
// Thread safety: one object may serve any number of threads (the registry
// shares it). Key material is guarded by a mutex and copied for each call;
// every call has its own cipher context. Key material is wiped when it is
// replaced and when the object goes.
#pragma once

#include "Contracts/Crypto/ISymmetricCipher.hpp"

#include <array>
#include <mutex>
#include <string>

namespace Dizezida::Dovodarud::Supports::Crypto {

class OpenSSLSymmetricCipher : public Core::Object, public Contracts::Crypto::ISymmetricCipher {
    DIZEZIDA_OBJECT(OpenSSLSymmetricCipher)
public:
    static constexpr int k_error_code = -1;
    static constexpr std::size_t k_key_size = 32;
    /// The IV buffer; AES uses its first 16 bytes.
    static constexpr std::size_t k_iv_size = 32;
    static constexpr std::size_t k_salt_size = 8;
    static constexpr std::size_t k_seal_salt_size = 16;
    static constexpr std::size_t k_seal_nonce_size = 12;
    static constexpr std::size_t k_seal_tag_size = 16;
    static constexpr int k_seal_iterations = 100000;

    OpenSSLSymmetricCipher() = default;
    ~OpenSSLSymmetricCipher() override;

    [[nodiscard]] Core::Result<void> initialize(std::string_view key,
                                                std::string_view salt) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    encrypt(Contracts::Crypto::ByteView data) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    decrypt(Contracts::Crypto::ByteView cipher) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    seal(Contracts::Crypto::ByteView data) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    unseal(Contracts::Crypto::ByteView sealed) override;

    bool is_initialized() const;

private:
    struct Snapshot;
    [[nodiscard]] Core::Result<Snapshot> snapshot() const;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes> run_cbc(Contracts::Crypto::ByteView input,
                                                                 bool encrypting) const;

    mutable std::mutex m_mutex;
    std::string m_passphrase;
    std::string m_salt;
    std::array<unsigned char, k_key_size> m_key{};
    std::array<unsigned char, k_iv_size> m_iv{};
    bool m_initialized = false;
};

} // namespace Dizezida::Dovodarud::Supports::Crypto

// RSA 2048 with OAEP padding, keys in PEM files, on OpenSSL 3's EVP
// interface.
//
// The object owns one key (a generated pair, a loaded public key or a loaded
// private key); loading or generating replaces it. `encrypt` takes at most
// 214 bytes (2048-bit key, OAEP with SHA-1) and gives 256. `sign` / `verify`
// use RSA-PSS with SHA-256. Nothing here prints key material unless asked
// to with `print_public` / `print_private`.
//
// Errors: domain "Crypto", messages translated in the "dizezida" text
// domain; code -1 when an object could not be made or a key could not be
// loaded, else the failing OpenSSL call's return value.
//
// Thread safety: one object may serve any number of threads. The key is
// swapped under a mutex; each operation takes its own reference to the key
// and its own context.
#pragma once

#include "Contracts/Crypto/IAsymmetricCipher.hpp"

#include <iosfwd>
#include <memory>

namespace Dizezida::Dovodarud::Supports::Crypto {

class OpenSSLAsymmetricCipher : public Core::Object, public Contracts::Crypto::IAsymmetricCipher {
    DIZEZIDA_OBJECT(OpenSSLAsymmetricCipher)
public:
    static constexpr int k_key_bits = 2048;

    OpenSSLAsymmetricCipher();
    ~OpenSSLAsymmetricCipher() override;

    [[nodiscard]] Core::Result<void> initialize() override;
    [[nodiscard]] Core::Result<void> load_public_key(const std::string& public_key_file) override;
    [[nodiscard]] Core::Result<void> load_private_key(const std::string& private_key_file) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::PemKeyPair> save_key() override;
    /**
     * Writes both keys to temporary files beside their targets (the private
     * key 0600, the public key 0644), then renames them over the targets, so
     * a failure while writing leaves the old pair in place.
     */
    [[nodiscard]] Core::Result<void> save_key_file(const std::string& public_key,
                                                   const std::string& private_key) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    encrypt(Contracts::Crypto::ByteView data) override;
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    decrypt(Contracts::Crypto::ByteView cipher) override;

    /// Whether the object holds a key.
    bool is_initialized() const;
    /// Whether the key has its private half.
    bool has_private_key() const;

    /// Writes the public key as PEM to `out` (standard output by default).
    [[nodiscard]] Core::Result<void> print_public(std::ostream& out) const;
    [[nodiscard]] Core::Result<void> print_public() const;
    /// Writes the private key as unencrypted PEM to `out` (standard output by default).
    [[nodiscard]] Core::Result<void> print_private(std::ostream& out) const;
    [[nodiscard]] Core::Result<void> print_private() const;

    /// An RSA-PSS (SHA-256) signature of `data`; needs the private key.
    [[nodiscard]] Core::Result<Contracts::Crypto::Bytes>
    sign(Contracts::Crypto::ByteView data) const;
    /// Whether `signature` is a signature of `data` by this key; an error
    /// only when the check could not be made.
    [[nodiscard]] Core::Result<bool> verify(Contracts::Crypto::ByteView data,
                                            Contracts::Crypto::ByteView signature) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace Dizezida::Dovodarud::Supports::Crypto

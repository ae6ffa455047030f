// The contract of a public-key cipher whose keys live in PEM files.
//
// A key comes from `initialize` (a new pair), `load_public_key` or
// `load_private_key`; `encrypt` needs a public key, `decrypt` a private one.
// Failures are "Crypto" errors. Whether one object may be shared between
// threads is up to the implementation (OpenSSLAsymmetricCipher may be).
#pragma once

#include "Contracts/Crypto/ISymmetricCipher.hpp"

#include <string>

namespace Dizezida::Dovodarud::Contracts::Crypto {

/// A key pair in PEM form.
struct PemKeyPair {
    std::string public_key;
    std::string private_key;
};

class IAsymmetricCipher {
    DIZEZIDA_INTERFACE(IAsymmetricCipher)
public:
    virtual ~IAsymmetricCipher() = default;
    /// Generates a new key pair, replacing the current key.
    [[nodiscard]] virtual Core::Result<void> initialize() = 0;
    /// Replaces the current key by the PEM public key in a file.
    [[nodiscard]] virtual Core::Result<void>
    load_public_key(const std::string& public_key_file) = 0;
    /// Replaces the current key by the unencrypted PEM private key in a file.
    [[nodiscard]] virtual Core::Result<void>
    load_private_key(const std::string& private_key_file) = 0;
    /// The current key pair in PEM form (the private key unencrypted).
    [[nodiscard]] virtual Core::Result<PemKeyPair> save_key() = 0;
    /// Writes the pair to two files; either both are replaced or neither.
    [[nodiscard]] virtual Core::Result<void> save_key_file(const std::string& public_key,
                                                           const std::string& private_key) = 0;
    [[nodiscard]] virtual Core::Result<Bytes> encrypt(ByteView data) = 0;
    [[nodiscard]] virtual Core::Result<Bytes> decrypt(ByteView cipher) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Crypto

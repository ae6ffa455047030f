// The contract of a symmetric cipher keyed by a pass phrase and a salt text.
//
// `encrypt` / `decrypt` are the plain block-cipher form (no integrity check:
// a wrong key is noticed only when the padding happens not to fit). `seal` /
// `unseal` are the authenticated form: a fresh random salt and nonce per
// call, and any change to the sealed bytes or a wrong key is an error.
// Failures are "Crypto" errors. Whether one object may be shared between
// threads is up to the implementation (OpenSSLSymmetricCipher may be).
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Contracts::Crypto {

/// Bytes a cipher hands back; the caller owns them.
using Bytes = std::vector<std::uint8_t>;
/// Bytes a cipher reads.
using ByteView = std::span<const std::uint8_t>;

/// The bytes of a text (no terminator).
inline ByteView byte_view(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}
/// Bytes as a text of the same bytes.
inline std::string_view text_view(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

/// The error domain of every cipher.
inline constexpr const char* k_crypto_error_domain = "Crypto";

class ISymmetricCipher {
    DIZEZIDA_INTERFACE(ISymmetricCipher)
public:
    virtual ~ISymmetricCipher() = default;
    /// Derives the key from a pass phrase and a salt text; replaces any
    /// earlier key (a failure keeps it).
    [[nodiscard]] virtual Core::Result<void> initialize(std::string_view key,
                                                        std::string_view salt) = 0;
    /// The cipher text of `data`, exactly (padding included).
    [[nodiscard]] virtual Core::Result<Bytes> encrypt(ByteView data) = 0;
    /// The plain text of `cipher`.
    [[nodiscard]] virtual Core::Result<Bytes> decrypt(ByteView cipher) = 0;
    /// `data` encrypted and authenticated under the pass phrase and salt of
    /// `initialize`; the same data never gives the same bytes twice.
    [[nodiscard]] virtual Core::Result<Bytes> seal(ByteView data) = 0;
    /// The data of `seal`; an error when the bytes were changed, cut short or
    /// sealed under another pass phrase or salt.
    [[nodiscard]] virtual Core::Result<Bytes> unseal(ByteView sealed) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Crypto

#include "Helpers/PasswordHelper.hpp"

#include "Contracts/Crypto/ISymmetricCipher.hpp"
#include "Foundation/LoggingService.hpp"
#include "Helpers/ServiceHelper.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>
#include <glib.h>
#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <array>
#include <optional>
#include <vector>

namespace Dizezida::Dovodarud::Helpers {

using Contracts::Crypto::byte_view;
using Contracts::Crypto::Bytes;
using Contracts::Crypto::text_view;
using Foundation::LoggingService;
using Zozuvoru::Contracts::Server;
using Zozuvoru::Contracts::ServerPtr;

namespace {

constexpr PasswordHelper::PasswordField k_fields[] = {
    {"password", &Server::password, &Server::set_password, nullptr},
    {"ssh-password", &Server::ssh_password, &Server::set_ssh_password, &Server::ssh_using},
    {"ssl-password", &Server::ssl_password, &Server::set_ssl_password, &Server::ssl_using},
    {"http-password", &Server::http_password, &Server::set_http_password, &Server::http_auth},
};

/// Plain password texts on their way; wiped when they go.
struct PlainTexts {
    std::vector<std::string> texts;
    ~PlainTexts() {
        for (std::string& text : texts)
            OPENSSL_cleanse(text.data(), text.size());
    }
};

std::string base64(const Bytes& bytes) {
    gchar* text = g_base64_encode(bytes.data(), bytes.size());
    std::string result(text);
    g_free(text);
    return result;
}

/// The bytes of standard Base64 text in its one canonical spelling, else
/// nothing (GLib's decoder skips characters it does not know).
std::optional<Bytes> strict_base64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0 ||
        text.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
            std::string_view::npos)
        return std::nullopt;
    const std::string copy(text);
    gsize size = 0;
    guchar* decoded = g_base64_decode(copy.c_str(), &size);
    Bytes bytes(decoded, decoded + size);
    g_free(decoded);
    if (base64(bytes) != text)
        return std::nullopt;
    return bytes;
}

/// Whether decrypted bytes can be a password someone typed.
bool plausible_text(const Bytes& bytes) {
    const std::string_view text = text_view(bytes);
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        return false;
    for (const unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return false;
    return true;
}

/// The registered cipher keyed for `key`, or the reason there is none.
Core::Result<std::shared_ptr<Contracts::Crypto::ISymmetricCipher>>
keyed_cipher(const PasswordHelper::KeyMaterial& key) {
    auto cipher = ServiceHelper::cipher();
    if (!cipher)
        return Core::fail(Core::Error::make(Contracts::Crypto::k_crypto_error_domain, -1,
                                            "no symmetric cipher is registered"));
    DIZEZIDA_TRY(cipher->initialize(key.user, key.host));
    return cipher;
}

Core::Result<std::string> protect(Contracts::Crypto::ISymmetricCipher& cipher,
                                  std::string_view plain) {
    auto sealed = cipher.seal(byte_view(plain));
    if (!sealed)
        return Core::fail(sealed.error());
    return std::string(PasswordHelper::k_sealed_marker) + base64(*sealed);
}

Core::Result<std::string> unprotect(Contracts::Crypto::ISymmetricCipher& cipher,
                                    std::string_view text) {
    const bool sealed = text.starts_with(PasswordHelper::k_sealed_marker);
    if (sealed)
        text.remove_prefix(PasswordHelper::k_sealed_marker.size());
    const auto bytes = strict_base64(text);
    if (!bytes || (!sealed && bytes->size() % 16 != 0))
        return Core::fail(Core::Error::make(Contracts::Crypto::k_crypto_error_domain, -1,
                                            "not a protected password"));
    auto plain = sealed ? cipher.unseal(*bytes) : cipher.decrypt(*bytes);
    if (!plain)
        return Core::fail(plain.error());
    std::string result(text_view(*plain));
    const bool readable = sealed || plausible_text(*plain);
    OPENSSL_cleanse(plain->data(), plain->size());
    if (!readable) {
        OPENSSL_cleanse(result.data(), result.size());
        return Core::fail(Core::Error::make(Contracts::Crypto::k_crypto_error_domain, -1,
                                            "the key does not fit (decrypted bytes are no text)"));
    }
    return result;
}

/// Converts every protected field of `server` with `convert`, or none.
template <class Convert>
bool convert_all(Server& server, const char* what, const PasswordHelper::KeyMaterial& key,
                 Convert convert) {
    auto cipher = keyed_cipher(key);
    if (!cipher) {
        LoggingService::error(nullptr, "%s password failed: %s", what,
                              cipher.error().message.c_str());
        return false;
    }
    PlainTexts converted;
    for (const auto& field : k_fields) {
        const std::string& current = (server.*field.get)();
        if (!PasswordHelper::is_protected(server, field) || current.empty()) {
            converted.texts.push_back(current);
            continue;
        }
        auto result = convert(**cipher, current);
        if (!result) {
            const std::string reason =
                fmt::format("{}: {}: {}", server.name().empty() ? server.uuid() : server.name(),
                            field.name, result.error().message);
            LoggingService::error(nullptr, "%s password failed: %s", what, reason.c_str());
            return false;
        }
        converted.texts.push_back(std::move(*result));
    }
    auto text = converted.texts.begin();
    for (const auto& field : k_fields)
        (server.*field.set)(*text++);
    return true;
}

} // namespace

PasswordHelper::KeyMaterial PasswordHelper::machine_key() {
    return {g_get_user_name(), g_get_host_name()};
}

std::span<const PasswordHelper::PasswordField> PasswordHelper::password_fields() {
    return k_fields;
}

bool PasswordHelper::is_protected(const Server& server, const PasswordField& field) {
    return !field.used || (server.*field.used)();
}

bool PasswordHelper::encrypt_password(const ServerPtr& server) {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, false);
    return encrypt_password(server, machine_key());
}

bool PasswordHelper::encrypt_password(const ServerPtr& server, const KeyMaterial& key) {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, false);
    return convert_all(*server, "encrypt", key, protect);
}

bool PasswordHelper::decrypt_password(const ServerPtr& server) {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, false);
    return decrypt_password(server, machine_key());
}

bool PasswordHelper::decrypt_password(const ServerPtr& server, const KeyMaterial& key) {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, false);
    return convert_all(*server, "decrypt", key, unprotect);
}

std::string PasswordHelper::generate_password(int count) {
    if (count <= 0)
        return {};
    static constexpr std::array<std::string_view, 4> classes = {
        "1234567890", "~!@#$%^&*<>;:,?", "aeiouAEIOU",
        "bcdfghjklmnpqrstvwxyzBCDFGHJKLMNPQRSTVWXYZ"};
    std::array<unsigned char, 64> pool{};
    std::size_t next = pool.size();
    bool failed = false;
    const auto random_byte = [&]() -> unsigned char {
        if (next == pool.size()) {
            failed = failed || RAND_bytes(pool.data(), static_cast<int>(pool.size())) != 1;
            next = 0;
        }
        return pool[next++];
    };
    /// A number below `n`, uniform: bytes past the last whole multiple of n are drawn again.
    const auto below = [&](std::size_t n) {
        const std::size_t limit = 256 - 256 % n;
        for (;;) {
            const std::size_t value = random_byte();
            if (failed || value < limit)
                return value % n;
        }
    };
    std::string password;
    password.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count && !failed; ++i) {
        const std::string_view chosen = classes[below(classes.size())];
        password.push_back(chosen[below(chosen.size())]);
    }
    OPENSSL_cleanse(pool.data(), pool.size());
    if (failed) {
        OPENSSL_cleanse(password.data(), password.size());
        LoggingService::error(nullptr, "generate password failed: %s",
                              "the random generator failed");
        return {};
    }
    return password;
}

} // namespace Dizezida::Dovodarud::Helpers

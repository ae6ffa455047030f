// Protected passwords of saved servers, and generated passwords.
//
// `encrypt_password` replaces the passwords of one server record with their
// protected form, `decrypt_password` puts the plain texts back. The fields,
// in order: the password; the SSH password when the server uses SSH; the SSL
// password when it uses SSL. Empty fields are left alone. The key is the
// symmetric cipher of the service registry, initialised with the current
// user's name as pass phrase and the host name as salt, read at each call:
// a protected password reads back only for the same user on the same
// machine.
//
// Forms: new texts are "v2:" + Base64 of the cipher's sealed bytes
// (authenticated: a wrong key or a changed text is an error). Bare Base64 is
// the older unauthenticated form (AES-256-CBC); it is still read, and its
// plain text must be valid UTF-8 without control characters, so that a plain
// password or a wrong key is not taken for a decrypted one.
//
// Both operations change all fields or none: on any failure the record is
// left exactly as it was, the reason is logged at error level ("encrypt
// password failed: %s" / "decrypt password failed: %s") and they return
// false. Password texts are never logged.
//
// Stateless; as thread-safe as the registered cipher (OpenSSLSymmetricCipher
// is), provided the registry resolved it once on the main thread.
#pragma once

#include "provider/Contracts/Server.hpp"

#include <span>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Helpers {

class PasswordHelper {
public:
    PasswordHelper() = delete;

    /// The marker that opens a password in the authenticated form.
    static constexpr std::string_view k_sealed_marker = "v2:";

    /// What the password key is made of.
    struct KeyMaterial {
        std::string user;
        std::string host;
    };
    /// The current operating-system user name and the machine's host name.
    static KeyMaterial machine_key();

    /// One password field of a server record.
    struct PasswordField {
        const char* name;
        const std::string& (Zozuvoru::Contracts::Server::*get)() const;
        void (Zozuvoru::Contracts::Server::*set)(std::string);
        /// The switch that makes the field protected; nullptr: always.
        bool (Zozuvoru::Contracts::Server::*used)() const;
    };
    /// The protected fields, in order.
    static std::span<const PasswordField> password_fields();
    /// Whether a field is protected on this server (its switch is on).
    static bool is_protected(const Zozuvoru::Contracts::Server& server, const PasswordField& field);

    /// Protects the passwords of `server` with the machine's key.
    static bool encrypt_password(const Zozuvoru::Contracts::ServerPtr& server);
    static bool encrypt_password(const Zozuvoru::Contracts::ServerPtr& server,
                                 const KeyMaterial& key);
    /// Puts back the plain passwords of `server` with the machine's key.
    static bool decrypt_password(const Zozuvoru::Contracts::ServerPtr& server);
    static bool decrypt_password(const Zozuvoru::Contracts::ServerPtr& server,
                                 const KeyMaterial& key);

    /**
     * `count` characters, each drawn from a class chosen at random among
     * four (digits, "~!@#$%^&*<>;:,?", vowels, consonants) and then at random
     * inside the class, from OpenSSL's cryptographic generator without bias.
     * A count of 0 or less, or a generator failure (logged), gives "".
     */
    static std::string generate_password(int count);
};

} // namespace Dizezida::Dovodarud::Helpers

// The file of saved servers: "$XDG_CONFIG_HOME/dizezida/servers.json".
//
// The file holds one JSON object whose member "servers" is an array with
// one object per server: a member per property of the provider's server
// record, in class order (see IJsonSerializer). Every password is in its
// protected form (PasswordHelper); the file is private to the user (0600)
// and written atomically, as the settings file is.
//
// A store remembers the servers whose passwords it did not decrypt (read
// with `Passwords::Keep`, or whose decryption failed): `save` writes their
// stored texts back as they were read, so a password is never encrypted a
// second time, and a field that did not decrypt is never lost. A password
// field changed since (a new text) is protected afresh.
//
// Not synchronised: one thread at a time.
#pragma once

#include "core/Error.hpp"
#include "provider/Contracts/ServerSetting.hpp"

#include <map>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Supports::Setting {

class ServerStore {
public:
    /// What `load` does with the protected passwords.
    enum class Passwords {
        /// Decrypt every server's passwords (those that fail stay protected).
        Decrypt,
        /// Leave every password as stored (listing, removing).
        Keep,
    };

    /// "$XDG_CONFIG_HOME/dizezida/servers.json" ($HOME/.config when the
    /// variable is unset or not an absolute path); read afresh on every call.
    static std::string default_filename();

    explicit ServerStore(std::string filename = default_filename());

    const std::string& filename() const { return m_filename; }

    /**
     * Replaces the servers of `servers` by those of the file. A missing file
     * gives an empty list. On failure `servers` is unchanged: a file that
     * cannot be read gives GLib's file error, text that is not JSON a "JSON"
     * error, JSON that is no server list the "UserSetting" error -2.
     * Elements that are not objects are skipped with a platform warning.
     */
    [[nodiscard]] Core::Result<void> load(Zozuvoru::Contracts::ServerSetting& servers,
                                          Passwords passwords = Passwords::Decrypt);

    /**
     * Writes the list, every password protected, creating the folder (0700)
     * when missing. Nothing is written when a password cannot be protected
     * ("Crypto" error); a failed write leaves the old file in place.
     */
    [[nodiscard]] Core::Result<void> save(const Zozuvoru::Contracts::ServerSetting& servers) const;

    /// Whether the passwords of a server were left protected by the last `load`.
    bool is_sealed(std::string_view uuid) const { return m_sealed.contains(uuid); }

private:
    std::string m_filename;
    /// The records as stored, by uuid, for servers whose passwords stayed protected.
    std::map<std::string, Zozuvoru::Contracts::ServerPtr, std::less<>> m_sealed;
};

} // namespace Dizezida::Dovodarud::Supports::Setting

// What every front-end command that talks to a server shares: the service
// registry (with the user settings, the saved server list and the ciphers)
// and logging started once, and a connection opened from a libpq connection
// string or URI, or from a saved server named "@NAME".
#pragma once

#include "Supports/Database/ConnectionImpl.hpp"

#include <memory>
#include <optional>
#include <string>

namespace Dizezida::Rezizida {

/// The help text of every --server option.
inline constexpr const char* k_server_help =
    "libpq connection string or URI (PG* variables and ~/.pgpass apply), or @NAME of a saved "
    "server (see servers --help)";

/// Starts the registry and the logging service (main log in the user's
/// state folder) unless they run already.
void start_services();

/// The server record a --server text names: "@NAME" is the saved server of
/// that name with its passwords decrypted (a copy; the saved list keeps the
/// protected texts), anything else a libpq connection string or URI.
[[nodiscard]] Core::Result<Zozuvoru::Contracts::ServerPtr>
server_from_text(const std::string& text);

/// A connection opened on the server a connection string, URI or "@NAME"
/// names ("" uses the PG* variables alone). Prints the reason to stderr and
/// returns nothing when the text is not valid, names no saved server, or the
/// server cannot be reached.
std::optional<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_session(const std::string& server);

/// Another session on the server `like` is open on (for jobs that work on
/// several sessions at once); the error when it cannot be opened.
[[nodiscard]] Core::Result<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_like(const Dovodarud::Contracts::Database::IConnection& like);

/// The two sessions of a job between servers; both close when it goes.
struct SessionPair {
    std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> source, target;
    SessionPair() = default;
    SessionPair(const SessionPair&) = delete;
    SessionPair& operator=(const SessionPair&) = delete;
    ~SessionPair();
};

/// Both sessions opened (as `open_session` opens each), or nullptr after
/// printing why.
std::unique_ptr<SessionPair> open_sessions(const std::string& source, const std::string& target);

} // namespace Dizezida::Rezizida

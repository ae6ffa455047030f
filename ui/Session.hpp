// What every front-end command that talks to a server shares: the service
// registry and logging started once, and a connection opened from a libpq
// connection string or URI.
#pragma once

#include "Supports/Database/ConnectionImpl.hpp"

#include <memory>
#include <optional>
#include <string>

namespace Dizezida::Rezizida {

/// Starts the registry and the logging service (main log in the user's
/// state folder) unless they run already.
void start_services();

/// A connection opened on the server a connection string or URI names ("" uses
/// the PG* variables alone). Prints the reason to stderr and returns nothing
/// when the text is not valid or the server cannot be reached.
std::optional<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_session(const std::string& server);

} // namespace Dizezida::Rezizida

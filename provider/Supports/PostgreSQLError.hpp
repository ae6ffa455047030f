// Errors of the PostgreSQL provider: SQLSTATE to code, and the error values
// made from libpq's results and sessions (internal to the provider library).
//
// Every error has the provider's domain, a code of the PostgreSQL band
// (20000 to 29999) and a message that ends with "(SQLSTATE xxxxx)".
#pragma once

#include "core/Error.hpp"

#include <libpq-fe.h>

#include <string>
#include <string_view>

namespace Dizezida::Zozuvoru::Supports {

/// The code of the internal_error state (XX000), also given for states of
/// classes the table does not know.
inline constexpr int k_code_unknown = 24200;

/// The code of a SQLSTATE; an unknown state of a known class gets its class's code.
int sqlstate_code(std::string_view sqlstate);

/// States the provider raises itself.
namespace State {
inline constexpr const char* unable_to_connect = "08001";
inline constexpr const char* no_connection = "08003";
inline constexpr const char* connection_failure = "08006";
inline constexpr const char* feature_not_supported = "0A000";
inline constexpr const char* transaction_rollback = "40000";
inline constexpr const char* object_in_use = "55006";
inline constexpr const char* query_canceled = "57014";
} // namespace State

/// An error with a state and a message (the state is appended to it).
Core::Error make_error(std::string_view sqlstate, std::string_view message);
/// The error of a failed result: the server's severity, message, detail and
/// hint, and its SQLSTATE (a result without one counts as a lost connection).
Core::Error result_error(const PGresult* result, PGconn* connection);
/// The error of a session whose last call failed (libpq's message).
Core::Error connection_error(PGconn* connection, std::string_view sqlstate);

} // namespace Dizezida::Zozuvoru::Supports

// Server records from libpq connection strings and URIs.
#pragma once

#include "core/Error.hpp"
#include "provider/Contracts/Server.hpp"

#include <string_view>

namespace Dizezida::Zozuvoru::Supports {

/// A server record with the fields a libpq connection string or URI names
/// (host, port, user, password, dbname, sslmode); fields it does not name stay
/// empty, so libpq's usual sources (PG* variables, ~/.pgpass) fill them when
/// the session opens. Fails on a text libpq cannot parse.
[[nodiscard]] Core::Result<Contracts::ServerPtr> server_from_conninfo(std::string_view conninfo);

/// Where a session with the record goes, as "user@host:port/database": the
/// record's fields, else what libpq takes in their place (PG* variables, the
/// login name, port 5432, the user's name for the database). The host is
/// empty when libpq will use its default socket folder.
std::string server_endpoint(const Contracts::Server& server);

} // namespace Dizezida::Zozuvoru::Supports

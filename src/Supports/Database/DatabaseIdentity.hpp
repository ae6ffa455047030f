// Which database a session really reached, whatever its connection text
// says: jobs that write to a target (transfer, sync) refuse a source and a
// target that are the same database where that would copy objects onto
// themselves or drop what they read.
//
// A cluster is known by its system identifier (pg_control_system(); a
// standby shares its primary's, and counts as the same database, since what
// is written to one arrives in the other); where the role may not read it,
// by its data directory and port, and failing that by its start time and
// port. A database by its oid in that cluster.
#pragma once

#include "core/Error.hpp"

#include <optional>
#include <string>

namespace Dizezida::Dovodarud::Contracts::Database {
class IConnection;
}

namespace Dizezida::Dovodarud::Supports::Database {

struct DatabaseIdentity {
    std::string cluster; ///< "system:<id>", "directory:<path>|<port>" or "started:<time>|<port>"
    std::string database_oid;
    std::string database; ///< its name, for messages

    bool same_database(const DatabaseIdentity& other) const {
        return cluster == other.cluster && database_oid == other.database_oid;
    }
};

/// The identity of the database `connection` is on.
[[nodiscard]] Core::Result<DatabaseIdentity> identify_database(Contracts::Database::IConnection& connection);

/// The database both connections are on, or nothing when they are on two.
[[nodiscard]] Core::Result<std::optional<DatabaseIdentity>>
shared_database(Contracts::Database::IConnection& first, Contracts::Database::IConnection& second);

} // namespace Dizezida::Dovodarud::Supports::Database

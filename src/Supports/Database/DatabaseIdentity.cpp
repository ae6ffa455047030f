#include "Supports/Database/DatabaseIdentity.hpp"

#include "Contracts/Database/IConnection.hpp"

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// The first value of a one-row query; nothing when it fails or is NULL.
std::string first_text(Contracts::Database::IConnection& connection, const char* sql) {
    auto value = connection.execute_as_scalar(sql, 0);
    if (!value || !*value || (*value)->is_null())
        return {};
    return (*value)->to_string();
}

} // namespace

Core::Result<DatabaseIdentity> identify_database(Contracts::Database::IConnection& connection) {
    auto database = connection.execute_as_model(
        "SELECT d.oid::text, d.datname::text FROM pg_catalog.pg_database d "
        "WHERE d.datname = pg_catalog.current_database()",
        0);
    if (!database)
        return Core::fail(std::move(database).error());
    DatabaseIdentity identity;
    if ((*database)->get_row_count() == 1) {
        identity.database_oid = (*database)->get_text_at(0, 0);
        identity.database = (*database)->get_text_at(0, 1);
    }
    // Each fallback only when the role may not read the one before.
    if (std::string system = first_text(connection, "SELECT system_identifier::text FROM "
                                                    "pg_catalog.pg_control_system()");
        !system.empty())
        identity.cluster = "system:" + system;
    else if (std::string folder = first_text(connection, "SELECT pg_catalog.current_setting('data_directory') "
                                                         "|| '|' || pg_catalog.current_setting('port')");
             !folder.empty())
        identity.cluster = "directory:" + folder;
    else {
        auto started = connection.execute_as_scalar(
            "SELECT pg_catalog.pg_postmaster_start_time()::text || '|' || "
            "pg_catalog.current_setting('port')",
            0);
        if (!started)
            return Core::fail(std::move(started).error());
        identity.cluster = "started:" + (*started ? (*started)->to_string() : std::string());
    }
    return identity;
}

Core::Result<std::optional<DatabaseIdentity>>
shared_database(Contracts::Database::IConnection& first, Contracts::Database::IConnection& second) {
    auto one = identify_database(first);
    if (!one)
        return Core::fail(std::move(one).error());
    auto other = identify_database(second);
    if (!other)
        return Core::fail(std::move(other).error());
    if (!one->same_database(*other))
        return std::optional<DatabaseIdentity>();
    return std::optional<DatabaseIdentity>(std::move(*one));
}

} // namespace Dizezida::Dovodarud::Supports::Database

#include "Supports/Database/DatabaseIdentity.hpp"

#include "Contracts/Database/IConnection.hpp"

#include <utility>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// What a cluster is known by, best first: each where the role may not read
/// the one before (the last one every role may read).
constexpr std::pair<const char*, const char*> k_cluster_keys[] = {
    {"system:", "SELECT system_identifier::text FROM pg_catalog.pg_control_system()"},
    {"directory:", "SELECT pg_catalog.current_setting('data_directory') || '|' || "
                   "pg_catalog.current_setting('port')"},
    {"started:", "SELECT pg_catalog.pg_postmaster_start_time()::text || '|' || "
                 "pg_catalog.current_setting('port')"},
};

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
    std::optional<Core::Error> refused;
    for (const auto& [kind, sql] : k_cluster_keys) {
        auto value = connection.execute_as_scalar(sql, 0);
        if (!value) {
            refused = std::move(value).error();
            continue;
        }
        if (*value && !(*value)->is_null() && !(*value)->to_string().empty()) {
            identity.cluster = kind + (*value)->to_string();
            return identity;
        }
    }
    return Core::fail(refused.value_or(Core::Error{"Transform", 0, "the server's identity cannot be read"}));
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

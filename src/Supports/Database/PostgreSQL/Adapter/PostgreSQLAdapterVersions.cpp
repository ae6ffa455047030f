#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterVersions.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/PostgreSQL/Catalog/CatalogRows.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

std::shared_ptr<PostgreSQLAdapterV9x>
PostgreSQLAdapterV9x::create(const Contracts::Database::ConnectionPtr& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLAdapterV9x>(connection);
}

Core::Result<void> PostgreSQLAdapterV9x::read_options(const Scope& scope,
                                                      const TableIndex& tables) {
    auto rows = run(CatalogQueries::table_options(scope, major(), true));
    if (!rows)
        return std::unexpected(rows.error());
    for (std::size_t row = 0; row < rows->size(); ++row) {
        const auto found =
            tables.find(table_key(rows->text(row, "schema_name"), rows->text(row, "table_name")));
        if (found != tables.end())
            apply_options(*found->second, *rows, row);
    }
    return {};
}

void PostgreSQLAdapterV9x::apply_options(MetaModel::MetaTable& table, const CatalogRows& rows,
                                         std::size_t row) const {
    PostgreSQLAdapterV11x::apply_options(table, rows, row);
    auto& options = table.get_options();
    options.erase(Keys::partition);
    options[Keys::with_oids] = rows.flag(row, "hasoids") ? "true" : "false";
}

const Core::TypeInfo& PostgreSQLAdapterV9x::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<PostgreSQLAdapterV9x, PostgreSQLAdapterV11x>(
            "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV9x", {});
    return info;
}

std::shared_ptr<PostgreSQLAdapterV12x>
PostgreSQLAdapterV12x::create(const Contracts::Database::ConnectionPtr& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLAdapterV12x>(connection);
}

const Core::TypeInfo& PostgreSQLAdapterV12x::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<PostgreSQLAdapterV12x, PostgreSQLAdapterV11x>(
            "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV12x", {});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLAdapterV9x)
DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLAdapterV12x)

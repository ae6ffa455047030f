// Lists the objects of one kind for the object browser, runs object-level
// commands (such as locking a login) and answers the catalog lookups that
// jobs and the front end need (which database, which schemas, tables and
// columns exist), so that no code outside the dialect writes catalog SQL.
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/DbObject.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Dovodarud::Contracts::Database {

/// A relation of the catalog. `kind` is the catalog's letter: 'r' table,
/// 'p' partitioned table, 'v' view, 'm' materialized view, 'f' foreign table.
struct CatalogRelation {
    std::string schema;
    std::string name;
    char kind = 'r';
    bool is_table() const { return kind == 'r' || kind == 'p'; }
};

/// A column whose values a data job reads and writes (generated columns are
/// left out): its name, its place in the primary key (1-based; 0 when not in
/// it) and whether it is an identity GENERATED ALWAYS.
struct DataColumn {
    std::string name;
    std::size_t key_position = 0;
    bool identity_always = false;
};

/// A column's type as a binary COPY carries it: the type's oid, whether the
/// type is built in (the same oid on every server of one major version) and
/// whether it has binary send and receive functions.
struct ColumnWireType {
    std::string name;
    std::uint32_t type_oid = 0;
    bool built_in = false;
    bool binary_io = false;
    bool binary_safe() const { return built_in && binary_io; }
};

class IExplorable {
    DIZEZIDA_INTERFACE(IExplorable)
public:
    virtual ~IExplorable() = default;
    /// The objects of one kind in a schema, as a table for the navigator.
    [[nodiscard]] virtual Core::Result<std::shared_ptr<Zozuvoru::Contracts::TableModel>>
    load_objects(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                 std::string_view schema, std::string_view extra_data) = 0;
    /// Runs a named command on one object.
    [[nodiscard]] virtual Core::Result<void>
    exec_command(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                 std::string_view schema, std::string_view object, std::string_view extra_data,
                 std::string_view command) = 0;

    // Catalog lookups. An explorer that cannot answer one fails it.

    /// The database the connection is in.
    [[nodiscard]] virtual Core::Result<std::string> current_database() { return unsupported(); }
    /// The schemas that hold user objects (not pg_* nor information_schema),
    /// in name order.
    [[nodiscard]] virtual Core::Result<std::vector<std::string>> schema_names() {
        return unsupported();
    }
    /// Whether a schema of that name exists.
    [[nodiscard]] virtual Core::Result<bool> has_schema(std::string_view schema) {
        (void)schema;
        return unsupported();
    }
    /// The tables, views, materialized views and foreign tables of the
    /// schemas, by schema and name.
    [[nodiscard]] virtual Core::Result<std::vector<CatalogRelation>>
    relations(const std::vector<std::string>& schemas) {
        (void)schemas;
        return unsupported();
    }
    /// The user-defined types of the schemas that share the relations' name
    /// space for CREATE TYPE (composite, domain, enum and range types), as
    /// (schema, name) relations of kind 'c'.
    [[nodiscard]] virtual Core::Result<std::vector<CatalogRelation>>
    type_names(const std::vector<std::string>& schemas) {
        (void)schemas;
        return unsupported();
    }
    /// The column names of a relation in their order; none when there is no
    /// such relation.
    [[nodiscard]] virtual Core::Result<std::vector<std::string>>
    column_names(std::string_view schema, std::string_view relation) {
        (void)schema, (void)relation;
        return unsupported();
    }
    /// The tables of a schema that hold rows of their own (ordinary and
    /// partitioned tables that are no partition), in name order.
    [[nodiscard]] virtual Core::Result<std::vector<std::string>>
    data_tables(std::string_view schema) {
        (void)schema;
        return unsupported();
    }
    /// The columns a data job reads of a table, in their order; none when
    /// there is no such table.
    [[nodiscard]] virtual Core::Result<std::vector<DataColumn>>
    data_columns(std::string_view schema, std::string_view table) {
        (void)schema, (void)table;
        return unsupported();
    }

    /// The types of a relation's columns, in their order; none when there is
    /// no such relation.
    [[nodiscard]] virtual Core::Result<std::vector<ColumnWireType>>
    column_wire_types(std::string_view schema, std::string_view relation) {
        (void)schema, (void)relation;
        return unsupported();
    }

    /// The size of an ordinary table in blocks of the server's block size;
    /// 0 when there is no such table.
    [[nodiscard]] virtual Core::Result<std::uint64_t> table_blocks(std::string_view schema,
                                                                   std::string_view table) {
        (void)schema, (void)table;
        return unsupported();
    }

    /// The primary-key columns of a table in key order; none without a key.
    /// An empty schema finds the table on the search path, as a query would.
    [[nodiscard]] virtual Core::Result<std::vector<std::string>>
    primary_key(std::string_view schema, std::string_view table) {
        (void)schema, (void)table;
        return unsupported();
    }
    /// The sequence a column owns (serial or identity), qualified and
    /// quoted as the server writes it; "" when it owns none.
    [[nodiscard]] virtual Core::Result<std::string>
    owned_sequence(std::string_view schema, std::string_view table, std::string_view column) {
        (void)schema, (void)table, (void)column;
        return unsupported();
    }

private:
    static std::unexpected<Core::Error> unsupported() {
        return Core::fail(Core::Error{"dizezida-explorer", 0,
                                      "this connection's explorer does not read the catalog"});
    }
};

} // namespace Dizezida::Dovodarud::Contracts::Database

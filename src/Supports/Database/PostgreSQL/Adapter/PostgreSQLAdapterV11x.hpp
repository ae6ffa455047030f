// The PostgreSQL catalog adapter: reads a server's catalog into the meta
// model (databases, schemas, tables with their columns, keys, indexes,
// triggers, constraints, rules and storage options, views, materialized
// views, routines, roles and users).
//
// Every object is read once: a filled object carries "FILLED" and a second
// fill does nothing until `reset()`. A deep fill of a schema reads each part
// of its tables with one query for the whole schema and hands the rows out;
// a fill of one table runs the same queries narrowed to it, so both give the
// same model. Queries are written on pg_catalog and follow the connection's
// major version, so one adapter serves 10 to 18 (V9x and V12x differ only
// where the older and newer catalogs do).
//
// An error of any query stops the fill and comes back unchanged; what was
// added so far stays, and the object is not marked. A query that should
// find the object and does not gives a NOT_FOUND error.
//
// Ownership: refers to its connection without owning it. Threads: no state
// of its own; one adapter must not fill the same object from two threads.
#pragma once

#include "Supports/Database/Adapter.hpp"
#include "Supports/Database/PostgreSQL/Catalog/CatalogQueries.hpp"

#include "core/Value.hpp"

#include <functional>
#include <map>
#include <span>
#include <unordered_map>

namespace Dizezida::Dovodarud::MetaModel {
class MetaIndex;
class MetaRelation;
class MetaRule;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Database {

class CatalogRows;

/// An index's properties from row `row` of the index query.
void apply_index(MetaModel::MetaIndex& index, const CatalogRows& rows, std::size_t row);

class PostgreSQLAdapterV11x : public Adapter {
    DIZEZIDA_OBJECT(PostgreSQLAdapterV11x)
public:
    using Adapter::Adapter;
    /// An adapter for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<PostgreSQLAdapterV11x>
    create(const Contracts::Database::ConnectionPtr& connection);

    Done fill_meta_database(const Ptr<MetaModel::MetaDatabase>& database,
                            std::int32_t full) override;
    Done fill_meta_schema(const Ptr<MetaModel::MetaSchema>& schema, std::int32_t full) override;
    /// Every listing and part query once for all the schemas.
    Done fill_meta_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                           std::int32_t full) override;
    Done fill_meta_table(const Ptr<MetaModel::MetaTable>& table, std::int32_t full) override;
    Done fill_meta_view(const Ptr<MetaModel::MetaView>& view) override;
    Done fill_meta_index(const Ptr<MetaModel::MetaIndex>& index) override;
    Done fill_meta_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) override;
    Done fill_meta_function(const Ptr<MetaModel::MetaFunction>& function) override;
    Done fill_meta_user(const Ptr<MetaModel::MetaUser>& user) override;
    Done fill_meta_role(const Ptr<MetaModel::MetaRole>& role) override;
    /// Appends the rows of the table a model is marked with (schema and
    /// key, Supports/Database/DataTable.hpp) in key order: its columns when
    /// it has some, else every column, which it then receives.
    Done fill_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& table) override;
    Done fill_meta_object(const Ptr<MetaModel::MetaObject>& meta_object) override;
    /// Every entry of the privilege table, as "KIND=PRIVILEGE,...".
    Done load_privileges(const Ptr<std::vector<std::string>>& matrix) override;

    // Parts of one table, each also callable alone.
    [[nodiscard]] Done fill_schema_table_check(const Ptr<MetaModel::MetaTable>& table);
    [[nodiscard]] Done fill_schema_table_foreign(const Ptr<MetaModel::MetaTable>& table);
    [[nodiscard]] Done fill_schema_table_unique(const Ptr<MetaModel::MetaTable>& table);
    [[nodiscard]] Done fill_schema_table_options(const Ptr<MetaModel::MetaTable>& table);
    [[nodiscard]] Done fill_schema_table_exclude(const Ptr<MetaModel::MetaTable>& table);

    /// Replaces the columns of the schema's views, derived from their
    /// definitions (names only), by the catalog's: types, nullability,
    /// defaults and comments in attribute order.
    [[nodiscard]] Done fill_view_columns(MetaModel::MetaSchema& schema) override;

    /// Role memberships into "ROLES" and "MEMBERS".
    [[nodiscard]] virtual Done load_relation(const Ptr<MetaModel::MetaRelation>& account);
    /// The account's privileges on every object into its "privileges" map.
    [[nodiscard]] Done load_role_privileges(const Ptr<MetaModel::MetaRelation>& account);

    /// The privileges each object kind accepts; all kinds when `kinds` is empty.
    static void load_privileges(Core::StringMap& map, std::span<const std::string> kinds);
    /// The privileges one grantee holds in an ACL text ("SELECT=G,UPDATE=W").
    static std::string extract_and_translate_privilege(std::string_view privileges,
                                                       std::string_view user);
    /// The referential action of a catalog letter ("" for an unknown one).
    static std::string get_full_action_name(std::string_view letter);

    /// The key of a table, view or routine in the adapter's indexes: its schema and name.
    static std::string table_key(std::string_view schema, std::string_view name);

protected:
    class JitPause;
    using Scope = CatalogQueries::Scope;
    /// The unfilled tables of a scope, by `table_key`.
    using TableIndex = std::unordered_map<std::string, std::shared_ptr<MetaModel::MetaTable>>;
    /// The index of one table.
    static TableIndex one_table(const Ptr<MetaModel::MetaTable>& table);
    /// Schemas being filled, by name.
    using SchemaIndex = std::map<std::string, MetaModel::MetaSchema*>;

    /// Fills the schemas together: each listing query once for every schema
    /// not filled yet, and with `full` each part query once for every
    /// unfilled table, view and routine of all of them.
    [[nodiscard]] Done fill_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas, bool full);
    /// Owners, relations, routines, types, sequences and materialized views.
    [[nodiscard]] Done read_listings(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas);

    /// Reads the given tables of the scope's schemas together and marks them.
    [[nodiscard]] Done fill_tables(const Scope& scope, const TableIndex& tables, bool full);

    /// Runs a part's query and hands each row to the table it belongs to.
    [[nodiscard]] Done
    each_table_row(const std::string& sql, const TableIndex& tables,
                   const std::function<void(MetaModel::MetaTable&, const CatalogRows&,
                                            std::size_t)>& apply);
    [[nodiscard]] Done read_columns(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] Done read_primary_keys(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] Done read_indexes(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] Done read_triggers(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] virtual Done read_checks(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] virtual Done read_foreigns(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] virtual Done read_uniques(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] Done read_excludes(const Scope& scope, const TableIndex& tables);
    [[nodiscard]] Done read_rules(const Scope& scope, const TableIndex& tables);
    /// A rule from row `row` of the rules query.
    static std::shared_ptr<MetaModel::MetaRule> rule_from_row(const CatalogRows& rows, std::size_t row);
    /// Storage options; the one part whose columns differ before 10.
    [[nodiscard]] virtual Done read_options(const Scope& scope, const TableIndex& tables);
    /// Fills the options of one table from row `row` of the options query.
    virtual void apply_options(MetaModel::MetaTable& table, const CatalogRows& rows,
                               std::size_t row) const;

    /// The views of the scope (all unfilled ones, or the one named).
    [[nodiscard]] Done read_views(const Scope& scope,
                                  const std::vector<std::shared_ptr<MetaModel::MetaView>>& views);
    /// Routines, matched to their objects by name and identity arguments.
    [[nodiscard]] Done
    read_routines(const Scope& scope,
                  const std::vector<std::shared_ptr<MetaModel::MetaFunction>>& routines);
    /// The indexes of the schemas' materialized views.
    [[nodiscard]] Done read_view_indexes(const Scope& scope, const SchemaIndex& schemas);
    /// The dependencies among the objects of the schemas, handed to the
    /// objects that have them (MetaObject::depends).
    [[nodiscard]] Done read_dependencies(const Scope& scope,
                                         const std::vector<Ptr<MetaModel::MetaSchema>>& schemas);
    /// The schemas' user-defined types and sequences (read with their listing).
    [[nodiscard]] Done read_types_and_sequences(const Scope& scope, const SchemaIndex& schemas);
    /// Runs a listing query and hands each row to the schema it names.
    [[nodiscard]] Done
    each_schema_row(const std::string& sql, const SchemaIndex& schemas,
                    const std::function<void(MetaModel::MetaSchema&, const CatalogRows&, std::size_t)>&
                        apply);
    [[nodiscard]] Done fill_account(MetaModel::MetaRelation& account,
                                    const Ptr<MetaModel::MetaRelation>& shared);

    [[nodiscard]] Core::Result<CatalogRows> run(const std::string& sql) const;
    /// The connection's major server version (0 when unknown).
    std::uint32_t major() const;
    /// One table's part read alone.
    [[nodiscard]] Done fill_part(const Ptr<MetaModel::MetaTable>& table,
                                 Done (PostgreSQLAdapterV11x::*part)(const Scope&,
                                                                     const TableIndex&));
};

} // namespace Dizezida::Dovodarud::Supports::Database

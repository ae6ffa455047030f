// The catalog queries of the PostgreSQL adapters, written on pg_catalog.
//
// Each query reads every object of one or several schemas, or one object
// (`Scope`), with the same columns either way, so a deep fill of a database
// runs one query per kind for all its schemas and hands the rows out, and a
// fill of one object runs the very same query narrowed to it. Rows carry the
// schema ("schema_name") and, for table parts, the table ("table_name") they
// belong to, and come ordered by schema first, then as each query says.
//
// Queries adapt to the server's major version (`major`; 0 counts as the
// newest): pg_proc.prokind from 11, generated columns from 12, identity,
// partitions and pg_sequence from 10. Names and values are escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries {

/// The objects a query reads: every one of the schemas, or the one named
/// (in the first schema).
struct Scope {
    Scope(std::string schema, std::string name = {}) : schemas{std::move(schema)}, name(std::move(name)) {}
    explicit Scope(std::vector<std::string> every_schema) : schemas(std::move(every_schema)) {}
    std::vector<std::string> schemas;
    std::string name; ///< "" for every object of the schemas
};

/// Columns of tables (relkind r, p, f), or with `views` of views (relkind v),
/// in relation then attribute order.
std::string columns(const Scope& scope, std::uint32_t major, bool views = false);
/// Primary-key columns in key order.
std::string primary_keys(const Scope& scope);
/// Indexes that back no constraint; `by_index` filters on the index name
/// instead of the table name.
std::string indexes(const Scope& scope, std::uint32_t major, bool by_index);
/// User triggers, one row each; `by_trigger` filters on the trigger name.
std::string triggers(const Scope& scope, bool by_trigger);
/// Check ('c'), unique ('u'), foreign-key ('f') or exclusion ('x') constraints.
/// Only the table's own constraints: not those it inherits or a partition
/// gets from its parent.
std::string constraints(const Scope& scope, char kind, std::uint32_t major);
/// Rules other than a view's _RETURN, of tables, or with `views` of views.
std::string rules(const Scope& scope, bool views = false);
/// Storage options, one row per table; `with_oids` reads relhasoids (before 12).
std::string table_options(const Scope& scope, std::uint32_t major, bool with_oids);
/// Views (relkind v) with options, owner, comment and definition.
std::string views(const Scope& scope);
/// Materialized views of the schemas.
std::string materialized_views(const Scope& scope);

/// Tables and views of the schemas, leaving out those of extensions.
std::string schema_relations(const Scope& scope);
/// Routines of the schemas (no aggregates, none of an extension), with their
/// identity arguments.
std::string schema_routines(const Scope& scope, std::uint32_t major);
/// Routine details; `arguments` (identity arguments) picks one overload
/// when not empty.
std::string routines(const Scope& scope, std::uint32_t major, bool by_arguments,
                     std::string_view arguments);

/// Enums, ranges, domains and composite types of the schemas, in that order
/// (then by creation), each with the text that follows AS when it is created.
std::string types(const Scope& scope);
/// Sequences of the schemas that are not an identity column's, with the
/// column that owns them.
std::string sequences(const Scope& scope);

/// The dependencies among the objects of the schemas that the model does
/// not hold itself (it holds foreign keys, inheritance and sequence
/// ownership): pg_depend's normal rows of routines, types and views and of
/// what uses routines and types, in no order, each as the dependent's kind,
/// name and part and the needed object's kind, schema, name and part (the
/// keys of MetaModel/MetaDependency.hpp; a routine named with its arguments).
std::string dependencies(const Scope& scope);

std::string database(std::string_view name);
std::string extensions();
std::string schemas();
/// Owner and comment of each of the schemas.
std::string schema_owner(const Scope& scope);

/// The roles an account belongs to, and its members.
std::string memberships(std::string_view account);
std::string members(std::string_view account);
/// The objects of one class whose ACL names the account, with the ACL text.
std::string privileged_objects(std::string_view object_class, std::string_view account,
                               std::string_view database, std::uint32_t major);

/// Foreign keys whose table and referenced table both lie in the schemas:
/// schema_name, table_name, refer_schema, refer_table, name, deferrable,
/// by table then name. Partitions' copies of a key name the partitions.
std::string foreign_key_links(const Scope& scope);
/// One boolean: whether the current role may set session_replication_role
/// (a superuser; from 15 also a role granted SET on it).
std::string may_set_replication_role(std::uint32_t major);

// Lookups for jobs and the front end (the explorer answers them).

/// One row: name, the database of the session.
std::string current_database();
/// The schemas that hold user objects: name, in name order.
std::string user_schemas();
/// One row: found, whether the schema exists.
std::string schema_exists(std::string_view schema);
/// Tables, views, materialized views and foreign tables of the schemas:
/// schema_name, name, kind (relkind), by schema then name.
std::string relation_names(const Scope& scope);
/// Composite, domain, enum and range types of the schemas: schema_name, name.
std::string type_names(const Scope& scope);
/// The column names of one relation (the scope's name): name, in order.
std::string column_names(const Scope& scope);
/// The tables of the scope's schemas with rows of their own (no partition):
/// name, in name order.
std::string data_tables(const Scope& scope);
/// The primary-key columns of a table (found on the search path when the
/// schema is empty): name, in key order.
std::string primary_key_columns(std::string_view schema, std::string_view table);
/// One row: name, the sequence a column of a table owns (NULL for none).
std::string owned_sequence(std::string_view schema, std::string_view table,
                           std::string_view column);
/// The columns of one table (the scope's name) that data jobs read, generated
/// ones left out: name, key_position (0 outside the primary key),
/// identity_always.
std::string data_columns(const Scope& scope, std::uint32_t major);
/// The columns of one relation (the scope's name) with their types: name,
/// type_oid, built_in (an oid below the first one a database hands out),
/// binary_io (send and receive functions both there).
std::string column_wire_types(const Scope& scope);
/// One row for an ordinary table (the scope's name): blocks, its size in
/// blocks of the server's block size.
std::string table_blocks(const Scope& scope);

} // namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries

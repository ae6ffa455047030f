// The catalog queries of the PostgreSQL adapters, written on pg_catalog.
//
// Each query of a table part reads either every object of one schema or one
// object (`CatalogScope`), with the same columns either way, so a deep fill
// of a schema runs one query per kind and hands the rows out, and a fill of
// one object runs the very same query narrowed to it. Rows carry the name of
// the table they belong to ("table_name") and come ordered by it.
//
// Queries adapt to the server's major version (`major`; 0 counts as the
// newest): pg_proc.prokind from 11, generated columns from 12, identity,
// partitions and pg_sequence from 10. Names and values are escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries {

/// The objects a query reads: every one of a schema, or the one named.
struct Scope {
    std::string schema;
    std::string name; ///< "" for the whole schema
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
/// Rules other than a view's _RETURN.
std::string rules(const Scope& scope);
/// Storage options, one row per table; `with_oids` reads relhasoids (before 12).
std::string table_options(const Scope& scope, std::uint32_t major, bool with_oids);
/// Views (relkind v) with options, owner, comment and definition.
std::string views(const Scope& scope);
/// Materialized views of a schema.
std::string materialized_views(std::string_view schema);

/// Tables and views of a schema, leaving out those of extensions.
std::string schema_relations(std::string_view schema);
/// Routines of a schema (no aggregates, none of an extension), with their
/// identity arguments.
std::string schema_routines(std::string_view schema, std::uint32_t major);
/// Routine details; `arguments` (identity arguments) picks one overload
/// when not empty.
std::string routines(const Scope& scope, std::uint32_t major, bool by_arguments,
                     std::string_view arguments);

/// Enums, ranges, domains and composite types of a schema, in that order
/// (then by creation), each with the text that follows AS when it is created.
std::string types(std::string_view schema);
/// Sequences of a schema that are not an identity column's, with the column
/// that owns them.
std::string sequences(std::string_view schema);

std::string database(std::string_view name);
std::string extensions();
std::string schemas();
std::string schema_owner(std::string_view schema);

/// The roles an account belongs to, and its members.
std::string memberships(std::string_view account);
std::string members(std::string_view account);
/// The objects of one class whose ACL names the account, with the ACL text.
std::string privileged_objects(std::string_view object_class, std::string_view account,
                               std::string_view database, std::uint32_t major);

} // namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries

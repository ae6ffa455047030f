#include "Supports/Database/PostgreSQL/Catalog/PostgreSQLExplorer.hpp"

#include "Supports/Database/PostgreSQL/Catalog/CatalogQueries.hpp"
#include "Supports/Database/PostgreSQL/Catalog/CatalogRows.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/RowModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <array>
#include <type_traits>
#include <utility>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

using Zozuvoru::Contracts::DbObject;
using Zozuvoru::Contracts::TableModel;

constexpr const char* k_text_domain = "dizezida";

constexpr const char* k_aggregate_titles[] = {"Name",           "Owner",
                                              "State type",     "State function",
                                              "Final function", "Initial condition",
                                              "Sort operator",  "Comment"};
constexpr const char* k_cast_titles[] = {"Name",    "Source type", "Target type", "Function",
                                         "Context", "Method",      "Comment"};
constexpr const char* k_opclass_titles[] = {"Name",         "Owner",
                                            "Index method", "Data type",
                                            "Storage type", "Default operator",
                                            "Family",       "Comment"};
constexpr const char* k_conversion_titles[] = {"Name",     "Owner",   "Source encoding",
                                               "Target encoding", "Function", "Default",
                                               "Comment"};
constexpr const char* k_database_titles[] = {"Name", "Character", "Table space",
                                             "Allow connection", "Connection limit"};
constexpr const char* k_domain_titles[] = {"Name",      "Owner",    "Base type category",
                                           "Base type", "Dimension", "Not null",
                                           "Default",   "Collation", "Comment"};
constexpr const char* k_routine_titles[] = {"Name",     "Type",  "Return type",
                                            "Parameters", "Language", "Owner",
                                            "Estimated cost", "Estimated rows", "Comment"};
constexpr const char* k_index_titles[] = {"Name",    "Table", "Tablespace", "Method", "Unique",
                                          "Primary key", "Cluster", "Owner", "Pages", "Comment"};
constexpr const char* k_language_titles[] = {"Name",    "Owner",     "Trusted",
                                             "Handler", "Validator", "Comment"};
constexpr const char* k_materialized_titles[] = {"Name", "Owner", "Tablespace", "Populated",
                                                 "Comment"};
constexpr const char* k_operator_titles[] = {
    "Name",       "Owner",      "Kind",     "Hash",              "Merge",
    "Left type",  "Right type", "Commutator", "Negator",         "Operator Function",
    "Restrict function", "Join function", "Comment"};
constexpr const char* k_package_titles[] = {"Name",        "Security type", "Definer",
                                            "Create time", "Modified time", "Comment"};
constexpr const char* k_role_titles[] = {"Name",           "Super user",      "Inherit privileges",
                                         "Create role",    "Create database", "Bypass RLS",
                                         "Replication",    "Connection limit", "Expire data",
                                         "Comment"};
constexpr const char* k_schema_titles[] = {"Name", "Owner"};
constexpr const char* k_sequence_titles[] = {"Name", "Owner",      "Minimum", "Maximum", "Start",
                                             "Step", "Cache size", "Cycled",  "Comment"};
constexpr const char* k_server_titles[] = {"Name",           "Owner",              "FDW name",
                                           "Server type",    "Server DataVersion", "Options",
                                           "Comment"};
constexpr const char* k_table_titles[] = {"Name",         "Owner",     "Tablespace",
                                          "Rows",         "Has indexes", "Has rules",
                                          "Has triggers", "Row security", "Comment"};
constexpr const char* k_tablespace_titles[] = {"Name", "Owner", "Location", "Comment"};
constexpr const char* k_trigger_titles[] = {"Name",       "Table name", "Trigger type", "Event",
                                            "Fire time",  "For each",   "Deferrable",   "Deferred",
                                            "Status",     "MetaConstraint", "Internal", "Comment"};
constexpr const char* k_type_titles[] = {"Name", "Type", "Input", "Output", "Owner", "Comment"};
constexpr const char* k_view_titles[] = {"Name", "Owner", "Comment"};

constexpr PostgreSQLExplorer::Kind k_kinds[] = {
    {DbObject::AGGREGATE, "aggregates"},
    {DbObject::CAST, "casts"},
    {DbObject::OPERATOR_CLASS, "operator-classes"},
    {DbObject::CONVERSION, "conversions"},
    {DbObject::DATABASE, "databases"},
    {DbObject::DOMAIN, "domains"},
    {DbObject::FUNCTION, "functions"},
    {DbObject::INDEX, "indexes"},
    {DbObject::LANGUAGE, "languages"},
    {DbObject::MATERIALIZED_VIEW, "materialized-views"},
    {DbObject::OPERATOR, "operators"},
    {DbObject::PACKAGE, "packages"},
    {DbObject::PROCEDURE, "procedures"},
    {DbObject::ROLE, "roles"},
    {DbObject::ROUTINE, "routines"},
    {DbObject::SCHEMA, "schemas"},
    {DbObject::SEQUENCE, "sequences"},
    {DbObject::SERVER, "servers"},
    {DbObject::TABLE, "tables"},
    {DbObject::TABLESPACE, "tablespaces"},
    {DbObject::TRIGGER, "triggers"},
    {DbObject::TYPE, "types"},
    {DbObject::USER, "users"},
    {DbObject::VIEW, "views"},
};

/// A comment join for objects of a catalog ("d.description" then reads it).
std::string comment_join(std::string_view oid, std::string_view catalog) {
    return fmt::format(" LEFT JOIN pg_catalog.pg_description d ON d.objoid = {} AND d.objsubid = 0"
                       " AND d.classoid = 'pg_catalog.{}'::pg_catalog.regclass",
                       oid, catalog);
}

std::string roles_query(bool login) {
    return fmt::format("SELECT rolname, rolsuper, rolinherit, rolcreaterole, rolcreatedb,"
                       " rolbypassrls, rolreplication, rolconnlimit, rolvaliduntil,"
                       " pg_catalog.shobj_description(oid, 'pg_authid') AS comment"
                       " FROM pg_catalog.pg_roles WHERE rolcanlogin = {} ORDER BY rolname ASC;",
                       login ? "true" : "false");
}

/// A routine listing: the kinds shown, how their kind reads, and the kind expression.
std::string routines_query(std::string_view schema, std::string_view kind_expression,
                           std::string_view kinds, std::string_view kind_names) {
    return fmt::format(
        "SELECT p.proname AS name, CASE {kind} {names} ELSE 'UNKNOWN' END AS type,"
        " pg_catalog.pg_get_function_result(p.oid) AS return_type,"
        " pg_catalog.pg_get_function_arguments(p.oid) AS parameters, l.lanname AS language,"
        " pg_catalog.pg_get_userbyid(p.proowner) AS owner, p.procost, p.prorows,"
        " d.description AS comment FROM pg_catalog.pg_proc p"
        " JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
        " JOIN pg_catalog.pg_language l ON l.oid = p.prolang{comment}"
        " WHERE n.nspname = {schema} AND {kind} IN ({kinds}) ORDER BY p.proname, p.oid",
        fmt::arg("kind", kind_expression), fmt::arg("names", kind_names),
        fmt::arg("comment", comment_join("p.oid", "pg_proc")),
        fmt::arg("schema", sql_literal(schema)), fmt::arg("kinds", kinds));
}

/// Words shown instead of catalog letters, by column.
struct Rewrite {
    std::size_t column;
    std::span<const std::pair<const char*, const char*>> words;
};

constexpr std::pair<const char*, const char*> k_cast_contexts[] = {
    {"e", "Explicit"}, {"a", "Assignment"}, {"i", "Implicit"}};
constexpr std::pair<const char*, const char*> k_cast_methods[] = {
    {"f", "Function"}, {"i", "In/Out"}, {"b", "None"}};
constexpr std::pair<const char*, const char*> k_type_categories[] = {
    {"b", "Base type"},   {"c", "Composite type"}, {"d", "Domain"},         {"e", "Enum type"},
    {"p", "Pseudo type"}, {"r", "Range type"},     {"m", "Multirange type"}};
constexpr std::pair<const char*, const char*> k_relation_kinds[] = {
    {"r", "Ordinary table"}, {"i", "Index"},          {"S", "Sequence"},
    {"t", "TOAST table"},    {"v", "View"},           {"m", "Materialized view"},
    {"c", "Composite type"}, {"f", "Foreign table"},  {"p", "Partitioned table"},
    {"I", "Partitioned index"}};
constexpr std::pair<const char*, const char*> k_trigger_states[] = {
    {"O", "Origin"}, {"D", "Disabled"}, {"R", "Replica"}, {"A", "Always"}};

std::vector<Rewrite> rewrites(DbObject kind) {
    switch (kind) {
    case DbObject::CAST: return {{4, k_cast_contexts}, {5, k_cast_methods}};
    case DbObject::TYPE: return {{1, k_type_categories}};
    case DbObject::DOMAIN: return {{2, k_type_categories}};
    case DbObject::TRIGGER: return {{2, k_relation_kinds}, {8, k_trigger_states}};
    default: return {};
    }
}

void apply_rewrites(TableModel& table, DbObject kind) {
    for (const Rewrite& rewrite : rewrites(kind)) {
        if (rewrite.column >= table.get_column_count())
            continue;
        for (std::size_t row = 0; row < table.get_row_count(); ++row) {
            if (table.is_null_at(row, rewrite.column))
                continue;
            const std::string letter = table.get_text_at(row, rewrite.column);
            for (const auto& [from, word] : rewrite.words)
                if (letter == from)
                    table.get_row(row)->set_value_at(
                        rewrite.column,
                        Zozuvoru::Contracts::ValueString::create(g_dgettext(k_text_domain, word)));
        }
    }
}

/// The listing of a kind that belongs to the whole cluster or database
/// (casts, databases, languages, roles, schemas, servers, tablespaces).
std::string cluster_query(DbObject kind) {
    switch (kind) {
    case DbObject::CAST:
        return "SELECT pg_catalog.format_type(c.castsource, NULL) || ' AS ' ||"
               " pg_catalog.format_type(c.casttarget, NULL) AS name,"
               " pg_catalog.format_type(c.castsource, NULL) AS source_type,"
               " pg_catalog.format_type(c.casttarget, NULL) AS target_type,"
               " NULLIF(c.castfunc, 0)::pg_catalog.regprocedure::text AS function,"
               " c.castcontext AS context, c.castmethod AS method, d.description AS comment"
               " FROM pg_catalog.pg_cast c" +
               comment_join("c.oid", "pg_cast") + " ORDER BY source_type, target_type";
    case DbObject::DATABASE:
        return "SELECT db.datname, pg_catalog.pg_encoding_to_char(db.encoding) encode, sp.spcname,"
               " db.datallowconn, db.datconnlimit FROM \"pg_catalog\".\"pg_database\" db"
               " LEFT JOIN \"pg_catalog\".\"pg_tablespace\" sp on db.dattablespace=sp.oid"
               " WHERE db.datistemplate=false ORDER BY db.datname ASC;";
    case DbObject::LANGUAGE:
        return "SELECT l.lanname AS name, pg_catalog.pg_get_userbyid(l.lanowner) AS owner,"
               " l.lanpltrusted AS trusted,"
               " NULLIF(l.lanplcallfoid, 0)::pg_catalog.regproc::text AS handler,"
               " NULLIF(l.lanvalidator, 0)::pg_catalog.regproc::text AS validator,"
               " d.description AS comment FROM pg_catalog.pg_language l" +
               comment_join("l.oid", "pg_language") + " WHERE l.lanispl ORDER BY l.lanname";
    case DbObject::ROLE:
        return roles_query(false);
    case DbObject::USER:
        return roles_query(true);
    case DbObject::SCHEMA:
        return "SELECT nspname AS schema_name, pg_catalog.pg_get_userbyid(nspowner) AS schema_owner"
               " FROM pg_catalog.pg_namespace WHERE nspname !~ '^pg_(toast|temp_|toast_temp_)'"
               " ORDER BY nspname";
    case DbObject::SERVER:
        return "SELECT s.srvname AS name, pg_catalog.pg_get_userbyid(s.srvowner) AS owner,"
               " w.fdwname AS fdw_name, s.srvtype AS server_type, s.srvversion AS server_version,"
               " pg_catalog.array_to_string(s.srvoptions, ', ') AS options,"
               " d.description AS comment FROM pg_catalog.pg_foreign_server s"
               " JOIN pg_catalog.pg_foreign_data_wrapper w ON w.oid = s.srvfdw" +
               comment_join("s.oid", "pg_foreign_server") + " ORDER BY s.srvname";
    case DbObject::TABLESPACE:
        return "SELECT spcname AS name, pg_catalog.pg_get_userbyid(spcowner) AS owner,"
               " pg_catalog.pg_tablespace_location(oid) AS location,"
               " pg_catalog.shobj_description(oid, 'pg_tablespace') AS comment"
               " FROM pg_catalog.pg_tablespace ORDER BY spcname";
    default: return {};
    }
}

/// The listing of a kind of schema object that is no relation nor routine;
/// `in_schema` is the schema's literal.
std::string schema_object_query(DbObject kind, const std::string& in_schema) {
    switch (kind) {
    case DbObject::AGGREGATE:
        return "SELECT p.proname AS name, pg_catalog.pg_get_userbyid(p.proowner) AS owner,"
               " pg_catalog.format_type(a.aggtranstype, NULL) AS state_type,"
               " a.aggtransfn::text AS state_function,"
               " NULLIF(a.aggfinalfn::oid, 0)::pg_catalog.regproc::text AS final_function,"
               " a.agginitval AS initial_condition,"
               " NULLIF(a.aggsortop, 0)::pg_catalog.regoperator::text AS sort_operator,"
               " d.description AS comment FROM pg_catalog.pg_aggregate a"
               " JOIN pg_catalog.pg_proc p ON p.oid = a.aggfnoid"
               " JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace" +
               comment_join("p.oid", "pg_proc") + " WHERE n.nspname = " + in_schema +
               " ORDER BY p.proname, p.oid";
    case DbObject::OPERATOR_CLASS:
        return "SELECT o.opcname AS name, pg_catalog.pg_get_userbyid(o.opcowner) AS owner,"
               " am.amname AS index_method, pg_catalog.format_type(o.opcintype, NULL) AS data_type,"
               " CASE WHEN o.opckeytype = 0 THEN NULL"
               " ELSE pg_catalog.format_type(o.opckeytype, NULL) END AS storage_type,"
               " o.opcdefault AS default_operator, f.opfname AS family, d.description AS comment"
               " FROM pg_catalog.pg_opclass o JOIN pg_catalog.pg_am am ON am.oid = o.opcmethod"
               " JOIN pg_catalog.pg_opfamily f ON f.oid = o.opcfamily"
               " JOIN pg_catalog.pg_namespace n ON n.oid = o.opcnamespace" +
               comment_join("o.oid", "pg_opclass") + " WHERE n.nspname = " + in_schema +
               " ORDER BY o.opcname, am.amname";
    case DbObject::CONVERSION:
        return "SELECT c.conname AS name, pg_catalog.pg_get_userbyid(c.conowner) AS owner,"
               " pg_catalog.pg_encoding_to_char(c.conforencoding) AS source_encoding,"
               " pg_catalog.pg_encoding_to_char(c.contoencoding) AS target_encoding,"
               " c.conproc::text AS function, c.condefault AS is_default, d.description AS comment"
               " FROM pg_catalog.pg_conversion c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.connamespace" +
               comment_join("c.oid", "pg_conversion") + " WHERE n.nspname = " + in_schema +
               " ORDER BY c.conname";
    case DbObject::DOMAIN:
        return "SELECT t.typname AS name, pg_catalog.pg_get_userbyid(t.typowner) AS owner,"
               " bt.typtype AS base_category,"
               " pg_catalog.format_type(t.typbasetype, t.typtypmod) AS base_type,"
               " t.typndims AS dimension, t.typnotnull AS not_null, t.typdefault AS default_value,"
               " co.collname AS collation, d.description AS comment FROM pg_catalog.pg_type t"
               " JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace"
               " JOIN pg_catalog.pg_type bt ON bt.oid = t.typbasetype"
               " LEFT JOIN pg_catalog.pg_collation co ON co.oid = t.typcollation"
               " AND t.typcollation <> bt.typcollation" +
               comment_join("t.oid", "pg_type") + " WHERE t.typtype = 'd' AND n.nspname = " +
               in_schema + " ORDER BY t.typname";
    case DbObject::OPERATOR:
        return "SELECT o.oprname AS name, pg_catalog.pg_get_userbyid(o.oprowner) AS owner,"
               " o.oprkind AS kind, o.oprcanhash AS hash, o.oprcanmerge AS merge,"
               " CASE WHEN o.oprleft = 0 THEN NULL"
               " ELSE pg_catalog.format_type(o.oprleft, NULL) END AS left_type,"
               " CASE WHEN o.oprright = 0 THEN NULL"
               " ELSE pg_catalog.format_type(o.oprright, NULL) END AS right_type,"
               " NULLIF(o.oprcom, 0)::pg_catalog.regoperator::text AS commutator,"
               " NULLIF(o.oprnegate, 0)::pg_catalog.regoperator::text AS negator,"
               " o.oprcode::text AS operator_function,"
               " NULLIF(o.oprrest::oid, 0)::pg_catalog.regproc::text AS restrict_function,"
               " NULLIF(o.oprjoin::oid, 0)::pg_catalog.regproc::text AS join_function,"
               " d.description AS comment FROM pg_catalog.pg_operator o"
               " JOIN pg_catalog.pg_namespace n ON n.oid = o.oprnamespace" +
               comment_join("o.oid", "pg_operator") + " WHERE n.nspname = " + in_schema +
               " ORDER BY o.oprname, o.oid";
    case DbObject::TYPE:
        return "SELECT t.typname AS name, t.typtype AS type, t.typinput::text AS input,"
               " t.typoutput::text AS output, pg_catalog.pg_get_userbyid(t.typowner) AS owner,"
               " d.description AS comment FROM pg_catalog.pg_type t"
               " JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace"
               " LEFT JOIN pg_catalog.pg_class r ON r.oid = t.typrelid" +
               comment_join("t.oid", "pg_type") + " WHERE n.nspname = " + in_schema +
               " AND t.typtype <> 'd' AND (t.typrelid = 0 OR r.relkind = 'c')"
               " AND NOT (t.typelem <> 0 AND t.typlen = -1) ORDER BY t.typname";
    case DbObject::PACKAGE:
        return "SELECT routine_name AS name, security_type, NULL::text AS definer,"
               " NULL::timestamptz AS created, NULL::timestamptz AS modified,"
               " NULL::text AS comment FROM information_schema.routines"
               " WHERE routine_type = 'PACKAGE' AND routine_schema = " +
               in_schema + " ORDER BY routine_name";
    default:
        return {};
    }
}

/// The listing of a kind of relation or relation part of a schema.
std::string relation_query(DbObject kind, const std::string& in_schema) {
    switch (kind) {
    case DbObject::INDEX:
        return "SELECT i.relname AS name, c.relname AS table_name, ts.spcname AS tablespace,"
               " am.amname AS method, x.indisunique AS is_unique, x.indisprimary AS is_primary,"
               " x.indisclustered AS is_clustered, pg_catalog.pg_get_userbyid(i.relowner) AS owner,"
               " i.relpages AS pages, d.description AS comment FROM pg_catalog.pg_index x"
               " JOIN pg_catalog.pg_class i ON i.oid = x.indexrelid"
               " JOIN pg_catalog.pg_class c ON c.oid = x.indrelid"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " JOIN pg_catalog.pg_am am ON am.oid = i.relam"
               " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = i.reltablespace" +
               comment_join("i.oid", "pg_class") + " WHERE c.relkind IN ('r', 'm', 'p')" +
               " AND n.nspname = " + in_schema + " ORDER BY c.relname, i.relname";
    case DbObject::MATERIALIZED_VIEW:
        return "SELECT c.relname AS name, pg_catalog.pg_get_userbyid(c.relowner) AS owner,"
               " ts.spcname AS tablespace, c.relispopulated AS populated,"
               " d.description AS comment FROM pg_catalog.pg_class c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = c.reltablespace" +
               comment_join("c.oid", "pg_class") +
               " WHERE c.relkind = 'm' AND n.nspname = " + in_schema + " ORDER BY c.relname";
    case DbObject::SEQUENCE:
        return "SELECT c.relname AS name, pg_catalog.pg_get_userbyid(c.relowner) AS owner,"
               " s.seqmin AS minimum, s.seqmax AS maximum, s.seqstart AS start,"
               " s.seqincrement AS step, s.seqcache AS cache_size, s.seqcycle AS cycled,"
               " d.description AS comment FROM pg_catalog.pg_class c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " JOIN pg_catalog.pg_sequence s ON s.seqrelid = c.oid" +
               comment_join("c.oid", "pg_class") + " WHERE c.relkind = 'S' AND n.nspname = " +
               in_schema + " ORDER BY c.relname";
    case DbObject::TABLE:
        // reltuples is -1 (from 14 on) for a table never analysed: no count then.
        return "SELECT c.relname AS name, pg_catalog.pg_get_userbyid(c.relowner) AS owner,"
               " ts.spcname AS tablespace,"
               " CASE WHEN c.reltuples < 0 THEN NULL ELSE c.reltuples::bigint END AS rows,"
               " c.relhasindex AS has_indexes, c.relhasrules AS has_rules,"
               " c.relhastriggers AS has_triggers, c.relrowsecurity AS row_security,"
               " d.description AS comment FROM pg_catalog.pg_class c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = c.reltablespace" +
               comment_join("c.oid", "pg_class") + " WHERE c.relkind IN ('r', 'p')" +
               " AND n.nspname = " + in_schema + " ORDER BY c.relname";
    case DbObject::TRIGGER:
        return "SELECT t.tgname AS name, c.relname AS table_name, c.relkind AS trigger_type,"
               " pg_catalog.concat_ws(' OR ', CASE WHEN t.tgtype & 4 <> 0 THEN 'INSERT' END,"
               " CASE WHEN t.tgtype & 8 <> 0 THEN 'DELETE' END,"
               " CASE WHEN t.tgtype & 16 <> 0 THEN 'UPDATE' END,"
               " CASE WHEN t.tgtype & 32 <> 0 THEN 'TRUNCATE' END) AS event,"
               " CASE WHEN t.tgtype & 2 <> 0 THEN 'BEFORE' WHEN t.tgtype & 64 <> 0"
               " THEN 'INSTEAD OF' ELSE 'AFTER' END AS fire_time,"
               " CASE WHEN t.tgtype & 1 <> 0 THEN 'ROW' ELSE 'STATEMENT' END AS for_each,"
               " t.tgdeferrable AS deferrable, t.tginitdeferred AS deferred, t.tgenabled AS status,"
               " con.conname AS constraint_name, t.tgisinternal AS internal,"
               " d.description AS comment FROM pg_catalog.pg_trigger t"
               " JOIN pg_catalog.pg_class c ON c.oid = t.tgrelid"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " LEFT JOIN pg_catalog.pg_constraint con ON con.oid = t.tgconstraint" +
               comment_join("t.oid", "pg_trigger") + " WHERE n.nspname = " + in_schema +
               " ORDER BY c.relname, t.tgname";
    case DbObject::VIEW:
        return "SELECT c.relname AS name, pg_catalog.pg_get_userbyid(c.relowner) AS owner,"
               " d.description AS comment FROM pg_catalog.pg_class c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace" +
               comment_join("c.oid", "pg_class") + " WHERE c.relkind = 'v' AND n.nspname = " +
               in_schema + " ORDER BY c.relname";
    default: return {};
    }
}

} // namespace

std::shared_ptr<PostgreSQLExplorer>
PostgreSQLExplorer::create(const std::shared_ptr<Contracts::Database::IConnection>& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLExplorer>(connection);
}

std::span<const PostgreSQLExplorer::Kind> PostgreSQLExplorer::kinds() {
    return k_kinds;
}

std::span<const char* const> PostgreSQLExplorer::titles(DbObject kind) {
    switch (kind) {
    case DbObject::AGGREGATE:
        return k_aggregate_titles;
    case DbObject::CAST:
        return k_cast_titles;
    case DbObject::OPERATOR_CLASS:
        return k_opclass_titles;
    case DbObject::CONVERSION:
        return k_conversion_titles;
    case DbObject::DATABASE:
        return k_database_titles;
    case DbObject::DOMAIN:
        return k_domain_titles;
    case DbObject::FUNCTION:
    case DbObject::PROCEDURE:
    case DbObject::ROUTINE:
        return k_routine_titles;
    case DbObject::INDEX:
        return k_index_titles;
    case DbObject::LANGUAGE:
        return k_language_titles;
    case DbObject::MATERIALIZED_VIEW:
        return k_materialized_titles;
    case DbObject::OPERATOR:
        return k_operator_titles;
    case DbObject::PACKAGE:
        return k_package_titles;
    case DbObject::ROLE:
    case DbObject::USER:
        return k_role_titles;
    case DbObject::SCHEMA:
        return k_schema_titles;
    case DbObject::SEQUENCE:
        return k_sequence_titles;
    case DbObject::SERVER:
        return k_server_titles;
    case DbObject::TABLE:
        return k_table_titles;
    case DbObject::TABLESPACE:
        return k_tablespace_titles;
    case DbObject::TRIGGER:
        return k_trigger_titles;
    case DbObject::TYPE:
        return k_type_titles;
    case DbObject::VIEW:
        return k_view_titles;
    default:
        return {};
    }
}

std::string PostgreSQLExplorer::query(DbObject kind, std::string_view schema) const {
    const auto connection = get_connection();
    const std::uint32_t major = connection ? connection->get_major_version() : 0;
    const bool modern = major == 0 || major >= 11;
    const std::string in_schema = sql_literal(schema);
    const std::string_view routine_kind =
        modern ? "p.prokind"
               : "CASE WHEN p.proisagg THEN 'a' WHEN p.proiswindow THEN 'w' ELSE 'f' END";
    switch (kind) {
    case DbObject::FUNCTION:
        return routines_query(schema, routine_kind, "'f', 'w'",
                              "WHEN 'f' THEN 'NORMAL' WHEN 'w' THEN 'WINDOW'");
    case DbObject::PROCEDURE:
        // No procedures before 11: the same columns, no rows.
        return routines_query(schema, modern ? routine_kind : "'-'::\"char\"", "'p'",
                              "WHEN 'p' THEN 'PROCEDURE'");
    case DbObject::ROUTINE:
        return routines_query(schema, routine_kind, "'f', 'p', 'w'",
                              "WHEN 'f' THEN 'FUNCTION' WHEN 'p' THEN 'PROCEDURE'"
                              " WHEN 'w' THEN 'WINDOW'");
    default:
        break;
    }
    if (std::string text = cluster_query(kind); !text.empty())
        return text;
    if (std::string text = schema_object_query(kind, in_schema); !text.empty())
        return text;
    return relation_query(kind, in_schema);
}

Core::Result<std::shared_ptr<TableModel>>
PostgreSQLExplorer::load_objects(DbObject kind, std::string_view, std::string_view schema,
                                 std::string_view) {
    const auto connection = get_connection();
    if (!connection)
        return Core::fail(Core::Error::sql(30003, "the explorer's connection is gone"));
    const std::string sql = query(kind, schema.empty() ? "public" : schema);
    const auto column_titles = titles(kind);
    if (sql.empty())
        return TableModel::create();
    const std::uint32_t major = connection->get_major_version();
    if (kind == DbObject::SEQUENCE && major != 0 && major < 10) {
        // No pg_sequence before 10: the titled columns, no rows.
        auto empty = TableModel::create();
        for (const char* title : column_titles) {
            auto column = std::make_shared<Zozuvoru::Contracts::ColumnModel>(
                title, Zozuvoru::Contracts::DataType::TEXT);
            column->set_title(g_dgettext(k_text_domain, title));
            empty->add_column(column);
        }
        return empty;
    }
    auto table = connection->execute_as_model(sql, 0);
    if (!table)
        return std::unexpected(table.error());
    const auto& columns = (*table)->get_columns();
    for (std::size_t i = 0; i < columns.size() && i < column_titles.size(); ++i)
        columns[i]->set_title(g_dgettext(k_text_domain, column_titles[i]));
    apply_rewrites(**table, kind);
    return *table;
}

Core::Result<void> PostgreSQLExplorer::exec_command(DbObject kind, std::string_view,
                                                    std::string_view, std::string_view object,
                                                    std::string_view, std::string_view command) {
    const auto connection = get_connection();
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, {});
    if (kind != DbObject::USER || (command != "lock" && command != "unlock"))
        return {};
    const std::string sql = fmt::format("ALTER USER {} WITH {};", sql_name(object),
                                        command == "lock" ? "NOLOGIN" : "LOGIN");
    auto done = connection->execute_no_query(sql, 0);
    if (!done)
        return std::unexpected(done.error());
    return {};
}

const Core::TypeInfo& PostgreSQLExplorer::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLExplorer, Core::Object>(
        "DizezidaDovodarudSupportsDatabasePostgreSQLExplorer", {},
        {&Contracts::Database::IExplorable::static_type()});
    return info;
}

// ---------------------------------------------------------------- lookups

class PostgreSQLExplorer::Rows : public CatalogRows {
public:
    explicit Rows(CatalogRows rows) : CatalogRows(std::move(rows)) {}

    /// One text column of every row.
    std::vector<std::string> texts(std::string_view column) const {
        std::vector<std::string> values;
        values.reserve(size());
        for (std::size_t row = 0; row < size(); ++row)
            values.push_back(text(row, column));
        return values;
    }
    /// Every row as a relation of (schema_name, name) and a kind.
    std::vector<Contracts::Database::CatalogRelation> relations(bool with_kind) const {
        std::vector<Contracts::Database::CatalogRelation> values;
        for (std::size_t row = 0; row < size(); ++row) {
            const std::string kind = with_kind ? text(row, "kind") : "c";
            values.push_back(
                {text(row, "schema_name"), text(row, "name"), kind.empty() ? 'r' : kind.front()});
        }
        return values;
    }
};

Core::Result<PostgreSQLExplorer::Rows> PostgreSQLExplorer::lookup(const std::string& sql) const {
    const auto connection = get_connection();
    if (!connection)
        return Core::fail(
            Core::Error{"dizezida-explorer", 0, "the explorer's connection is closed"});
    auto rows = CatalogRows::query(*connection, sql);
    if (!rows)
        return Core::fail(std::move(rows).error());
    return Rows(std::move(*rows));
}

namespace Queries = CatalogQueries;

namespace {

/// `read` of the rows of a lookup, or the lookup's failure.
template <class Rows, class Read>
auto read_rows(Core::Result<Rows> rows, Read read)
    -> Core::Result<std::invoke_result_t<Read, const Rows&>> {
    if (!rows)
        return Core::fail(std::move(rows).error());
    return read(*rows);
}

} // namespace

Core::Result<std::string> PostgreSQLExplorer::current_database() {
    return read_rows(lookup(Queries::current_database()), [&](const Rows& rows) {
        return rows.empty() ? std::string() : rows.text(0, "name");
    });
}

Core::Result<std::vector<std::string>> PostgreSQLExplorer::schema_names() {
    return read_rows(lookup(Queries::user_schemas()),
                     [&](const Rows& rows) { return rows.texts("name"); });
}

Core::Result<bool> PostgreSQLExplorer::has_schema(std::string_view schema) {
    return read_rows(lookup(Queries::schema_exists(schema)),
                     [&](const Rows& rows) { return !rows.empty() && rows.flag(0, "found"); });
}

Core::Result<std::vector<Contracts::Database::CatalogRelation>>
PostgreSQLExplorer::relations(const std::vector<std::string>& schemas) {
    return read_rows(lookup(Queries::relation_names(Queries::Scope(schemas))),
                     [&](const Rows& rows) { return rows.relations(true); });
}

Core::Result<std::vector<Contracts::Database::CatalogRelation>>
PostgreSQLExplorer::type_names(const std::vector<std::string>& schemas) {
    return read_rows(lookup(Queries::type_names(Queries::Scope(schemas))),
                     [&](const Rows& rows) { return rows.relations(false); });
}

Core::Result<std::vector<std::string>> PostgreSQLExplorer::column_names(std::string_view schema,
                                                                        std::string_view relation) {
    return read_rows(
        lookup(Queries::column_names(Queries::Scope(std::string(schema), std::string(relation)))),
        [&](const Rows& rows) { return rows.texts("name"); });
}

Core::Result<std::vector<std::string>> PostgreSQLExplorer::data_tables(std::string_view schema) {
    return read_rows(lookup(Queries::data_tables(Queries::Scope(std::string(schema)))),
                     [&](const Rows& rows) { return rows.texts("name"); });
}

Core::Result<std::vector<Contracts::Database::DataColumn>>
PostgreSQLExplorer::data_columns(std::string_view schema, std::string_view table) {
    const auto connection = get_connection();
    const std::uint32_t major = connection ? connection->get_major_version() : 0;
    return read_rows(
        lookup(
            Queries::data_columns(Queries::Scope(std::string(schema), std::string(table)), major)),
        [&](const Rows& rows) {
            std::vector<Contracts::Database::DataColumn> columns;
            for (std::size_t row = 0; row < rows.size(); ++row)
                columns.push_back({rows.text(row, "name"),
                                   static_cast<std::size_t>(rows.number(row, "key_position")),
                                   rows.flag(row, "identity_always")});
            return columns;
        });
}

Core::Result<std::vector<Contracts::Database::ColumnWireType>>
PostgreSQLExplorer::column_wire_types(std::string_view schema, std::string_view relation) {
    return read_rows(
        lookup(
            Queries::column_wire_types(Queries::Scope(std::string(schema), std::string(relation)))),
        [&](const Rows& rows) {
            std::vector<Contracts::Database::ColumnWireType> columns;
            for (std::size_t row = 0; row < rows.size(); ++row)
                columns.push_back({rows.text(row, "name"),
                                   static_cast<std::uint32_t>(rows.number(row, "type_oid")),
                                   rows.flag(row, "built_in"), rows.flag(row, "binary_io")});
            return columns;
        });
}

Core::Result<std::uint64_t> PostgreSQLExplorer::table_blocks(std::string_view schema,
                                                             std::string_view table) {
    return read_rows(
        lookup(Queries::table_blocks(Queries::Scope(std::string(schema), std::string(table)))),
        [&](const Rows& rows) {
            return rows.empty() ? 0 : static_cast<std::uint64_t>(rows.number(0, "blocks"));
        });
}

Core::Result<std::vector<std::string>> PostgreSQLExplorer::primary_key(std::string_view schema,
                                                                       std::string_view table) {
    return read_rows(lookup(Queries::primary_key_columns(schema, table)),
                     [&](const Rows& rows) { return rows.texts("name"); });
}

Core::Result<std::string> PostgreSQLExplorer::owned_sequence(std::string_view schema,
                                                             std::string_view table,
                                                             std::string_view column) {
    return read_rows(lookup(Queries::owned_sequence(schema, table, column)), [&](const Rows& rows) {
        return rows.empty() ? std::string() : rows.text(0, "name");
    });
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLExplorer)

#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLStatement.hpp"

#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// A name as psql's meta-commands take it: bare when it is a plain
/// lower-case word, else in double quotes.
std::string meta_command_name(std::string_view name) {
    const bool plain = !name.empty() && (std::islower(static_cast<unsigned char>(name[0])) ||
                                         name[0] == '_') &&
                       std::all_of(name.begin(), name.end(), [](char c) {
                           return std::islower(static_cast<unsigned char>(c)) ||
                                  std::isdigit(static_cast<unsigned char>(c)) || c == '_';
                       });
    return plain ? std::string(name) : sql_name(name);
}

/// The constraint names of one kind in a schema.
std::string constraints_of(std::string_view schema, char kind) {
    return fmt::format("SELECT con.conname FROM pg_catalog.pg_constraint con"
                       " INNER JOIN pg_catalog.pg_class rel ON rel.oid = con.conrelid"
                       " INNER JOIN pg_catalog.pg_namespace nsp ON nsp.oid = con.connamespace"
                       " WHERE nsp.nspname = {} AND con.contype = '{}'"
                       " ORDER BY rel.relname ASC, con.conname ASC;",
                       sql_literal(schema), kind);
}

/// The tables of one information_schema table_type in a schema.
std::string relations_of(std::string_view database, std::string_view schema,
                         std::string_view table_type) {
    return fmt::format("SELECT table_name, table_schema FROM information_schema.tables"
                       " WHERE table_type = '{}' AND table_catalog = {} AND table_schema = {}"
                       " ORDER BY table_name ASC;",
                       table_type, sql_literal(database), sql_literal(schema));
}

/// Role details: the same columns from pg_authid (superusers) or pg_roles.
std::string role_detail(std::string_view name, bool superuser, bool roles_only) {
    constexpr std::string_view columns =
        "SELECT cast(ro.oid as text) AS oids, ro.rolname, ro.rolsuper, ro.rolinherit, "
        "ro.rolcreaterole, ro.rolcreatedb, ro.rolbypassrls, ro.rolreplication, ro.rolcanlogin, "
        "ro.rolconnlimit, {}, ro.rolvaliduntil, "
        "pg_catalog.shobj_description(ro.oid, 'pg_authid') AS comment ";
    const std::string_view login = roles_only ? "ro.rolcanlogin = 'N' AND " : "";
    if (superuser)
        return fmt::format(fmt::runtime(columns), "au.rolpassword") +
               fmt::format("FROM pg_catalog.pg_roles ro, pg_catalog.pg_authid au  WHERE {}"
                           "ro.oid = au.oid AND ro.rolname = {};",
                           login, sql_literal(name));
    return fmt::format(fmt::runtime(columns), "NULL::text AS rolpassword") +
           fmt::format("FROM pg_catalog.pg_roles ro  WHERE {}ro.rolname = {};", login,
                       sql_literal(name));
}

/// The DROP keyword of a schema-bound kind ("" for the others).
std::string_view drop_keyword(DbObject kind) {
    switch (kind) {
    case DbObject::FUNCTION: return "FUNCTION";
    case DbObject::INDEX: return "INDEX";
    case DbObject::PROCEDURE: return "PROCEDURE";
    case DbObject::TABLE: return "TABLE";
    case DbObject::VIEW: return "VIEW";
    default: return "";
    }
}

/// The ALTER keyword of a kind that can be renamed ("" for the others).
std::string_view rename_keyword(DbObject kind) {
    switch (kind) {
    case DbObject::DATABASE: return "DATABASE";
    case DbObject::SCHEMA: return "SCHEMA";
    case DbObject::USER: return "USER";
    default: return drop_keyword(kind) == "PROCEDURE" ? "" : drop_keyword(kind);
    }
}

} // namespace

std::shared_ptr<PostgreSQLStatement>
PostgreSQLStatement::create(const std::shared_ptr<IConnection>& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLStatement>(connection);
}

std::uint32_t PostgreSQLStatement::major_version() const {
    const auto connection = get_connection();
    return connection ? connection->get_major_version() : 0;
}

bool PostgreSQLStatement::at_least(std::uint32_t major) const {
    const std::uint32_t known = major_version();
    return known == 0 || known >= major;
}

std::string
PostgreSQLStatement::build_connection_string(const Zozuvoru::Contracts::ServerPtr& server) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, std::string());
    std::string text = Statement::build_connection_string(server);
    if (server->ssl_using())
        text += "SSLMODE=require;";
    return text;
}

std::string PostgreSQLStatement::show_databases(std::int32_t& flag) const {
    flag = 0;
    return "SELECT datname FROM pg_catalog.pg_database WHERE datistemplate = FALSE"
           " ORDER BY datname ASC;";
}

std::string PostgreSQLStatement::change_database(std::string_view database) const {
    return "\\connect " + meta_command_name(database) + ";";
}

std::string PostgreSQLStatement::show_tables(std::string_view database,
                                             std::string_view user_schema,
                                             std::int32_t& flag) const {
    flag = 0;
    return relations_of(database, user_schema, "BASE TABLE");
}

std::string PostgreSQLStatement::show_views(std::string_view database, std::string_view user_schema,
                                            std::int32_t& flag) const {
    flag = 0;
    return relations_of(database, user_schema, "VIEW");
}

std::string PostgreSQLStatement::show_table_spaces(std::string_view, std::int32_t& flag) const {
    flag = 0;
    return "SELECT spcname AS name FROM pg_catalog.pg_tablespace ORDER BY spcname ASC;";
}

std::string PostgreSQLStatement::show_table_schemas(std::string_view database,
                                                    std::int32_t& flag) const {
    flag = 0;
    return "select schema_name from information_schema.schemata where catalog_name = " +
           sql_literal(database) + " order by schema_name asc;";
}

std::string PostgreSQLStatement::show_checks(std::string_view, std::string_view user_schema,
                                             std::int32_t& flag) const {
    flag = 0;
    return constraints_of(user_schema, 'c');
}

std::string PostgreSQLStatement::show_excludes(std::string_view, std::string_view user_schema,
                                               std::int32_t& flag) const {
    flag = 0;
    return constraints_of(user_schema, 'x');
}

std::string PostgreSQLStatement::show_foreigns(std::string_view, std::string_view user_schema,
                                               std::int32_t& flag) const {
    flag = 0;
    return constraints_of(user_schema, 'f');
}

std::string PostgreSQLStatement::show_uniques(std::string_view, std::string_view user_schema,
                                              std::int32_t& flag) const {
    flag = 0;
    return constraints_of(user_schema, 'u');
}

std::string PostgreSQLStatement::show_rules(std::string_view, std::string_view user_schema,
                                            std::int32_t& flag) const {
    flag = 0;
    return "select rulename from pg_catalog.pg_rules WHERE schemaname = " +
           sql_literal(user_schema) + " ORDER BY tablename ASC, rulename ASC;";
}

std::string PostgreSQLStatement::show_indexes(std::string_view, std::string_view user_schema,
                                              std::int32_t& flag) const {
    flag = 0;
    return "SELECT indexname FROM pg_catalog.pg_indexes WHERE schemaname = " +
           sql_literal(user_schema) + " ORDER BY tablename ASC, indexname ASC;";
}

std::string PostgreSQLStatement::show_triggers(std::string_view, std::string_view user_schema,
                                               std::int32_t& flag) const {
    flag = 0;
    return "SELECT t.tgname AS conname FROM pg_catalog.pg_trigger t"
           " INNER JOIN pg_catalog.pg_class rel ON rel.oid = t.tgrelid"
           " INNER JOIN pg_catalog.pg_namespace nsp ON nsp.oid = rel.relnamespace"
           " WHERE nsp.nspname = " +
           sql_literal(user_schema) +
           " AND NOT t.tgisinternal ORDER BY rel.relname ASC, t.tgname ASC;";
}

std::string PostgreSQLStatement::show_functions(std::string_view database,
                                                std::string_view user_schema,
                                                std::int32_t& flag) const {
    flag = 0;
    return "SELECT routine_name FROM information_schema.routines"
           " WHERE routine_type='FUNCTION' AND specific_catalog=" +
           sql_literal(database) + " AND specific_schema=" + sql_literal(user_schema) +
           " ORDER BY routine_name ASC, specific_name ASC;";
}

std::string PostgreSQLStatement::show_procedures(std::string_view, std::string_view user_schema,
                                                 std::int32_t& flag) const {
    flag = 0;
    const std::string_view kind = at_least(11) ? "p.prokind = 'p'" : "FALSE";
    return fmt::format("SELECT p.proname FROM pg_catalog.pg_proc p"
                       " LEFT JOIN pg_catalog.pg_namespace n ON p.pronamespace = n.oid"
                       " WHERE n.nspname = {} AND {} ORDER BY p.proname ASC, p.oid ASC;",
                       sql_literal(user_schema), kind);
}

std::string PostgreSQLStatement::call_function(std::string_view, std::string_view user_schema,
                                               std::string_view function,
                                               std::string_view parameters) const {
    return "SELECT " + sql_qualified(user_schema, function) + std::string(parameters) + ";";
}

std::string PostgreSQLStatement::call_procedure(std::string_view, std::string_view user_schema,
                                                std::string_view procedure,
                                                std::string_view parameters) const {
    return "CALL " + sql_qualified(user_schema, procedure) + std::string(parameters) + ";";
}

std::string PostgreSQLStatement::show_source(DbObject kind, std::string_view first,
                                             std::string_view second, std::string_view third,
                                             std::int32_t& flag) const {
    flag = 0;
    switch (kind) {
    case DbObject::FUNCTION:
    case DbObject::PROCEDURE: {
        const std::string_view not_aggregate = at_least(11) ? "p.prokind <> 'a'" : "NOT p.proisagg";
        return fmt::format("SELECT pg_catalog.pg_get_functiondef(p.oid) from pg_catalog.pg_proc p"
                           " LEFT JOIN pg_catalog.pg_namespace n ON n.oid=p.pronamespace"
                           " WHERE n.nspname={} and p.proname={} and {} ORDER BY p.oid;",
                           sql_literal(second), sql_literal(third), not_aggregate);
    }
    case DbObject::INDEX:
        return fmt::format("SELECT indexdef from pg_catalog.pg_indexes WHERE schemaname={} and"
                           " tablename={} and indexname={};",
                           sql_literal(first), sql_literal(second), sql_literal(third));
    case DbObject::TRIGGER:
        return fmt::format("SELECT pg_catalog.pg_get_triggerdef(t.oid) AS def"
                           " FROM pg_catalog.pg_trigger t"
                           " LEFT JOIN pg_catalog.pg_class c ON c.oid=t.tgrelid"
                           " LEFT JOIN pg_catalog.pg_namespace n ON n.oid=c.relnamespace"
                           " WHERE n.nspname={} AND c.relname={} and t.tgname={};",
                           sql_literal(first), sql_literal(second), sql_literal(third));
    case DbObject::VIEW:
        return fmt::format(
            "SELECT definition from pg_catalog.pg_views WHERE schemaname={} and viewname={};",
            sql_literal(second), sql_literal(third));
    default:
        flag = 1;
        return {};
    }
}

std::string PostgreSQLStatement::show_structure(std::string_view, std::string_view user_schema,
                                                std::string_view table, std::int32_t& flag) const {
    flag = 0;
    return "SELECT column_name, data_type, udt_name, character_maximum_length, is_nullable, "
           "column_default FROM information_schema.columns WHERE table_schema = " +
           sql_literal(user_schema) + " AND table_name = " + sql_literal(table) +
           " ORDER BY ordinal_position ASC";
}

std::string PostgreSQLStatement::key_order(std::string_view schema, std::string_view table) const {
    // Whole-row text: a fixed order for any table, used when the key cannot be read.
    const std::string fallback = sql_name(table) + "::text COLLATE \"C\"";
    const auto connection = get_connection();
    if (!connection || connection->get_status() != Contracts::Database::DBStatus::Opened)
        return fallback;
    // The primary key's columns in key order, else every column in table order;
    // a column whose type has no default btree ordering is ordered as text.
    const std::string query = fmt::format(
        "WITH rel AS (SELECT c.oid FROM pg_catalog.pg_class c"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " WHERE n.nspname = {} AND c.relname = {}),"
        " pk AS (SELECT i.indkey::pg_catalog.int2[] AS keys FROM pg_catalog.pg_index i, rel"
        " WHERE i.indrelid = rel.oid AND i.indisprimary)"
        " SELECT a.attname, EXISTS (SELECT 1 FROM pg_catalog.pg_opclass oc"
        " JOIN pg_catalog.pg_am am ON am.oid = oc.opcmethod"
        " JOIN pg_catalog.pg_type ty ON ty.oid = a.atttypid"
        " WHERE am.amname = 'btree' AND oc.opcdefault AND (oc.opcintype = ty.oid"
        " OR oc.opcintype = ty.typbasetype OR (ty.typtype = 'e' AND oc.opcintype ="
        " 'pg_catalog.anyenum'::pg_catalog.regtype))) AS ordered"
        " FROM pg_catalog.pg_attribute a JOIN rel ON a.attrelid = rel.oid"
        " WHERE a.attnum > 0 AND NOT a.attisdropped"
        " AND (NOT EXISTS (SELECT 1 FROM pk) OR a.attnum = ANY ((SELECT keys FROM pk)::pg_catalog.int2[]))"
        " ORDER BY pg_catalog.array_position((SELECT keys FROM pk), a.attnum), a.attnum;",
        sql_literal(schema), sql_literal(table));
    auto columns = connection->execute_as_model(query, 0);
    if (!columns || !*columns || (*columns)->get_row_count() == 0)
        return fallback;
    std::string order;
    const auto& model = **columns;
    for (std::size_t row = 0; row < model.get_row_count(); ++row) {
        if (!order.empty())
            order += ", ";
        order += sql_qualified(table, model.get_text_at(row, 0));
        if (model.get_text_at(row, 1) != "t")
            order += "::text COLLATE \"C\"";
    }
    return order;
}

std::string PostgreSQLStatement::show_content(std::string_view, std::string_view user_schema,
                                              std::string_view table, std::string_view columns,
                                              std::string_view where, std::string_view order,
                                              std::int64_t offset, std::int32_t limit) const {
    std::string sql = "SELECT " + std::string(columns) + " FROM " + sql_qualified(user_schema, table);
    if (!where.empty())
        sql += " WHERE " + std::string(where);
    if (!order.empty())
        sql += " ORDER BY " + std::string(order);
    else if (limit > 0)
        sql += " ORDER BY " + key_order(user_schema, table);
    if (limit > 0)
        sql += fmt::format(" LIMIT {} OFFSET {};", limit, offset);
    return sql;
}

std::string PostgreSQLStatement::show_users(std::string_view, std::string_view,
                                            std::int32_t& flag) const {
    flag = 0;
    return "SELECT rolname FROM pg_catalog.pg_roles WHERE rolcanlogin = true ORDER BY rolname ASC;";
}

std::string PostgreSQLStatement::show_roles(std::string_view, std::string_view,
                                            std::int32_t& flag) const {
    flag = 0;
    return "SELECT rolname FROM pg_catalog.pg_roles WHERE rolcanlogin = false ORDER BY rolname ASC;";
}

std::string PostgreSQLStatement::show_user_detail(std::string_view, std::string_view,
                                                  std::string_view username) const {
    return role_detail(username, get_superuser(), false);
}

std::string PostgreSQLStatement::show_role_detail(std::string_view, std::string_view,
                                                  std::string_view rolename) const {
    return role_detail(rolename, get_superuser(), true);
}

std::string PostgreSQLStatement::grant_user_rights(std::string_view, std::string_view,
                                                   std::string_view username,
                                                   std::string_view object,
                                                   std::string_view rights) const {
    return fmt::format("GRANT {} ON {} TO {} WITH GRANT OPTION;", rights, object,
                       sql_name(username));
}

std::string PostgreSQLStatement::revoke_user_rights(std::string_view, std::string_view,
                                                    std::string_view username,
                                                    std::string_view object,
                                                    std::string_view rights) const {
    return fmt::format("REVOKE {} ON {} FROM {};", rights, object, sql_name(username));
}

std::string PostgreSQLStatement::show_privileges(std::int32_t& flag,
                                                 std::int32_t& second_flag) const {
    flag = 0;
    second_flag = 1;
    return "SELECT privilege, context, comment FROM (VALUES"
           " (1, 'SELECT', 'Tables, views, sequences, columns', 'To read rows'),"
           " (2, 'INSERT', 'Tables, views, columns', 'To insert rows'),"
           " (3, 'UPDATE', 'Tables, views, sequences, columns', 'To update rows'),"
           " (4, 'DELETE', 'Tables, views', 'To delete rows'),"
           " (5, 'TRUNCATE', 'Tables', 'To empty tables'),"
           " (6, 'REFERENCES', 'Tables, columns', 'To create foreign keys'),"
           " (7, 'TRIGGER', 'Tables, views', 'To create triggers'),"
           " (8, 'CREATE', 'Databases, schemas, table spaces', 'To create objects'),"
           " (9, 'CONNECT', 'Databases', 'To connect'),"
           " (10, 'TEMPORARY', 'Databases', 'To create temporary tables'),"
           " (11, 'EXECUTE', 'Functions, procedures', 'To call routines'),"
           " (12, 'USAGE', 'Schemas, sequences, types, domains, languages, foreign servers',"
           " 'To use the object')"
           ") AS p(position, privilege, context, comment) ORDER BY position;";
}

std::string PostgreSQLStatement::flush_privileges() const {
    return {};
}

std::string PostgreSQLStatement::show_effected(std::string_view, std::string_view user_schema,
                                               std::string_view table,
                                               std::string_view where) const {
    std::string sql = "SELECT count(*) FROM " + sql_qualified(user_schema, table);
    if (!where.empty())
        sql += " WHERE " + std::string(where);
    return sql + ";";
}

std::string PostgreSQLStatement::show_relations(std::string_view, std::string_view user_schema,
                                                std::string_view table) const {
    return fmt::format(
        "SELECT a.attname AS column_name, con.conname AS constraint_name,"
        " fa.attname AS referenced_column_name, fc.relname AS referenced_table_name"
        " FROM pg_catalog.pg_constraint con"
        " JOIN pg_catalog.pg_class c ON c.oid = con.conrelid"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " JOIN pg_catalog.pg_class fc ON fc.oid = con.confrelid"
        " CROSS JOIN LATERAL ROWS FROM (pg_catalog.unnest(con.conkey),"
        " pg_catalog.unnest(con.confkey)) WITH ORDINALITY AS k(attnum, fattnum, position)"
        " JOIN pg_catalog.pg_attribute a ON a.attrelid = con.conrelid AND a.attnum = k.attnum"
        " JOIN pg_catalog.pg_attribute fa ON fa.attrelid = con.confrelid AND fa.attnum = k.fattnum"
        " WHERE con.contype = 'f' AND c.relname = {} AND n.nspname = {}"
        " ORDER BY con.conname ASC, k.position ASC",
        sql_literal(table), sql_literal(user_schema));
}

std::string PostgreSQLStatement::rename_object(DbObject kind, std::string_view,
                                               std::string_view user_schema,
                                               std::string_view old_name,
                                               std::string_view new_name) const {
    const std::string_view keyword = rename_keyword(kind);
    if (keyword.empty())
        return {};
    const bool schema_bound = !drop_keyword(kind).empty();
    const std::string old_text =
        schema_bound ? sql_qualified(user_schema, old_name) : sql_name(old_name);
    return fmt::format("ALTER {} {} RENAME TO {};", keyword, old_text, sql_name(new_name));
}

std::string PostgreSQLStatement::drop_object(DbObject kind, std::string_view,
                                             std::string_view user_schema,
                                             std::string_view object_name,
                                             std::string_view object_target) const {
    switch (kind) {
    case DbObject::DATABASE: return "DROP DATABASE IF EXISTS " + sql_name(object_name) + ";";
    case DbObject::SCHEMA: return "DROP SCHEMA IF EXISTS " + sql_name(object_name) + ";";
    case DbObject::USER: return "DROP USER IF EXISTS " + sql_name(object_name) + ";";
    case DbObject::EVENT: return "DROP EVENT TRIGGER IF EXISTS " + sql_name(object_name) + ";";
    case DbObject::TRIGGER:
        return "DROP TRIGGER IF EXISTS " + sql_name(object_name) + " ON " +
               sql_qualified(user_schema, object_target) + ";";
    default: break;
    }
    const std::string_view keyword = drop_keyword(kind);
    if (keyword.empty())
        return {};
    return fmt::format("DROP {} IF EXISTS {};", keyword, sql_qualified(user_schema, object_name));
}

std::string PostgreSQLStatement::empty_table(std::string_view, std::string_view user_schema,
                                             std::string_view object_name) const {
    return "TRUNCATE TABLE " + sql_qualified(user_schema, object_name) + ";";
}

std::string PostgreSQLStatement::build_explain(std::string_view statement,
                                               std::string_view format) const {
    constexpr std::array<std::string_view, 4> formats{"TEXT", "XML", "JSON", "YAML"};
    std::string word(format);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (std::find(formats.begin(), formats.end(), word) == formats.end())
        return fmt::format("EXPLAIN {};", statement);
    return fmt::format("EXPLAIN (FORMAT {}) {};", word, statement);
}

std::string PostgreSQLStatement::build_analyze(std::string_view statement,
                                               std::string_view) const {
    return fmt::format("EXPLAIN ANALYZE {};", statement);
}

std::string PostgreSQLStatement::pack_value(std::uint32_t data_type,
                                            std::string_view value) const {
    if (data_type != 30 && data_type != 31)
        return Statement::pack_value(data_type, value);
    // The server's own text of bytes starts with \x already.
    const bool prefixed = value.size() >= 2 && value[0] == '\\' && (value[1] == 'x' || value[1] == 'X');
    return sql_literal(prefixed ? std::string(value) : "\\x" + std::string(value)) + "::bytea";
}

namespace {

struct Filter {
    std::string_view column, op, operand;
};

/// column<;>operator<;>operand (the operand may hold the separator itself);
/// nothing when a field is missing.
std::optional<Filter> split_filter(std::string_view expression) {
    constexpr std::string_view separator = "<;>";
    const std::size_t first = expression.find(separator);
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = expression.substr(first + separator.size());
    const std::size_t second = rest.find(separator);
    if (second == std::string_view::npos)
        return std::nullopt;
    return Filter{expression.substr(0, first), rest.substr(0, second),
                  rest.substr(second + separator.size())};
}

/// The operand as the content of a LIKE pattern: \, % and _ stand for
/// themselves, single quotes doubled.
std::string like_text(std::string_view operand) {
    std::string out;
    for (const char c : operand) {
        if (c == '\\' || c == '%' || c == '_')
            out.push_back('\\');
        out.push_back(c);
        if (c == '\'')
            out.push_back('\'');
    }
    return out;
}

/// Whether a comparison operator may go into SQL as it is: symbols only (no
/// comment starts) or one of the word operators.
bool is_comparison(std::string_view op) {
    constexpr std::string_view symbols = "+-*/<>=~!@#%^&|`?";
    if (!op.empty() && op.find_first_not_of(symbols) == std::string_view::npos)
        return op.find("--") == std::string_view::npos && op.find("/*") == std::string_view::npos;
    std::string word(op);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    constexpr std::array<std::string_view, 8> words{
        "LIKE", "NOT LIKE", "ILIKE", "NOT ILIKE", "IS", "IS NOT", "IS DISTINCT FROM",
        "IS NOT DISTINCT FROM"};
    return std::find(words.begin(), words.end(), word) != words.end();
}

/// The comma-separated pieces of an operand, each as a literal's content.
std::vector<std::string> literal_pieces(std::string_view operand) {
    std::vector<std::string> pieces;
    for (std::size_t at = operand.find(','); ; at = operand.find(',')) {
        pieces.push_back(sql_doubled(operand.substr(0, at), '\''));
        if (at == std::string_view::npos)
            break;
        operand.remove_prefix(at + 1);
    }
    return pieces;
}

} // namespace

std::string PostgreSQLStatement::parse_expression(std::string_view expression) const {
    const auto filter = split_filter(expression);
    if (!filter)
        return {};
    const std::string_view op = filter->op;
    if (op == "CUSTOMIZE")
        return std::string(filter->operand);
    const std::string column = quote_column(filter->column);
    if (op == "NULL")
        return column + " IS NULL";
    if (op == "!NULL")
        return column + " IS NOT NULL";
    if (op == "EMPTY")
        return column + " = ''";
    if (op == "!EMPTY")
        return column + " <> ''";

    struct Like {
        std::string_view op, pattern;
    };
    constexpr std::array<Like, 6> likes{{{"CONTAINS", "{}::text LIKE '%{}%'"},
                                         {"!CONTAINS", "{}::text NOT LIKE '%{}%'"},
                                         {"PREFIX", "{}::text LIKE '{}%'"},
                                         {"!PREFIX", "{}::text NOT LIKE '{}%'"},
                                         {"SUFFIX", "{}::text LIKE '%{}'"},
                                         {"!SUFFIX", "{}::text NOT LIKE '%{}'"}}};
    for (const Like& like : likes)
        if (like.op == op)
            return fmt::format(fmt::runtime(like.pattern), column, like_text(filter->operand));
    if (op == "REGEXP" || op == "!REGEXP")
        return fmt::format("{}::text {} {}", column, op == "REGEXP" ? "~" : "!~",
                           sql_literal(filter->operand));

    const std::vector<std::string> pieces = literal_pieces(filter->operand);
    if (op == "BETWEEN" || op == "!BETWEEN") {
        if (pieces.size() < 2)
            return {};
        return fmt::format("{} {}BETWEEN '{}' AND '{}'", column, op == "BETWEEN" ? "" : "NOT ",
                           pieces[0], pieces[1]);
    }
    if (op == "IN" || op == "!IN")
        return fmt::format("{} {}IN ('{}')", column, op == "IN" ? "" : "NOT ",
                           fmt::join(pieces, "', '"));
    if (!is_comparison(op))
        return {};
    return fmt::format("{} {} {}", column, op, sql_literal(filter->operand));
}

const Core::TypeInfo& PostgreSQLStatement::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLStatement, Statement>(
        "DizezidaDovodarudSupportsDatabasePostgreSQLStatement", {});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLStatement)

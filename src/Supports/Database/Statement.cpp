#include "Supports/Database/Statement.hpp"

#include "Supports/Database/SqlText.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// `text` cut at every `separator`.
std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    parts.push_back(text);
    return parts;
}

/// Whether a text may stand bare in SQL: a plain decimal number, TRUE, FALSE or NULL.
bool is_bare_literal(std::string_view value) {
    auto same = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) == y;
        });
    };
    if (same(value, "true") || same(value, "false") || same(value, "null"))
        return true;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    std::size_t count = digits();
    if (i < value.size() && value[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0)
        return false;
    if (i < value.size() && (value[i] == 'e' || value[i] == 'E')) {
        ++i;
        if (i < value.size() && (value[i] == '-' || value[i] == '+'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == value.size();
}

/// Joins `left=right` pairs (by position, as many as both lists have).
std::string pairs(TextList left, TextList right, std::string_view separator) {
    std::string out;
    const std::size_t count = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out += separator;
        out += left[i];
        out += '=';
        out += right[i];
    }
    return out;
}

/// The conditions of the filter operators: {0} the column, {1} the operand,
/// {2} and {3} its first two comma-separated pieces, {4} its pieces joined
/// with "', '", {5} and {6} the dialect's REGEXP and !REGEXP words.
struct Condition {
    std::string_view op;
    std::string_view pattern;
};

constexpr Condition k_conditions[] = {
    {"NULL", "{0} IS NULL"},
    {"!NULL", "{0} IS NOT NULL"},
    {"EMPTY", "{0} = ''"},
    {"!EMPTY", "{0} <> ''"},
    {"CONTAINS", "{0} LIKE '%{1}%'"},
    {"!CONTAINS", "{0} NOT LIKE '%{1}%'"},
    {"PREFIX", "{0} LIKE '{1}%'"},
    {"!PREFIX", "{0} NOT LIKE '{1}%'"},
    {"SUFFIX", "{0} LIKE '%{1}'"},
    {"!SUFFIX", "{0} NOT LIKE '%{1}'"},
    {"REGEXP", "{0} {5} '{1}'"},
    {"!REGEXP", "{0} {6} '{1}'"},
    {"BETWEEN", "{0} BETWEEN '{2}' AND '{3}'"},
    {"!BETWEEN", "{0} NOT BETWEEN '{2}' AND '{3}'"},
    {"IN", "{0} IN ('{4}')"},
    {"!IN", "{0} NOT IN ('{4}')"},
};

} // namespace

std::shared_ptr<Statement> Statement::create(const std::shared_ptr<IConnection>& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<Statement>(connection);
}

std::string Statement::build_connection_string(const Zozuvoru::Contracts::ServerPtr& server) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, std::string());
    return fmt::format("DRIVER={{{}}};SERVER={};DATABASE={};PORT={};UID={};PWD={};",
                       server->driver(), connection_value(server->host()),
                       connection_value(server->initial()), server->port(),
                       connection_value(server->username()),
                       connection_value(server->password()));
}

std::string Statement::connection_value(std::string_view value) {
    const bool plain = value.find_first_of(";{}=") == std::string_view::npos &&
                       (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plain)
        return std::string(value);
    std::string out = "{";
    for (const char c : value) {
        out.push_back(c);
        if (c == '}')
            out.push_back('}');
    }
    return out + '}';
}

// ---- the catalog family: the dialect's ------------------------------------------------------

namespace {
std::string no_query(std::int32_t& flag) {
    flag = 0;
    return {};
}
} // namespace

std::string Statement::show_databases(std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::change_database(std::string_view) const {
    return {};
}
std::string Statement::show_tables(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_views(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_table_spaces(std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_table_schemas(std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_checks(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_excludes(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_foreigns(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_rules(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_uniques(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_indexes(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_triggers(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_functions(std::string_view, std::string_view,
                                      std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_procedures(std::string_view, std::string_view,
                                       std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::call_function(std::string_view, std::string_view, std::string_view,
                                     std::string_view) const {
    return {};
}
std::string Statement::call_procedure(std::string_view, std::string_view, std::string_view,
                                      std::string_view) const {
    return {};
}
std::string Statement::show_source(DbObject, std::string_view, std::string_view, std::string_view,
                                   std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_structure(std::string_view, std::string_view, std::string_view,
                                      std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_content(std::string_view, std::string_view, std::string_view,
                                    std::string_view, std::string_view, std::string_view,
                                    std::int64_t, std::int32_t) const {
    return {};
}
std::string Statement::show_users(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_roles(std::string_view, std::string_view, std::int32_t& flag) const {
    return no_query(flag);
}
std::string Statement::show_user_detail(std::string_view, std::string_view,
                                        std::string_view) const {
    return {};
}
std::string Statement::show_role_detail(std::string_view, std::string_view,
                                        std::string_view) const {
    return {};
}
std::string Statement::show_user_rights(std::string_view, std::string_view,
                                        std::string_view) const {
    return {};
}
std::string Statement::show_role_rights(std::string_view, std::string_view,
                                        std::string_view) const {
    return {};
}
std::string Statement::grant_user_rights(std::string_view, std::string_view, std::string_view,
                                         std::string_view, std::string_view) const {
    return {};
}
std::string Statement::revoke_user_rights(std::string_view, std::string_view, std::string_view,
                                          std::string_view, std::string_view) const {
    return {};
}
std::string Statement::grant_role_rights(std::string_view, std::string_view, std::string_view,
                                         std::string_view, std::string_view) const {
    return {};
}
std::string Statement::revoke_role_rights(std::string_view, std::string_view, std::string_view,
                                          std::string_view, std::string_view) const {
    return {};
}
std::string Statement::show_privileges(std::int32_t& flag, std::int32_t& second_flag) const {
    second_flag = 0;
    return no_query(flag);
}
std::string Statement::flush_privileges() const {
    return {};
}
std::string Statement::show_effected(std::string_view, std::string_view, std::string_view,
                                     std::string_view) const {
    return {};
}
std::string Statement::show_relations(std::string_view, std::string_view, std::string_view) const {
    return {};
}
std::string Statement::rename_object(DbObject, std::string_view, std::string_view, std::string_view,
                                     std::string_view) const {
    return {};
}
std::string Statement::drop_object(DbObject, std::string_view, std::string_view, std::string_view,
                                   std::string_view) const {
    return {};
}
std::string Statement::empty_table(std::string_view, std::string_view, std::string_view) const {
    return {};
}

// ---- server-independent texts ---------------------------------------------------------------

std::string Statement::build_explain(std::string_view statement, std::string_view) const {
    return fmt::format("EXPLAIN {};", statement);
}

std::string Statement::build_analyze(std::string_view statement, std::string_view) const {
    return fmt::format("ANALYZE {};", statement);
}

std::string Statement::transaction(std::string_view) const {
    return "START TRANSACTION;";
}

std::string Statement::rollback(std::string_view) const {
    return "ROLLBACK;";
}

std::string Statement::commit(std::string_view) const {
    return "COMMIT;";
}

std::string Statement::quote_literal(std::string_view value) {
    return sql_literal(value);
}

std::string Statement::pack_value(std::uint32_t data_type, std::string_view value) const {
    const bool bare_kind = (data_type >= 2 && data_type <= 11) || data_type == 13 ||
                           data_type == 14 || data_type == 16 || data_type == 17;
    if (bare_kind && is_bare_literal(value))
        return std::string(value);
    if (data_type == 30 || data_type == 31)
        return 'X' + quote_literal(value);
    return quote_literal(value);
}

std::string Statement::quote_identifier(std::string_view identifier,
                                        std::string_view schema) const {
    if (schema.empty())
        return sql_name(identifier);
    return sql_name(schema) + '.' + sql_name(identifier);
}

std::string Statement::build_sql_insert(std::string_view schema, std::string_view table,
                                        TextList columns, TextList values) const {
    return fmt::format("INSERT INTO {}({}) VALUES({});", quote_identifier(table, schema),
                       fmt::join(columns, ", "), fmt::join(values, ", "));
}

std::string Statement::build_sql_update(std::string_view schema, std::string_view table,
                                        TextList columns, TextList values, TextList keys,
                                        TextList key_values) const {
    std::string sql = fmt::format("UPDATE {} SET {}", quote_identifier(table, schema),
                                  pairs(columns, values, ", "));
    if (!keys.empty())
        sql += " WHERE " + pairs(keys, key_values, " AND ");
    return sql + ";";
}

std::string Statement::build_sql_delete(std::string_view schema, std::string_view table,
                                        TextList keys, TextList key_values) const {
    std::string sql = "DELETE FROM " + quote_identifier(table, schema);
    if (!keys.empty())
        sql += " WHERE " + pairs(keys, key_values, " AND ");
    return sql + ";";
}

std::string Statement::build_sql_view(std::string_view user_schema, std::string_view view_name,
                                      std::string_view statements) const {
    return fmt::format("CREATE VIEW {} AS {}", quote_identifier(view_name, user_schema),
                       statements);
}

std::string Statement::quote_column(std::string_view column) {
    std::string out;
    for (const std::string_view part : split(column, ".")) {
        if (!out.empty())
            out += '.';
        out += sql_name(part);
    }
    return out;
}

std::string Statement::build_condition(std::string_view expression, std::string_view regexp,
                                       std::string_view not_regexp) {
    // column<;>operator<;>operand; an operand may itself hold the separator.
    const std::string_view separator = "<;>";
    const std::size_t first = expression.find(separator);
    const std::string_view column = expression.substr(0, first);
    std::string_view op, operand;
    if (first != std::string_view::npos) {
        const std::string_view rest = expression.substr(first + separator.size());
        const std::size_t second = rest.find(separator);
        op = rest.substr(0, second);
        if (second != std::string_view::npos)
            operand = rest.substr(second + separator.size());
    }
    if (op == "CUSTOMIZE")
        return std::string(operand);

    const std::string quoted = quote_column(column);
    const std::string value = sql_doubled(operand, '\'');
    const auto condition = std::find_if(std::begin(k_conditions), std::end(k_conditions),
                                        [op](const Condition& entry) { return entry.op == op; });
    if (condition == std::end(k_conditions))
        return fmt::format("{} {} '{}'", quoted, op, value);

    std::vector<std::string> pieces;
    for (const std::string_view piece : split(operand, ","))
        pieces.push_back(sql_doubled(piece, '\''));
    const std::string low = pieces.size() > 0 ? pieces[0] : std::string();
    const std::string high = pieces.size() > 1 ? pieces[1] : std::string();
    return fmt::format(fmt::runtime(condition->pattern), quoted, value, low, high,
                       fmt::join(pieces, "', '"), regexp, not_regexp);
}

std::string Statement::parse_expression(std::string_view expression) const {
    return build_condition(expression, "REGEXP", "NOT REGEXP");
}

const Core::TypeInfo& Statement::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Statement, Core::Object>(
        "DizezidaDovodarudSupportsDatabaseStatement", {},
        {&Contracts::Database::IStatement::static_type()});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::Statement)

// Safe pieces of SQL text: quoted names, quoted literals and the filling of
// query templates whose "%s" slots stand inside quotes.
//
// Every name put into SQL doubles its inner double quotes; every value put
// into SQL as a literal doubles its inner single quotes. Pure functions,
// safe from any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

/// `text` with every `quote` character doubled.
std::string sql_doubled(std::string_view text, char quote);

/// A name in double quotes ("O""Brien" for O"Brien).
std::string sql_name(std::string_view name);

/// A name qualified by its schema, both quoted ("s"."t").
std::string sql_qualified(std::string_view schema, std::string_view name);

/// A text as a single-quoted literal ('O''Brien' for O'Brien).
std::string sql_literal(std::string_view value);

/// One entry of a list of qualified names: schema (may be empty) and name.
struct QualifiedName {
    std::string schema;
    std::string name;
};
/// The names of a list text such as an "INHERITS" option: `schema.table`
/// texts joined by ", ", each part double-quoted when it needs quoting
/// (inner quotes doubled).
std::vector<QualifiedName> parse_qualified_list(std::string_view text);

/// Appends `text` to `out` between `quote` characters, inner ones doubled.
void append_quoted(std::string& out, std::string_view text, char quote);

/**
 * Fills the "%s" slots of a query template in order. A slot right after a
 * double quote is a name (inner double quotes doubled), one right after a
 * single quote is a literal's content (inner single quotes doubled); any
 * other slot becomes a whole quoted literal. "%%" stands for "%". Slots
 * without a value are left empty; extra values are ignored.
 */
std::string sql_fill(std::string_view query, std::span<const std::string_view> values);

/// sql_fill for one to three values.
std::string sql_fill(std::string_view query, std::string_view first);
std::string sql_fill(std::string_view query, std::string_view first, std::string_view second);

} // namespace Dizezida::Dovodarud::Supports::Database

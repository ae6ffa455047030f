// Safe pieces of SQL text: quoted names, quoted literals and the filling of
// query templates whose "%s" slots stand inside quotes.
//
// Every name put into SQL doubles its inner double quotes; every value put
// into SQL as a literal doubles its inner single quotes. Pure functions,
// safe from any thread.
#pragma once

#include "core/SqlQuote.hpp"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

using Core::append_quoted;
using Core::sql_doubled;
using Core::sql_literal;
using Core::sql_name;
using Core::sql_qualified;

/// One entry of a list of qualified names: schema (may be empty) and name.
struct QualifiedName {
    std::string schema;
    std::string name;
};
/// The names of a list text such as an "INHERITS" option: `schema.table`
/// texts joined by ", ", each part double-quoted when it needs quoting
/// (inner quotes doubled).
std::vector<QualifiedName> parse_qualified_list(std::string_view text);

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

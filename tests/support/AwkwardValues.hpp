// One set of awkward values that every export and import format is tested
// with: NULL beside the empty text, blanks, quote marks of both kinds,
// separators, line ends, mark-up, backslashes, Chinese, emoji, a control
// character, a 1 MB text, wide numerics, float infinities and NaN, a
// time stamp with an odd offset and microseconds, bytes, arrays and JSON.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Dizezida::Testing {

/// The awkward texts, NULL (nullopt) first; the 1 MB text last.
const std::vector<std::optional<std::string>>& awkward_texts();

/**
 * SQL that creates table `name` (unquoted, in the search path) with
 * columns id integer primary key, label text, amount numeric(38,10), ratio
 * double precision, seen timestamptz, data bytea, tags text[], doc jsonb,
 * flag boolean, span interval, and one row per awkward text (id from 1, the
 * text in label, the other columns cycling through their awkward values).
 */
std::string awkward_table_sql(const std::string& name);

/// The number of rows awkward_table_sql inserts.
std::size_t awkward_row_count();

} // namespace Dizezida::Testing

// Quoting for SQL text: names in double quotes, literals in single quotes,
// each with its inner quote characters doubled.
//
// The lowest layer holds these so that every part of the engine, helpers
// included, quotes the same way. Pure functions, safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace Dizezida::Core {

/// `text` with every `quote` character doubled.
std::string sql_doubled(std::string_view text, char quote);

/// A name in double quotes ("O""Brien" for O"Brien).
std::string sql_name(std::string_view name);

/// A name qualified by its schema, both quoted ("s"."t").
std::string sql_qualified(std::string_view schema, std::string_view name);

/// A text as a single-quoted literal ('O''Brien' for O'Brien).
std::string sql_literal(std::string_view value);

/// Appends `text` to `out` between `quote` characters, inner ones doubled.
void append_quoted(std::string& out, std::string_view text, char quote);

} // namespace Dizezida::Core

// Splits an SQL script into its statements at the semicolons that end them:
// not inside literals (E-strings with backslash escapes too), quoted names,
// dollar-quoted bodies, comments (nested block comments too) or the
// BEGIN ATOMIC ... END body of a routine. Each statement keeps its text as
// written, without the semicolon; statements holding only white space and
// comments are left out. Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

struct SqlStatement {
    std::string text;      ///< the statement, trimmed, without its semicolon
    std::size_t line = 1;  ///< the line (from 1) where its first character stands
};

std::vector<SqlStatement> split_statements(std::string_view script);

} // namespace Dizezida::Dovodarud::Supports::Database

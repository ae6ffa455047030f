// Cuts an SQL script into the statements a client sends one by one.
//
// A statement ends at a semicolon outside literals, quoted names, dollar
// quotes, comments and parentheses, and outside the BEGIN ... END body of
// CREATE [OR REPLACE] FUNCTION / PROCEDURE (whose inner statements end in
// semicolons too); the last one may end at the end of the script. Pieces
// that hold nothing but white space and comments are no statements.
//
// The statements are views into the script, which must outlive them.
// Stateless; safe from any thread.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

struct SqlStatement {
    /// From its first token up to and with its semicolon (white space and
    /// comments before the first token left out).
    std::string_view text;
    /// The 1-based line of the script its first token stands on.
    std::size_t line = 1;
};

/// The statements of a script, in order.
std::vector<SqlStatement> split_statements(std::string_view script);

} // namespace Dizezida::Dovodarud::Supports::Database

// Cuts an SQL script into the statements a client sends one by one.
//
// A statement ends at a semicolon outside literals (E-strings with backslash
// escapes too), quoted names, dollar-quoted bodies, comments (nested block
// comments too) and parentheses, and outside the BEGIN ... END body of
// CREATE [OR REPLACE] FUNCTION / PROCEDURE (whose inner statements end in
// semicolons too); the last one may end at the end of the script. Pieces
// that hold nothing but white space and comments are no statements.
// Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

struct SqlStatement {
    /// The statement as written, without its semicolon and the white space
    /// around it (comments before its first word included).
    std::string text;
    /// The line (from 1) of its first word, past any comment before it.
    std::size_t line = 1;
};

/// The statements of a script, in order.
std::vector<SqlStatement> split_statements(std::string_view script);

} // namespace Dizezida::Dovodarud::Supports::Database

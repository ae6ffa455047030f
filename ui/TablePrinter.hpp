// Prints a result table the way psql's aligned format does (byte for byte):
// a centred header, numbers right-aligned, text left-aligned, "+" at the end
// of the lines of a value that continues on the next line, control
// characters shown escaped, and the row count; or as CSV or JSON for scripts.
#pragma once

#include <iosfwd>
#include <memory>
#include <string_view>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Rezizida {

/// The aligned table and its "(N rows)" line. A value can never move the
/// cursor or change the terminal: a carriage return is shown as `\r`, a tab
/// as blanks to the next multiple of 8, other control characters as `\xHH`
/// (C1 ones as `\uHHHH`), bytes that are not UTF-8 as `\xHH`.
void print_aligned_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

/// The table as CSV: titles first, NULL as an empty field, a field quoted
/// when it holds a comma, quote or line end or is `\.`. `line_end` is "\r\n"
/// (RFC 4180) or "\n" (psql --csv).
void print_csv_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out,
                     std::string_view line_end = "\r\n");

/// The table as a JSON array of objects keyed by column title (every column,
/// in order): NULL as null, booleans as such, integers and exact decimal
/// numbers as numbers (the server's digits), the rest as text.
void print_json_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

} // namespace Dizezida::Rezizida

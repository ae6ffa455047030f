// Prints a result table the way psql's aligned format does: a centred
// header, numbers right-aligned, text left-aligned, "+" at the end of the
// lines of a value that continues on the next line, and the row count; or
// as CSV or JSON for scripts.
#pragma once

#include <iosfwd>
#include <memory>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Rezizida {

void print_aligned_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

/// The table as CSV (RFC 4180: CRLF line ends, titles first, NULL as an
/// empty field, fields quoted when they hold a comma, quote or line end).
void print_csv_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

/// The table as a JSON array of objects keyed by column title: NULL as null,
/// booleans and whole numbers as such, the rest as text.
void print_json_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

} // namespace Dizezida::Rezizida

// Prints a result table the way psql's aligned format does: a centred
// header, numbers right-aligned, text left-aligned, "+" at the end of the
// lines of a value that continues on the next line, and the row count.
#pragma once

#include <iosfwd>
#include <memory>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Rezizida {

void print_aligned_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out);

} // namespace Dizezida::Rezizida

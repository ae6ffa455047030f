// The built-in types of PostgreSQL by type identifier: their name, type
// class and value kind; and the filling of result tables from libpq results
// (internal to the provider library).
#pragma once

#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/TableStorage.hpp"

#include <libpq-fe.h>

#include <span>
#include <string_view>

namespace Dizezida::Zozuvoru::Supports {

struct PgType {
    Oid oid;
    std::string_view name;
    Contracts::ColumnCodec codec;
};

/// The built-in type with this identifier; types the table does not know
/// (user types, enumerations, ranges of them) read as text with no name.
PgType pg_type(Oid oid);

/// A new table with the columns of a result, its storage ready to take rows.
Contracts::TablePtr table_for_result(const PGresult* result);
/// Appends every row of a result to a table made by table_for_result for the
/// same statement.
void append_result_rows(Contracts::TableModel& table, const PGresult* result);
/// Appends the rows of single-row results, column by column (so that each
/// column's buffers fill in long runs).
void append_row_batch(Contracts::TableModel& table, std::span<const PGresult* const> rows);
/// The columns of a result.
std::vector<Contracts::ColumnPtr> columns_of(const PGresult* result);

} // namespace Dizezida::Zozuvoru::Supports

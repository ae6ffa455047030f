// The keyed comparison of one table's rows on two servers, made to scale:
// both servers stream (key, a hash of the row's text) in key order, a
// merge-join finds the keys that differ, and only the source rows of those
// keys are fetched. Memory grows with the differing rows, not the table.
//
// Its difference table has the shape of Patcher::diff_data_table's (rows
// marked APPEND, CHANGE with the source's values, REMOVE with the key
// values), so the same builder turns either into the same statements.
//
// Key order: integer key columns by their number, every other key column
// by its text under the "C" collation, on both servers alike, and compared
// here the same way.
//
// Threads: both hash streams are copied (COPY ... TO STDOUT) by a worker
// thread each while the caller merges them; the connections must be two
// sessions and not used by anyone else meanwhile.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "core/Error.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <string>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

using Zozuvoru::Contracts::TableModel;
using TablePtr = std::shared_ptr<TableModel>;

/// Sets the session so that values read as text are exact and alike on
/// every server: floats with all their digits (servers before 12 round them
/// otherwise), ISO dates, UTC time stamps, hexadecimal bytes. Rows are
/// compared and written by these texts.
[[nodiscard]] Core::Result<void> set_exact_texts(Contracts::Database::IConnection& connection);

/// A table's columns (generated ones left out), schema, key and identity,
/// without rows; an error when it does not exist.
[[nodiscard]] Core::Result<TablePtr> describe_data_table(Contracts::Database::IConnection& connection,
                                                         std::string_view schema,
                                                         std::string_view table);
/// The ordinary and partitioned tables of a schema, by name.
[[nodiscard]] Core::Result<std::vector<std::string>>
list_data_tables(Contracts::Database::IConnection& connection, std::string_view schema);

/// The difference table of `source_table` (as described on the source) and
/// the table of the same name in `target_schema` on the target, named after
/// the target; nullptr when the rows are equal. Both sides must have a key.
[[nodiscard]] Core::Result<TablePtr> compare_data_table(Contracts::Database::IConnection& source,
                                                        Contracts::Database::IConnection& target,
                                                        const TableModel& source_table,
                                                        std::string_view target_schema);

/// Rows to insert, update and delete by a difference table's marks.
struct DataCounts {
    std::size_t insert = 0;
    std::size_t update = 0;
    std::size_t remove = 0;
};
DataCounts count_marks(const TableModel& difference);

} // namespace Dizezida::Dovodarud::Transform

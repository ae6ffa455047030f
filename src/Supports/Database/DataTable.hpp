// What a result table needs to stand for rows of one server table: the
// schema it lives in and its primary-key columns, kept as object data on
// the table model ("SCHEMA", "PRIMARY-KEY"; the model's name is the table's
// name). The data comparison pairs rows by these keys, and the builders
// write keyed statements from them.
//
// Pure functions over one model; a model is used by one thread at a time.
#pragma once

#include "core/Error.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <string>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

using Zozuvoru::Contracts::TableModel;

/// Marks a model as the rows of `schema`.`model.name`, keyed by the columns
/// at `key` (positions among the model's columns, in key order).
void set_data_table(TableModel& model, std::string schema, std::vector<std::size_t> key);
/// The schema a model's rows belong to ("" when not marked).
std::string data_table_schema(const TableModel& model);
/// The key columns' positions (none when not marked).
std::vector<std::size_t> data_table_key(const TableModel& model);
/// Whether inserts must override a column generated ALWAYS as identity.
void set_data_table_overriding(TableModel& model, bool overriding);
bool data_table_overriding(const TableModel& model);
/// Copies the marks of `from` (and its columns) onto an empty `to`.
void copy_data_table(const TableModel& from, TableModel& to);

/// An error for a model without key columns or with a NULL key value: rows
/// are never paired by guesswork.
[[nodiscard]] Core::Result<void> check_data_keys(const TableModel& model);
/// A row's key values as texts, in key order.
std::vector<std::string> data_row_key(const Zozuvoru::Contracts::RowModel& row,
                                      const std::vector<std::size_t>& key);

} // namespace Dizezida::Dovodarud::Supports::Database

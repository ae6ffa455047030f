// A result table: its columns and a list of rows.
//
// Rows read from a server are kept column by column in compact storage
// (numbers as numbers, everything else as the server's text in one buffer
// per column), not as one object per cell. `get_value_at` makes a new value
// object from that storage at each call; `get_row` turns a stored row into a
// `RowModel` once and keeps it, so changes made through the row stick.
// Rows added with `append` come after the stored ones.
//
// Ownership: the table owns its storage and shares its column, row and value
// objects. Not synchronised, even for reading (rows are made on demand): one
// thread at a time.
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/RowModel.hpp"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

class TableStorage;

class TableModel : public Core::Object {
    DIZEZIDA_OBJECT(TableModel)
public:
    TableModel();
    ~TableModel() override;
    static std::shared_ptr<TableModel> create() { return std::make_shared<TableModel>(); }
    /// A table with one column per type, named "column1", "column2" ...
    static std::shared_ptr<TableModel> new_with_types(std::span<const DataType> types);

    /// The table's name ("" for query results).
    const std::string& get_name() const { return m_name; }
    void set_name(std::string name) { assign_and_notify(m_name, std::move(name), "name"); }

    /// The server's command tag of the statement the rows came from ("SELECT 2",
    /// "INSERT 0 1"), or of the last statement when none returned rows
    /// ("CREATE TABLE"); "" for tables not read from a server.
    const std::string& get_command_status() const { return m_command_status; }
    void set_command_status(std::string status) { m_command_status = std::move(status); }
    /// Whether a statement returned these rows (a query, or a command with
    /// RETURNING), even none; false when no statement of the text returned rows.
    bool get_returns_rows() const { return m_returns_rows; }
    void set_returns_rows(bool returns_rows) { m_returns_rows = returns_rows; }

    const std::vector<ColumnPtr>& get_columns() const { return m_columns; }
    std::size_t get_column_count() const { return m_columns.size(); }
    /// Adds a column at the end; a null column is refused ("column != NULL").
    void add_column(ColumnPtr column);

    /// The number of rows (the list model's item count).
    std::size_t get_n_items() const;
    std::size_t get_row_count() const { return get_n_items(); }
    /// The row at a position (nullptr past the end).
    RowPtr get_row(std::size_t index) const;
    /// Every row, in order.
    std::vector<RowPtr> get_rows() const;
    /// A new value object for one cell; nullptr (and a critical message)
    /// outside the table.
    ValuePtr get_value_at(std::size_t row, std::size_t column) const;
    /// Whether a cell is NULL (false outside the table), without making a value.
    bool is_null_at(std::size_t row, std::size_t column) const;
    /// A cell's text (the value's `to_string`), without making a value.
    std::string get_text_at(std::size_t row, std::size_t column) const;
    /// The same text as a view, into the storage where the cell is kept as
    /// text, else into `scratch`; valid until the table or `scratch` changes.
    std::string_view get_text_view_at(std::size_t row, std::size_t column,
                                      std::string& scratch) const;

    /// A new row of NULLs, one per column, typed by the columns; not yet added.
    RowPtr new_row() const;
    /// Adds a row at the end; a null row is refused ("row != NULL").
    void append(RowPtr row);

    /// Bytes held by the stored rows (buffers at their capacity), for sizing.
    std::size_t memory_bytes() const;

    /// The compact storage; filled by the provider before any row is appended.
    TableStorage& storage() { return *m_storage; }
    const TableStorage& storage() const { return *m_storage; }

private:
    RowPtr stored_row(std::size_t index) const;

    std::string m_name;
    std::string m_command_status;
    bool m_returns_rows = false;
    std::vector<ColumnPtr> m_columns;
    std::unique_ptr<TableStorage> m_storage;
    /// Rows made or appended so far, by position (empty slots not made yet).
    mutable std::vector<RowPtr> m_rows;
};

using TablePtr = std::shared_ptr<TableModel>;

} // namespace Dizezida::Zozuvoru::Contracts

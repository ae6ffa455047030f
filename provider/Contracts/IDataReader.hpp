// A forward-only reader over the rows of a query, fetched from the server
// one row at a time, so that a result of any size streams in little memory.
//
// While a reader is open it has its provider's session to itself: other
// threads calling the provider wait until the reader is closed or destroyed,
// and a call from the thread that opened the reader fails (the session is
// busy). `close` (or the destructor) cancels what the server has not sent yet.
// A reader is used by one thread at a time.
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/RowModel.hpp"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

class TableModel;

class IDataReader {
    DIZEZIDA_INTERFACE(IDataReader)
public:
    virtual ~IDataReader() = default;
    /// The columns of the rows (of the first statement that returns rows).
    virtual const std::vector<std::shared_ptr<ColumnModel>>& get_columns() const = 0;
    /// Moves to the next row: true when there is one, false at the end, an
    /// error when the server failed on the way (the reader is then closed).
    [[nodiscard]] virtual Core::Result<bool> read() = 0;
    /// A value of the current row (nullptr outside the row or before `read`).
    virtual ValuePtr get_value_at(std::size_t column) const = 0;
    /// Whether a cell of the current row is NULL.
    virtual bool is_null_at(std::size_t column) const = 0;
    /// The server's text of a cell of the current row, valid until the next
    /// `read` ("" for NULL).
    virtual std::string_view get_text_at(std::size_t column) const = 0;
    /// The current row as a new row model.
    virtual RowPtr get_row() const = 0;
    /// The next rows, at most `max_rows` (at least 1), as a table model held
    /// exactly as a whole result is; no rows at the end. An error when the
    /// server failed on the way (the reader is then closed). The current row
    /// is left behind.
    [[nodiscard]] virtual Core::Result<std::shared_ptr<TableModel>>
    read_model(std::size_t max_rows) = 0;
    /// How many rows `read` has delivered so far.
    virtual std::uint64_t get_rows_read() const = 0;
    /// Stops reading and gives the session back; later calls of `read` give false.
    virtual void close() = 0;
};

using ReaderPtr = std::shared_ptr<IDataReader>;

} // namespace Dizezida::Zozuvoru::Contracts

// The compact, column-by-column storage behind TableModel (internal to the
// provider library; the engine sees only TableModel).
//
// Each column keeps a NULL bitmap and either fixed-width numbers (booleans
// and integers, decoded once) or one character buffer with an end offset per
// cell (every other type, as the server's text; bytea as its decoded bytes).
// A cell costs its payload plus 8 bytes of offset for texts; no object and
// no heap block per cell.
#pragma once

#include "provider/Contracts/DataType.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

/// The value kind a column's cells become.
enum class ValueClass : std::uint8_t {
    String,
    Boolean,
    Int16,
    Int32,
    Int64,
    UInt32,
    UInt64,
    Float,
    Double,
    Numeric,
    DateTime,
    Time,
    Interval,
    Binary,
};

/// How the cells of one column are typed and decoded.
struct ColumnCodec {
    DataType data_type = DataType::TEXT;
    ValueClass value_class = ValueClass::String;
};

/// A value of a codec's kind from the server's text of a non-NULL cell.
ValuePtr make_value(const ColumnCodec& codec, std::string_view text);
/// The bytes of a bytea cell's text (hexadecimal "\x..." or the escape form).
void decode_bytea(std::string_view text, std::string& out);

class ColumnStore {
public:
    explicit ColumnStore(ColumnCodec codec);

    const ColumnCodec& codec() const { return m_codec; }
    std::size_t size() const { return m_size; }
    /// Makes room for `rows` more cells holding `text_bytes` bytes of text.
    void reserve(std::size_t rows, std::size_t text_bytes);
    void append_null();
    /// Appends a non-NULL cell from the server's text.
    void append_text(std::string_view text);

    bool is_null(std::size_t row) const {
        return (m_nulls[row >> 6] >> (row & 63)) & 1u;
    }
    /// A new value object for a cell.
    ValuePtr value_at(std::size_t row) const;
    /// The text of a cell ("" for NULL).
    std::string text_at(std::size_t row) const;
    std::size_t memory_bytes() const;

private:
    enum class Layout : std::uint8_t { Text, Bytes, Bool, Int16, Int32, Int64, UInt32, UInt64 };

    void mark(bool null);
    template <class T> void push_fixed(T value);
    template <class T> T fixed_at(std::size_t row) const;
    std::string_view chars_at(std::size_t row) const;

    ColumnCodec m_codec;
    Layout m_layout;
    std::size_t m_size = 0;
    std::vector<std::uint64_t> m_nulls;   ///< bit per cell
    std::vector<unsigned char> m_fixed;   ///< fixed-width cells
    std::vector<std::uint64_t> m_ends;    ///< text cells: end offset in m_chars
    std::string m_chars;
};

class TableStorage {
public:
    std::vector<ColumnStore> columns;
    /// The number of stored rows (every column has this many cells).
    std::size_t rows = 0;
};

} // namespace Dizezida::Zozuvoru::Contracts

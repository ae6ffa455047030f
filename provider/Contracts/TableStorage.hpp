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

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <utility>
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
/// The bytes of a bytea cell's text (hexadecimal "\x..." or the escape form),
/// written at `out` (room for text.size() bytes); their count.
std::size_t decode_bytea(std::string_view text, char* out);

/// Memory blocks for GrowBuffer: malloc for small ones; large ones are
/// mapped pages that grow by remapping (no copy) and use huge pages.
namespace Block {
/// Resizes a block of `old_bytes` (nullptr for none) to `new_bytes`; the new
/// size is rounded up to what the block really holds. Throws std::bad_alloc.
void* resize(void* block, std::size_t old_bytes, std::size_t& new_bytes);
void release(void* block, std::size_t bytes);
} // namespace Block

/// A growable buffer of trivially copyable elements in one block.
template <class T> class GrowBuffer {
public:
    GrowBuffer() = default;
    GrowBuffer(GrowBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    GrowBuffer& operator=(GrowBuffer&&) = delete;
    GrowBuffer(const GrowBuffer&) = delete;
    ~GrowBuffer() { Block::release(m_data, m_capacity * sizeof(T)); }

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    const T* data() const { return m_data; }
    T& back() { return m_data[m_size - 1]; }
    const T& operator[](std::size_t index) const { return m_data[index]; }

    void reserve(std::size_t count) {
        if (count > m_capacity)
            resize_block(count);
    }
    /// Adds `count` uninitialised elements at the end and returns the first.
    T* extend(std::size_t count) {
        if (m_size + count > m_capacity)
            resize_block(std::max({m_size + count, m_capacity * 2, std::size_t{64}}));
        T* first = m_data + m_size;
        m_size += count;
        return first;
    }
    void push_back(T value) { *extend(1) = value; }
    /// Drops the elements from `size` on.
    void truncate(std::size_t size) { m_size = std::min(size, m_size); }
    /// Gives back the capacity beyond the size.
    void shrink() {
        if (m_capacity > m_size && m_size > 0)
            resize_block(m_size);
    }

private:
    void resize_block(std::size_t count) {
        std::size_t bytes = count * sizeof(T);
        m_data = static_cast<T*>(Block::resize(m_data, m_capacity * sizeof(T), bytes));
        m_capacity = bytes / sizeof(T);
    }

    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

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

    bool is_null(std::size_t row) const { return (m_nulls[row >> 6] >> (row & 63)) & 1u; }
    /// A new value object for a cell.
    ValuePtr value_at(std::size_t row) const;
    /// The text of a cell ("" for NULL).
    std::string text_at(std::size_t row) const;
    /// The same text as a view into the storage, or into `scratch` for
    /// cells not kept as text; valid until the next change of either.
    std::string_view text_view(std::size_t row, std::string& scratch) const;
    std::size_t memory_bytes() const;
    /// Gives back the room reserved beyond the cells stored.
    void shrink();

private:
    enum class Layout : std::uint8_t { Text, Bytes, Bool, Int16, Int32, Int64, UInt32, UInt64 };

    void mark(bool null);
    /// The width of a fixed-width cell; 0 for text and bytes.
    std::size_t fixed_width() const;
    template <class T> void push_fixed(T value);
    template <class T> T fixed_at(std::size_t row) const;
    std::string_view chars_at(std::size_t row) const;

    ColumnCodec m_codec;
    Layout m_layout;
    std::size_t m_size = 0;
    GrowBuffer<std::uint64_t> m_nulls; ///< a bit per cell
    GrowBuffer<char> m_fixed;          ///< fixed-width cells
    GrowBuffer<std::uint64_t> m_ends;  ///< text cells: end offset in m_chars
    GrowBuffer<char> m_chars;
};

class TableStorage {
public:
    std::vector<ColumnStore> columns;
    /// The number of stored rows (every column has this many cells).
    std::size_t rows = 0;
};

} // namespace Dizezida::Zozuvoru::Contracts

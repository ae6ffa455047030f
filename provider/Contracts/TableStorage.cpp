#include "provider/Contracts/TableStorage.hpp"

#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Contracts/ValueTemporal.hpp"

#include <sys/mman.h>

#include <charconv>
#include <cstring>

namespace Dizezida::Zozuvoru::Contracts {
namespace {

template <class T> T parse_integer(std::string_view text) {
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool is_octal(char c) {
    return c >= '0' && c <= '7';
}

} // namespace

namespace Block {
namespace {

constexpr std::size_t k_map_threshold = std::size_t{1} << 20;
constexpr std::size_t k_page = 4096;
constexpr std::size_t k_huge_page = std::size_t{2} << 20;

bool is_mapped(std::size_t bytes) {
    return bytes >= k_map_threshold;
}

} // namespace

void* resize(void* block, std::size_t old_bytes, std::size_t& new_bytes) {
    if (!is_mapped(new_bytes) && !is_mapped(old_bytes)) {
        void* grown = std::realloc(block, new_bytes);
        if (!grown)
            throw std::bad_alloc();
        return grown;
    }
    if (!is_mapped(new_bytes))
        new_bytes = k_map_threshold; // a mapped block never goes back to the heap
    new_bytes = (new_bytes + k_page - 1) & ~(k_page - 1);
    void* mapped = MAP_FAILED;
    if (is_mapped(old_bytes)) {
        mapped = mremap(block, old_bytes, new_bytes, MREMAP_MAYMOVE);
    } else {
        // The first mapping is large enough to start on a huge-page boundary,
        // so that the block is backed by huge pages from its first byte.
        new_bytes = std::max(new_bytes, 2 * k_huge_page);
        mapped =
            mmap(nullptr, new_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped != MAP_FAILED && block) {
            std::memcpy(mapped, block, std::min(old_bytes, new_bytes));
            std::free(block);
        }
    }
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    if (new_bytes >= k_huge_page)
        madvise(mapped, new_bytes, MADV_HUGEPAGE);
    return mapped;
}

void release(void* block, std::size_t bytes) {
    if (is_mapped(bytes))
        munmap(block, bytes);
    else
        std::free(block);
}

} // namespace Block

std::size_t decode_bytea(std::string_view text, char* out) {
    std::size_t written = 0;
    if (text.size() >= 2 && text[0] == '\\' && text[1] == 'x') {
        for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
            const int high = hex_digit(text[i]);
            const int low = hex_digit(text[i + 1]);
            if (high < 0 || low < 0)
                break;
            out[written++] = static_cast<char>(high << 4 | low);
        }
        return written;
    }
    // The escape form: "\\" for a backslash, "\ooo" for an octal byte.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            out[written++] = '\\';
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && is_octal(text[i + 1]) &&
                   is_octal(text[i + 2]) && is_octal(text[i + 3])) {
            out[written++] = static_cast<char>((text[i + 1] - '0') << 6 | (text[i + 2] - '0') << 3 |
                                               (text[i + 3] - '0'));
            i += 3;
        } else {
            out[written++] = text[i];
        }
    }
    return written;
}

ValuePtr make_value(const ColumnCodec& codec, std::string_view text) {
    switch (codec.value_class) {
    case ValueClass::Boolean:
        return std::make_shared<ValueBoolean>(!text.empty() && text.front() == 't');
    case ValueClass::Int16:
        return std::make_shared<ValueInt16>(parse_integer<std::int16_t>(text));
    case ValueClass::Int32:
        return std::make_shared<ValueInt32>(parse_integer<std::int32_t>(text));
    case ValueClass::Int64:
        return std::make_shared<ValueInt64>(parse_integer<std::int64_t>(text));
    case ValueClass::UInt32:
        return std::make_shared<ValueUInt32>(parse_integer<std::uint32_t>(text));
    case ValueClass::UInt64:
        return std::make_shared<ValueUInt64>(parse_integer<std::uint64_t>(text));
    case ValueClass::Float:
        return std::make_shared<ValueFloat>(std::string(text));
    case ValueClass::Double:
        return std::make_shared<ValueDouble>(std::string(text));
    case ValueClass::Numeric:
        return std::make_shared<ValueNumeric>(std::string(text), codec.data_type);
    case ValueClass::DateTime:
        return std::make_shared<ValueDateTime>(std::string(text), codec.data_type);
    case ValueClass::Time:
        return std::make_shared<ValueTime>(std::string(text), codec.data_type);
    case ValueClass::Interval:
        return std::make_shared<ValueInterval>(std::string(text));
    case ValueClass::Binary: {
        ValueBinary::Bytes bytes(text.size());
        bytes.resize(decode_bytea(text, reinterpret_cast<char*>(bytes.data())));
        return std::make_shared<ValueBinary>(std::move(bytes));
    }
    case ValueClass::String:
        break;
    }
    return std::make_shared<ValueString>(std::string(text), codec.data_type);
}

ColumnStore::ColumnStore(ColumnCodec codec) : m_codec(codec) {
    switch (codec.value_class) {
    case ValueClass::Boolean:
        m_layout = Layout::Bool;
        break;
    case ValueClass::Int16:
        m_layout = Layout::Int16;
        break;
    case ValueClass::Int32:
        m_layout = Layout::Int32;
        break;
    case ValueClass::Int64:
        m_layout = Layout::Int64;
        break;
    case ValueClass::UInt32:
        m_layout = Layout::UInt32;
        break;
    case ValueClass::UInt64:
        m_layout = Layout::UInt64;
        break;
    case ValueClass::Binary:
        m_layout = Layout::Bytes;
        break;
    default:
        m_layout = Layout::Text;
        break;
    }
}

std::size_t ColumnStore::fixed_width() const {
    switch (m_layout) {
    case Layout::Bool:
        return 1;
    case Layout::Int16:
        return 2;
    case Layout::Int32:
    case Layout::UInt32:
        return 4;
    case Layout::Int64:
    case Layout::UInt64:
        return 8;
    case Layout::Text:
    case Layout::Bytes:
        break;
    }
    return 0;
}

void ColumnStore::reserve(std::size_t rows, std::size_t text_bytes) {
    m_nulls.reserve((m_size + rows + 63) / 64);
    if (const std::size_t width = fixed_width()) {
        m_fixed.reserve((m_size + rows) * width);
        return;
    }
    m_ends.reserve(m_size + rows);
    m_chars.reserve(m_chars.size() + text_bytes);
}

void ColumnStore::shrink() {
    m_nulls.shrink();
    m_fixed.shrink();
    m_ends.shrink();
    m_chars.shrink();
}

void ColumnStore::mark(bool null) {
    if ((m_size & 63) == 0)
        m_nulls.push_back(0);
    if (null)
        m_nulls.back() |= std::uint64_t{1} << (m_size & 63);
    ++m_size;
}

template <class T> void ColumnStore::push_fixed(T value) {
    std::memcpy(m_fixed.extend(sizeof(T)), &value, sizeof(T));
}

template <class T> T ColumnStore::fixed_at(std::size_t row) const {
    T value;
    std::memcpy(&value, m_fixed.data() + row * sizeof(T), sizeof(T));
    return value;
}

void ColumnStore::append_null() {
    if (const std::size_t width = fixed_width())
        std::memset(m_fixed.extend(width), 0, width);
    else
        m_ends.push_back(m_chars.size());
    mark(true);
}

void ColumnStore::append_text(std::string_view text) {
    switch (m_layout) {
    case Layout::Text:
        if (!text.empty())
            std::memcpy(m_chars.extend(text.size()), text.data(), text.size());
        m_ends.push_back(m_chars.size());
        break;
    case Layout::Bytes: {
        const std::size_t start = m_chars.size();
        const std::size_t written = decode_bytea(text, m_chars.extend(text.size()));
        m_chars.truncate(start + written);
        m_ends.push_back(m_chars.size());
        break;
    }
    case Layout::Bool:
        push_fixed<std::uint8_t>(!text.empty() && text.front() == 't');
        break;
    case Layout::Int16:
        push_fixed(parse_integer<std::int16_t>(text));
        break;
    case Layout::Int32:
        push_fixed(parse_integer<std::int32_t>(text));
        break;
    case Layout::Int64:
        push_fixed(parse_integer<std::int64_t>(text));
        break;
    case Layout::UInt32:
        push_fixed(parse_integer<std::uint32_t>(text));
        break;
    case Layout::UInt64:
        push_fixed(parse_integer<std::uint64_t>(text));
        break;
    }
    mark(false);
}

std::string_view ColumnStore::chars_at(std::size_t row) const {
    const std::uint64_t begin = row == 0 ? 0 : m_ends[row - 1];
    return std::string_view(m_chars.data() + begin, m_ends[row] - begin);
}

ValuePtr ColumnStore::value_at(std::size_t row) const {
    if (is_null(row))
        return std::make_shared<ValueNull>(m_codec.data_type);
    switch (m_layout) {
    case Layout::Text:
        return make_value(m_codec, chars_at(row));
    case Layout::Bytes: {
        const std::string_view bytes = chars_at(row);
        return std::make_shared<ValueBinary>(ValueBinary::Bytes(bytes.begin(), bytes.end()));
    }
    case Layout::Bool:
        return std::make_shared<ValueBoolean>(fixed_at<std::uint8_t>(row) != 0);
    case Layout::Int16:
        return std::make_shared<ValueInt16>(fixed_at<std::int16_t>(row));
    case Layout::Int32:
        return std::make_shared<ValueInt32>(fixed_at<std::int32_t>(row));
    case Layout::Int64:
        return std::make_shared<ValueInt64>(fixed_at<std::int64_t>(row), m_codec.data_type);
    case Layout::UInt32:
        return std::make_shared<ValueUInt32>(fixed_at<std::uint32_t>(row));
    case Layout::UInt64:
        return std::make_shared<ValueUInt64>(fixed_at<std::uint64_t>(row));
    }
    return nullptr;
}

std::string ColumnStore::text_at(std::size_t row) const {
    if (is_null(row))
        return {};
    if (m_layout == Layout::Text)
        return std::string(chars_at(row));
    return value_at(row)->to_string();
}

std::string_view ColumnStore::text_view(std::size_t row, std::string& scratch) const {
    if (!is_null(row) && m_layout == Layout::Text)
        return chars_at(row);
    scratch = text_at(row);
    return scratch;
}

std::size_t ColumnStore::memory_bytes() const {
    return m_nulls.capacity() * sizeof(std::uint64_t) + m_fixed.capacity() +
           m_ends.capacity() * sizeof(std::uint64_t) + m_chars.capacity();
}

} // namespace Dizezida::Zozuvoru::Contracts

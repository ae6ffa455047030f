// The generic tagged value of the object model.
//
// A Value holds one payload of a fixed kind (boolean, integers of several
// widths, floats, text, enumeration or flags with their type, date-time,
// string list, string map, object, object list, or a boxed record) and answers
// the registered type name of the platform's value system ("gint64",
// "gchararray", ...). Values are copied like any value type; object payloads
// are shared references. Not synchronised: one thread at a time per Value.
#pragma once

#include "core/DateTime.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Dizezida::Core {

class Object;
struct TypeInfo;
struct EnumInfo;

using ObjectPtr = std::shared_ptr<Object>;
using StringList = std::vector<std::string>;
using StringMap = std::map<std::string, std::string>;
using ObjectList = std::vector<ObjectPtr>;

enum class ValueKind : std::uint8_t {
    Invalid,
    Bool,
    Char,
    UChar,
    Int16,
    UInt16,
    Int,
    UInt,
    Long,
    ULong,
    Int64,
    UInt64,
    Float,
    Double,
    String,
    Enum,
    Flags,
    DateTime,
    StringList,
    StringMap,
    Object,
    ObjectList,
    Boxed,
};

/// The registered type name of a kind with no type record of its own.
std::string_view kind_type_name(ValueKind kind);

/// Whether a kind holds a signed integer payload.
bool is_signed_kind(ValueKind kind);
/// Whether a kind holds an unsigned integer payload (enums and flags excluded).
bool is_unsigned_kind(ValueKind kind);

class Value {
public:
    Value() = default;
    Value(bool value) : m_kind(ValueKind::Bool), m_data(value) {}
    Value(std::int32_t value) : m_kind(ValueKind::Int), m_data(std::int64_t{value}) {}
    Value(std::uint32_t value) : m_kind(ValueKind::UInt), m_data(std::uint64_t{value}) {}
    Value(std::int64_t value) : m_kind(ValueKind::Int64), m_data(value) {}
    Value(std::uint64_t value) : m_kind(ValueKind::UInt64), m_data(value) {}
    Value(float value) : m_kind(ValueKind::Float), m_data(double{value}) {}
    Value(double value) : m_kind(ValueKind::Double), m_data(value) {}
    Value(std::string value) : m_kind(ValueKind::String), m_data(std::move(value)) {}
    Value(std::string_view value) : Value(std::string(value)) {}
    Value(const char* value) : Value(std::string(value)) {}
    Value(DateTime value) : m_kind(ValueKind::DateTime), m_data(value) {}
    Value(StringList value) : m_kind(ValueKind::StringList), m_data(std::move(value)) {}
    Value(StringMap value) : m_kind(ValueKind::StringMap), m_data(std::move(value)) {}
    Value(ObjectList value) : m_kind(ValueKind::ObjectList), m_data(std::move(value)) {}
    Value(ObjectPtr value, const TypeInfo* declared_type = nullptr);

    /// A signed integer of a given width kind (Char, Int16, Int, Long, Int64).
    static Value of_signed(ValueKind kind, std::int64_t value);
    /// An unsigned integer of a given width kind (UChar, UInt16, UInt, ULong, UInt64).
    static Value of_unsigned(ValueKind kind, std::uint64_t value);
    static Value enumeration(const EnumInfo& type, std::int64_t value);
    static Value flags(const EnumInfo& type, std::uint64_t value);
    /// A text value that holds no string at all (distinct from "").
    static Value null_string();
    /// A date-time value that holds no instant.
    static Value null_date_time();
    /// A boxed record under its registered type name (the name must be static).
    static Value boxed(std::string_view type_name, std::shared_ptr<void> record);
    /// An empty value of a kind (zero, "", empty collection, null object).
    static Value default_of(ValueKind kind, const void* type = nullptr);

    ValueKind kind() const { return m_kind; }
    bool is_valid() const { return m_kind != ValueKind::Invalid; }
    /// The registered type name: enum, object and boxed values answer their
    /// own type's name, the others the platform's ("gboolean", "gint64", ...).
    std::string_view type_name() const;

    bool get_bool() const;
    /// Any signed kind, widened; enums give their number; other kinds 0.
    std::int64_t get_int64() const;
    /// Any unsigned kind or flags, widened; other kinds 0.
    std::uint64_t get_uint64() const;
    /// Float or double; other kinds 0.
    double get_double() const;
    /// The text; "" for other kinds and for a null string.
    const std::string& get_string() const;
    /// Whether a String-kind value holds no string.
    bool is_null_string() const;
    std::optional<DateTime> get_date_time() const;
    const StringList& get_string_list() const;
    const StringMap& get_string_map() const;
    ObjectPtr get_object() const;
    const ObjectList& get_object_list() const;
    std::shared_ptr<void> get_boxed() const;

    const EnumInfo* enum_type() const;
    const TypeInfo* object_type() const;

    bool operator==(const Value& other) const;

    /// An informative description of the contents, never parsed back.
    std::string debug_string() const;

private:
    using Payload = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double,
                                 std::string, DateTime, StringList, StringMap, ObjectPtr,
                                 ObjectList, std::shared_ptr<void>>;

    Value(ValueKind kind, Payload data, const void* type)
        : m_kind(kind), m_type(type), m_data(std::move(data)) {}

    ValueKind m_kind = ValueKind::Invalid;
    const void* m_type = nullptr; ///< EnumInfo*, TypeInfo* or boxed name's char data
    std::size_t m_boxed_name_size = 0;
    Payload m_data;
};

} // namespace Dizezida::Core

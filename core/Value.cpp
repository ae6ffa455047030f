#include "core/Value.hpp"

#include "core/Enum.hpp"
#include "core/Object.hpp"

#include <fmt/format.h>

namespace Dizezida::Core {
namespace {

const std::string k_empty_string;
const StringList k_empty_list;
const StringMap k_empty_map;
const ObjectList k_empty_objects;

} // namespace

std::string_view kind_type_name(ValueKind kind) {
    switch (kind) {
    case ValueKind::Invalid: return "invalid";
    case ValueKind::Bool: return "gboolean";
    case ValueKind::Char: return "gchar";
    case ValueKind::UChar: return "guchar";
    case ValueKind::Int16: return "gint16";
    case ValueKind::UInt16: return "guint16";
    case ValueKind::Int: return "gint";
    case ValueKind::UInt: return "guint";
    case ValueKind::Long: return "glong";
    case ValueKind::ULong: return "gulong";
    case ValueKind::Int64: return "gint64";
    case ValueKind::UInt64: return "guint64";
    case ValueKind::Float: return "gfloat";
    case ValueKind::Double: return "gdouble";
    case ValueKind::String: return "gchararray";
    case ValueKind::Enum: return "GEnum";
    case ValueKind::Flags: return "GFlags";
    case ValueKind::DateTime: return "GDateTime";
    case ValueKind::StringList: return "GStrv";
    case ValueKind::StringMap: return "GeeHashMap";
    case ValueKind::Object: return "GObject";
    case ValueKind::ObjectList: return "GeeArrayList";
    case ValueKind::Boxed: return "GBoxed";
    }
    return "invalid";
}

bool is_signed_kind(ValueKind kind) {
    return kind == ValueKind::Char || kind == ValueKind::Int16 || kind == ValueKind::Int ||
           kind == ValueKind::Long || kind == ValueKind::Int64;
}

bool is_unsigned_kind(ValueKind kind) {
    return kind == ValueKind::UChar || kind == ValueKind::UInt16 || kind == ValueKind::UInt ||
           kind == ValueKind::ULong || kind == ValueKind::UInt64;
}

Value::Value(ObjectPtr value, const TypeInfo* declared_type)
    : m_kind(ValueKind::Object),
      m_type(declared_type ? declared_type : (value ? &value->type() : nullptr)),
      m_data(std::move(value)) {}

Value Value::of_signed(ValueKind kind, std::int64_t value) {
    return Value(is_signed_kind(kind) ? kind : ValueKind::Int64, value, nullptr);
}

Value Value::of_unsigned(ValueKind kind, std::uint64_t value) {
    return Value(is_unsigned_kind(kind) ? kind : ValueKind::UInt64, value, nullptr);
}

Value Value::enumeration(const EnumInfo& type, std::int64_t value) {
    return Value(ValueKind::Enum, value, &type);
}

Value Value::flags(const EnumInfo& type, std::uint64_t value) {
    return Value(ValueKind::Flags, value, &type);
}

Value Value::null_string() { return Value(ValueKind::String, std::monostate{}, nullptr); }

Value Value::null_date_time() { return Value(ValueKind::DateTime, std::monostate{}, nullptr); }

Value Value::boxed(std::string_view type_name, std::shared_ptr<void> record) {
    Value value(ValueKind::Boxed, std::move(record), type_name.data());
    value.m_boxed_name_size = type_name.size();
    return value;
}

Value Value::default_of(ValueKind kind, const void* type) {
    switch (kind) {
    case ValueKind::Invalid: return Value();
    case ValueKind::Bool: return Value(false);
    case ValueKind::Float: return Value(0.0f);
    case ValueKind::Double: return Value(0.0);
    case ValueKind::String: return Value(std::string());
    case ValueKind::Enum: return Value(kind, std::int64_t{0}, type);
    case ValueKind::Flags: return Value(kind, std::uint64_t{0}, type);
    case ValueKind::DateTime: return null_date_time();
    case ValueKind::StringList: return Value(StringList{});
    case ValueKind::StringMap: return Value(StringMap{});
    case ValueKind::Object: return Value(kind, ObjectPtr{}, type);
    case ValueKind::ObjectList: return Value(kind, ObjectList{}, type);
    case ValueKind::Boxed: return Value(kind, std::shared_ptr<void>{}, type);
    default: break;
    }
    if (is_signed_kind(kind))
        return of_signed(kind, 0);
    return of_unsigned(kind, 0);
}

std::string_view Value::type_name() const {
    switch (m_kind) {
    case ValueKind::Enum:
    case ValueKind::Flags:
        return m_type ? static_cast<const EnumInfo*>(m_type)->type_name : kind_type_name(m_kind);
    case ValueKind::Object:
        return m_type ? static_cast<const TypeInfo*>(m_type)->name : kind_type_name(m_kind);
    case ValueKind::Boxed:
        return m_type ? std::string_view(static_cast<const char*>(m_type), m_boxed_name_size)
                      : kind_type_name(m_kind);
    default: return kind_type_name(m_kind);
    }
}

bool Value::get_bool() const {
    const bool* value = std::get_if<bool>(&m_data);
    return value && *value;
}

std::int64_t Value::get_int64() const {
    if (const auto* value = std::get_if<std::int64_t>(&m_data))
        return *value;
    return 0;
}

std::uint64_t Value::get_uint64() const {
    if (const auto* value = std::get_if<std::uint64_t>(&m_data))
        return *value;
    return 0;
}

double Value::get_double() const {
    if (const auto* value = std::get_if<double>(&m_data))
        return *value;
    return 0.0;
}

const std::string& Value::get_string() const {
    const auto* value = std::get_if<std::string>(&m_data);
    return value ? *value : k_empty_string;
}

bool Value::is_null_string() const {
    return m_kind == ValueKind::String && std::holds_alternative<std::monostate>(m_data);
}

std::optional<DateTime> Value::get_date_time() const {
    if (const auto* value = std::get_if<DateTime>(&m_data))
        return *value;
    return std::nullopt;
}

const StringList& Value::get_string_list() const {
    const auto* value = std::get_if<StringList>(&m_data);
    return value ? *value : k_empty_list;
}

const StringMap& Value::get_string_map() const {
    const auto* value = std::get_if<StringMap>(&m_data);
    return value ? *value : k_empty_map;
}

ObjectPtr Value::get_object() const {
    const auto* value = std::get_if<ObjectPtr>(&m_data);
    return value ? *value : nullptr;
}

const ObjectList& Value::get_object_list() const {
    const auto* value = std::get_if<ObjectList>(&m_data);
    return value ? *value : k_empty_objects;
}

std::shared_ptr<void> Value::get_boxed() const {
    const auto* value = std::get_if<std::shared_ptr<void>>(&m_data);
    return value ? *value : nullptr;
}

const EnumInfo* Value::enum_type() const {
    return (m_kind == ValueKind::Enum || m_kind == ValueKind::Flags)
               ? static_cast<const EnumInfo*>(m_type)
               : nullptr;
}

const TypeInfo* Value::object_type() const {
    return (m_kind == ValueKind::Object || m_kind == ValueKind::ObjectList)
               ? static_cast<const TypeInfo*>(m_type)
               : nullptr;
}

bool Value::operator==(const Value& other) const {
    if (m_kind != other.m_kind)
        return false;
    if (m_kind == ValueKind::Enum || m_kind == ValueKind::Flags)
        return m_type == other.m_type && m_data == other.m_data;
    return m_data == other.m_data;
}

std::string Value::debug_string() const {
    switch (m_kind) {
    case ValueKind::Invalid: return "(invalid)";
    case ValueKind::Bool: return get_bool() ? "TRUE" : "FALSE";
    case ValueKind::Float:
    case ValueKind::Double: return fmt::format("{}", get_double());
    case ValueKind::String: return is_null_string() ? "NULL" : fmt::format("\"{}\"", get_string());
    case ValueKind::Enum:
    case ValueKind::Flags: {
        const EnumInfo* type = enum_type();
        const std::int64_t number = m_kind == ValueKind::Enum
                                        ? get_int64()
                                        : static_cast<std::int64_t>(get_uint64());
        return type && type->find(number) ? std::string(type->find(number)->name)
                                          : std::to_string(number);
    }
    case ValueKind::DateTime: return get_date_time() ? get_date_time()->to_iso8601() : "NULL";
    case ValueKind::StringList: return fmt::format("(GStrv) {} items", get_string_list().size());
    case ValueKind::StringMap: return fmt::format("(GeeHashMap) {} entries", get_string_map().size());
    case ValueKind::Object:
        return fmt::format("(({}*) {})", type_name(), static_cast<const void*>(get_object().get()));
    case ValueKind::ObjectList:
        return fmt::format("(GeeArrayList) {} items", get_object_list().size());
    case ValueKind::Boxed:
        return fmt::format("(({}*) {})", type_name(), get_boxed().get());
    default: break;
    }
    return is_signed_kind(m_kind) ? std::to_string(get_int64()) : std::to_string(get_uint64());
}

} // namespace Dizezida::Core

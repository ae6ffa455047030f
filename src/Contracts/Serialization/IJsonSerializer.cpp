#include "Contracts/Serialization/IJsonSerializer.hpp"

#include "core/Enum.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

#include <cmath>
#include <limits>

namespace Dizezida::Dovodarud::Contracts::Serialization {

const Core::TypeInfo& IJsonSerializer::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsSerializationIJsonSerializer");
    return info;
}

namespace {

using Core::Value;
using Core::ValueKind;

struct Range {
    long double min;
    long double max;
};

/// The range of an integer kind (Long and ULong are 64 bits here).
Range range_of(ValueKind kind) {
    switch (kind) {
    case ValueKind::Char:
        return {-128, 127};
    case ValueKind::UChar:
        return {0, 255};
    case ValueKind::Int16:
        return {-32768, 32767};
    case ValueKind::UInt16:
        return {0, 65535};
    case ValueKind::Int:
    case ValueKind::Enum:
        return {static_cast<long double>(std::numeric_limits<std::int32_t>::min()),
                static_cast<long double>(std::numeric_limits<std::int32_t>::max())};
    case ValueKind::UInt:
    case ValueKind::Flags:
        return {0, static_cast<long double>(std::numeric_limits<std::uint32_t>::max())};
    case ValueKind::Long:
    case ValueKind::Int64:
        return {static_cast<long double>(std::numeric_limits<std::int64_t>::min()),
                static_cast<long double>(std::numeric_limits<std::int64_t>::max())};
    default:
        return {0, static_cast<long double>(std::numeric_limits<std::uint64_t>::max())};
    }
}

bool is_integer_kind(ValueKind kind) {
    return Core::is_signed_kind(kind) || Core::is_unsigned_kind(kind);
}

void warn_skipped(std::string_view name, std::string_view why, const Json& member) {
    Core::platform_warning(
        fmt::format("JSON member \"{}\" skipped: {} (found {})", name, why,
                    member.dump(-1, ' ', false, Json::error_handler_t::replace)));
}

Json to_json(const Value& value, const Core::Property& property) {
    switch (value.kind()) {
    case ValueKind::Invalid:
        return nullptr;
    case ValueKind::Bool:
        return value.get_bool();
    case ValueKind::Float:
    case ValueKind::Double: {
        const double d = value.get_double();
        return std::isfinite(d) ? Json(d) : Json(nullptr);
    }
    case ValueKind::String:
        return value.get_string();
    case ValueKind::Enum:
        return value.get_int64();
    case ValueKind::Flags:
        return value.get_uint64();
    case ValueKind::DateTime: {
        const auto dt = value.get_date_time();
        return dt ? dt->to_iso8601() : std::string();
    }
    case ValueKind::StringList:
        return value.get_string_list();
    default:
        if (Core::is_signed_kind(value.kind()))
            return value.get_int64();
        if (Core::is_unsigned_kind(value.kind()))
            return value.get_uint64();
        (void)property;
        return value.debug_string();
    }
}

/// The property value a member stands for; an invalid Value when it must be
/// skipped (the warning is already written).
Value from_json(const Json& member, const Core::Property& property) {
    const ValueKind kind = property.kind;
    const std::string_view name = property.name;
    if (kind == ValueKind::Bool) {
        if (member.is_boolean())
            return Value(member.get<bool>());
        warn_skipped(name, "a boolean is expected", member);
        return {};
    }
    if (is_integer_kind(kind) || kind == ValueKind::Enum || kind == ValueKind::Flags) {
        if (!member.is_number_integer()) {
            warn_skipped(name, "an integer is expected", member);
            return {};
        }
        const Range range = range_of(kind);
        const long double n = member.is_number_unsigned()
                                  ? static_cast<long double>(member.get<std::uint64_t>())
                                  : static_cast<long double>(member.get<std::int64_t>());
        if (n < range.min || n > range.max) {
            warn_skipped(name,
                         fmt::format("out of the range {} to {}", static_cast<double>(range.min),
                                     static_cast<double>(range.max)),
                         member);
            return {};
        }
        if (kind == ValueKind::Enum)
            return Value::enumeration(*property.enum_type(), member.get<std::int64_t>());
        if (kind == ValueKind::Flags)
            return Value::flags(*property.enum_type(), member.get<std::uint64_t>());
        if (Core::is_signed_kind(kind))
            return Value::of_signed(kind, member.get<std::int64_t>());
        return Value::of_unsigned(kind, member.get<std::uint64_t>());
    }
    if (kind == ValueKind::Float || kind == ValueKind::Double) {
        if (!member.is_number()) {
            warn_skipped(name, "a number is expected", member);
            return {};
        }
        const double d = member.get<double>();
        if (kind == ValueKind::Float) {
            if (std::fabs(d) > std::numeric_limits<float>::max()) {
                warn_skipped(name, "out of the range of a 32-bit floating point number", member);
                return {};
            }
            return Value(static_cast<float>(d));
        }
        return Value(d);
    }
    if (kind == ValueKind::String) {
        if (member.is_string())
            return Value(member.get<std::string>());
        warn_skipped(name, "a string is expected", member);
        return {};
    }
    if (kind == ValueKind::DateTime) {
        if (!member.is_string()) {
            warn_skipped(name, "an ISO 8601 date-time string is expected", member);
            return {};
        }
        const auto& text = member.get_ref<const std::string&>();
        if (text.empty())
            return Value::null_date_time();
        if (auto dt = Core::DateTime::parse_iso8601(text))
            return Value(*dt);
        warn_skipped(name, "an ISO 8601 date-time string is expected", member);
        return {};
    }
    if (kind == ValueKind::StringList) {
        Core::StringList list;
        if (member.is_array()) {
            for (const auto& item : member) {
                if (!item.is_string()) {
                    list.clear();
                    break;
                }
                list.push_back(item.get<std::string>());
            }
            if (list.size() == member.size())
                return Value(std::move(list));
        }
        warn_skipped(name, "an array of strings is expected", member);
        return {};
    }
    Core::platform_warning(
        fmt::format("serializer_json:201: Type: {} -> {}", name, property.type_name()));
    return {};
}

} // namespace

void serialize_properties(Json& json, const Core::Object& object) {
    if (json.is_null())
        json = Json::object();
    if (!json.is_object())
        return;
    for (const Core::Property* property : object.type().properties()) {
        if (!property->readable() || !property->get)
            continue;
        json[std::string(property->name)] = to_json(property->get(object), *property);
    }
}

void deserialize_properties(const Json& json, Core::Object& object) {
    if (!json.is_object())
        return;
    for (const auto& [name, member] : json.items()) {
        if (name == "class")
            continue;
        const Core::Property* property = object.type().find_property(name, true);
        if (!property || !property->writable() || !property->set)
            continue;
        const Value value = from_json(member, *property);
        if (value.is_valid())
            property->set(object, value);
    }
}

std::string dump_pretty(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

} // namespace Dizezida::Dovodarud::Contracts::Serialization

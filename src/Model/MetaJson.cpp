#include "Model/MetaJson.hpp"

#include "core/Enum.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace Dizezida::Dovodarud::MetaModel {
namespace {

// Member order is the property order, so that equal objects give equal texts.
using Json = nlohmann::ordered_json;
using Core::ValueKind;

/// Appends a member. Property names are unique within a class, so the search
/// for an existing member that ordered_json's operator[] makes is skipped.
void add_member(Json& object, std::string_view name, Json value) {
    object.get_ref<Json::object_t&>().emplace_back(std::string(name), std::move(value));
}

Json write_object(const MetaObject& object, bool tagged);

Json write_list(const MetaObject& owner, const Core::Property& property,
                const Core::ObjectList& items) {
    const bool tagged = owner.json_elements(property) == JsonElements::Tagged;
    Json array = Json::array();
    auto& elements = array.get_ref<Json::array_t&>();
    elements.reserve(items.size());
    for (const auto& item : items) {
        const auto* element = dynamic_cast<const MetaObject*>(item.get());
        elements.push_back(element ? write_object(*element, tagged) : Json());
    }
    return array;
}

Json write_value(const MetaObject& owner, const Core::Property& property,
                 const Core::Value& value) {
    switch (value.kind()) {
    case ValueKind::Bool: return value.get_bool();
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long:
    case ValueKind::Int64:
    case ValueKind::Enum: return value.get_int64();
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong:
    case ValueKind::UInt64:
    case ValueKind::Flags: return value.get_uint64();
    case ValueKind::Float:
    case ValueKind::Double: return value.get_double();
    case ValueKind::String: return value.get_string();
    case ValueKind::DateTime: {
        const auto instant = value.get_date_time();
        return instant ? instant->to_iso8601() : std::string();
    }
    case ValueKind::StringList: return value.get_string_list();
    case ValueKind::StringMap: {
        Json object = Json::object();
        for (const auto& [key, text] : value.get_string_map())
            add_member(object, key, text);
        return object;
    }
    case ValueKind::ObjectList: return write_list(owner, property, value.get_object_list());
    case ValueKind::Object: {
        const Core::ObjectPtr object = value.get_object();
        if (const auto* element = dynamic_cast<const MetaObject*>(object.get()))
            return write_object(*element, false);
        return object ? Json(value.debug_string()) : Json();
    }
    case ValueKind::Boxed: return value.debug_string();
    case ValueKind::Invalid: break;
    }
    return Json();
}

Json write_object(const MetaObject& object, bool tagged) {
    const Core::TypeInfo& type = object.type();
    Json result = Json::object();
    result.get_ref<Json::object_t&>().reserve(type.properties().size() + 1);
    if (tagged && !type.find_property("class"))
        add_member(result, "class", std::string(type.name));
    for (const Core::Property* property : type.properties())
        if (property->readable() && property->get)
            add_member(result, property->name,
                       write_value(object, *property, property->get(object)));
    return result;
}

void read_members(MetaObject& object, const Json& node);

/// A new meta object of an instantiable class, or nullptr.
std::shared_ptr<MetaObject> create(const Core::TypeInfo& type) {
    return std::dynamic_pointer_cast<MetaObject>(type.create());
}

/// The class an element names in its "class" member when that class is a
/// `declared`; `declared` when there is no such member; nullptr (with a
/// warning) for a class that is unknown or of another kind.
const Core::TypeInfo* tagged_type(const Json& element, const Core::TypeInfo& declared) {
    const auto found = element.find("class");
    if (found == element.end() || !found->is_string())
        return &declared;
    const auto& name = found->get_ref<const std::string&>();
    const Core::TypeInfo* type = Core::TypeInfo::lookup(name);
    if (type && type->is_a(declared) && type->is_instantiable())
        return type;
    Core::platform_warning(
        fmt::format("meta_json:{}: class {} is not a {}", __LINE__, name, declared.name));
    return nullptr;
}

std::optional<Core::Value> read_list(const MetaObject& owner, const Core::Property& property,
                                     const Json& node) {
    const Core::TypeInfo* declared = property.object_type();
    if (!node.is_array() || !declared)
        return std::nullopt;
    const bool tagged = owner.json_elements(property) == JsonElements::Tagged;
    Core::ObjectList items;
    items.reserve(node.size());
    for (const Json& element : node) {
        if (element.is_null()) {
            items.push_back(nullptr);
            continue;
        }
        const Core::TypeInfo* type = tagged ? tagged_type(element, *declared) : declared;
        if (!element.is_object() || !type)
            continue;
        if (auto object = create(*type)) {
            read_members(*object, element);
            items.push_back(std::move(object));
        }
    }
    return Core::Value(std::move(items));
}

/// The bits of an integer member (a fractional number is cut toward zero).
std::optional<std::uint64_t> integer_bits(const Json& node) {
    if (node.is_number_unsigned())
        return node.get<std::uint64_t>();
    if (node.is_number_integer())
        return static_cast<std::uint64_t>(node.get<std::int64_t>());
    if (node.is_number_float())
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(node.get<double>()));
    return std::nullopt;
}

const std::string& text_or_empty(const Json& node) {
    static const std::string empty;
    return node.is_string() ? node.get_ref<const std::string&>() : empty;
}

/// The value a member gives a property, or nothing when its kind does not fit.
std::optional<Core::Value> read_value(const MetaObject& owner, const Core::Property& property,
                                      const Json& node) {
    switch (property.kind) {
    case ValueKind::Bool:
        return node.is_boolean() ? std::optional<Core::Value>(node.get<bool>()) : std::nullopt;
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long:
    case ValueKind::Int64:
        if (const auto bits = integer_bits(node))
            return Core::Value::of_signed(property.kind, static_cast<std::int64_t>(*bits));
        return std::nullopt;
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong:
    case ValueKind::UInt64:
        if (const auto bits = integer_bits(node))
            return Core::Value::of_unsigned(property.kind, *bits);
        return std::nullopt;
    case ValueKind::Enum:
    case ValueKind::Flags: {
        const Core::EnumInfo* type = property.enum_type();
        const auto bits = integer_bits(node);
        if (!type || !bits)
            return std::nullopt;
        if (property.kind == ValueKind::Enum)
            return Core::Value::enumeration(*type, static_cast<std::int32_t>(*bits));
        return Core::Value::flags(*type, static_cast<std::uint32_t>(*bits));
    }
    case ValueKind::Float:
    case ValueKind::Double:
        if (!node.is_number())
            return std::nullopt;
        if (property.kind == ValueKind::Float)
            return Core::Value(static_cast<float>(node.get<double>()));
        return Core::Value(node.get<double>());
    case ValueKind::String:
        if (node.is_string() || node.is_null())
            return Core::Value(text_or_empty(node));
        return std::nullopt;
    case ValueKind::DateTime:
        if (!node.is_string())
            return std::nullopt;
        if (const auto instant = Core::DateTime::parse_iso8601(text_or_empty(node)))
            return Core::Value(*instant);
        return Core::Value::null_date_time();
    case ValueKind::StringList: {
        if (!node.is_array())
            return std::nullopt;
        Core::StringList list;
        list.reserve(node.size());
        for (const Json& element : node)
            list.push_back(text_or_empty(element));
        return Core::Value(std::move(list));
    }
    case ValueKind::StringMap: {
        if (!node.is_object())
            return std::nullopt;
        Core::StringMap map;
        for (const auto& [key, element] : node.get_ref<const Json::object_t&>())
            map.insert_or_assign(key, text_or_empty(element));
        return Core::Value(std::move(map));
    }
    case ValueKind::ObjectList: return read_list(owner, property, node);
    case ValueKind::Object: {
        const Core::TypeInfo* type = property.object_type();
        if (!node.is_object() || !type)
            return std::nullopt;
        auto object = create(*type);
        if (!object)
            return std::nullopt;
        read_members(*object, node);
        return Core::Value(std::static_pointer_cast<Core::Object>(object));
    }
    case ValueKind::Boxed:
    case ValueKind::Invalid: break;
    }
    return std::nullopt;
}

void read_members(MetaObject& object, const Json& node) {
    const Core::TypeInfo& type = object.type();
    for (const auto& [name, member] : node.get_ref<const Json::object_t&>()) {
        const Core::Property* property = type.find_property(name, true);
        if (!property || !property->writable() || !property->set)
            continue;
        if (auto value = read_value(object, *property, member))
            property->set(object, *value);
    }
}

Core::Result<Json> parse_object(std::string_view text) {
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& error) {
        return Core::fail(Core::Error::make(k_json_error_domain, -1, error.what()));
    }
    if (!root.is_object())
        return Core::fail(
            Core::Error::make(k_json_error_domain, -1, "the JSON text is not an object"));
    return root;
}

} // namespace

std::string to_json_text(const MetaObject& object, int indent) {
    return write_object(object, false).dump(indent, ' ', false, Json::error_handler_t::replace);
}

Core::Result<void> read_json_text(MetaObject& object, std::string_view text) {
    auto root = parse_object(text);
    if (!root)
        return std::unexpected(std::move(root).error());
    read_members(object, *root);
    return {};
}

Core::Result<std::shared_ptr<MetaObject>> from_json_text(std::string_view text,
                                                         const Core::TypeInfo& type) {
    auto root = parse_object(text);
    if (!root)
        return std::unexpected(std::move(root).error());
    const Core::TypeInfo* named = nullptr;
    if (const auto found = root->find("class"); found != root->end() && found->is_string())
        named = Core::TypeInfo::lookup(found->get_ref<const std::string&>());
    const Core::TypeInfo& chosen =
        named && named->is_a(type) && named->is_instantiable() ? *named : type;
    auto object = create(chosen);
    if (!object)
        return Core::fail(Core::Error::make(k_json_error_domain, -1,
                                            fmt::format("{} is not a meta class", chosen.name)));
    read_members(*object, *root);
    return object;
}

} // namespace Dizezida::Dovodarud::MetaModel

// Writing the JSON form: one walk over the property tables, straight to text.
#include "Model/JsonTextWriter.hpp"
#include "Model/MetaJson.hpp"

namespace Dizezida::Dovodarud::MetaModel {
namespace {

using Core::ValueKind;

void write_object(JsonTextWriter& out, const MetaObject& object, bool tagged);

void write_list(JsonTextWriter& out, const MetaObject& owner, const Core::Property& property,
                const Core::ObjectList& items) {
    const bool tagged = owner.json_elements(property) == JsonElements::Tagged;
    out.begin_array();
    for (const auto& item : items) {
        if (const auto* element = dynamic_cast<const MetaObject*>(item.get()))
            write_object(out, *element, tagged);
        else
            out.null_value();
    }
    out.end_array();
}

void write_value(JsonTextWriter& out, const MetaObject& owner, const Core::Property& property,
                 const Core::Value& value) {
    switch (value.kind()) {
    case ValueKind::Bool: out.bool_value(value.get_bool()); return;
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long:
    case ValueKind::Int64:
    case ValueKind::Enum: out.int_value(value.get_int64()); return;
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong:
    case ValueKind::UInt64:
    case ValueKind::Flags: out.uint_value(value.get_uint64()); return;
    case ValueKind::Float:
    case ValueKind::Double: out.double_value(value.get_double()); return;
    case ValueKind::String: out.string_value(value.get_string()); return;
    case ValueKind::DateTime: {
        const auto instant = value.get_date_time();
        out.string_value(instant ? instant->to_iso8601() : std::string());
        return;
    }
    case ValueKind::StringList:
        out.begin_array();
        for (const std::string& text : value.get_string_list())
            out.string_value(text);
        out.end_array();
        return;
    case ValueKind::StringMap:
        out.begin_object();
        for (const auto& [key, text] : value.get_string_map()) {
            out.key(key);
            out.string_value(text);
        }
        out.end_object();
        return;
    case ValueKind::ObjectList: write_list(out, owner, property, value.get_object_list()); return;
    case ValueKind::Object: {
        const Core::ObjectPtr object = value.get_object();
        if (const auto* element = dynamic_cast<const MetaObject*>(object.get()))
            write_object(out, *element, false);
        else if (object)
            out.string_value(value.debug_string());
        else
            out.null_value();
        return;
    }
    case ValueKind::Boxed: out.string_value(value.debug_string()); return;
    case ValueKind::Invalid: break;
    }
    out.null_value();
}

/// The text member behind a string property, read in place; nullptr when the
/// property has no member of its own (its value then comes from its getter).
const std::string* text_member(const Core::Property& property, const MetaObject& object) {
    if (property.kind != ValueKind::String || !property.field)
        return nullptr;
    // field() only gives the member's address; nothing is written through it.
    return static_cast<const std::string*>(property.field(const_cast<MetaObject&>(object)));
}

void write_object(JsonTextWriter& out, const MetaObject& object, bool tagged) {
    const Core::TypeInfo& type = object.type();
    out.begin_object();
    // The class leads, so that a streaming reader knows it before the rest.
    if (tagged && !type.find_property("class")) {
        out.key("class");
        out.string_value(type.name);
    }
    for (const Core::Property* property : type.properties()) {
        if (!property->readable() || !property->get)
            continue;
        out.key(property->name);
        if (const std::string* text = text_member(*property, object))
            out.string_value(*text);
        else
            write_value(out, object, *property, property->get(object));
    }
    out.end_object();
}

} // namespace

std::string to_json_text(const MetaObject& object, int indent) {
    JsonTextWriter out(indent);
    write_object(out, object, false);
    return out.take();
}

bool write_json_text(const MetaObject& object, int indent,
                     const std::function<bool(std::string_view)>& sink) {
    JsonTextWriter out(indent);
    out.set_sink(sink);
    write_object(out, object, false);
    return out.flush();
}

} // namespace Dizezida::Dovodarud::MetaModel

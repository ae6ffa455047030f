#include "Transform/SchemaMove.hpp"

#include "Model/MetaJson.hpp"
#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlText.hpp"

#include <nlohmann/json.hpp>

#include <set>

namespace Dizezida::Dovodarud::Transform {

namespace Keys = MetaModel::Keys;

using Json = nlohmann::ordered_json;

namespace {

bool is_identifier_letter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '"' ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// How the server prints a name: bare when it is a plain lower-case word.
std::string printed_name(std::string_view name) {
    const bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
                       std::all_of(name.begin(), name.end(), [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
                       });
    return plain ? std::string(name) : Supports::Database::sql_name(name);
}

/// Members whose texts are names or prose, never SQL naming a schema.
const std::set<std::string, std::less<>> k_not_sql = {"name", "comment", "original", "alias",
                                                      "database", "class"};

void move(Json& node, const std::string& database, const std::string& from,
          const std::string& to, bool keep_owners) {
    if (node.is_array()) {
        for (Json& element : node)
            move(element, database, from, to, keep_owners);
        return;
    }
    if (!node.is_object())
        return;
    if (!keep_owners)
        for (const char* map : {"attributes", "options"})
            if (const auto found = node.find(map); found != node.end() && found->is_object())
                found->erase(Keys::owner);
    for (auto& [key, value] : node.items()) {
        if (value.is_object() || value.is_array()) {
            move(value, database, from, to, keep_owners);
        } else if (value.is_string()) {
            const std::string text = value.get<std::string>();
            if (key == "database" || key == "refer-database")
                value = text.empty() ? text : database;
            else if (key == "schema" || key == "refer-schema" || key == "owned-schema")
                value = text == from ? to : text;
            else if ((key == "function" || key == "refer-table") && text.starts_with(from + "."))
                value = to + text.substr(from.size()); // "schema.name" as stored, unquoted
            else if (!k_not_sql.count(key) && from != to)
                value = repoint_text(text, from, to);
        }
    }
}

/// Walks an object and everything it holds, by its properties.
void localize(Core::Object& object, const std::string& database, bool keep_owners,
              std::set<const Core::Object*>& seen) {
    if (!seen.insert(&object).second)
        return;
    if (auto* meta = dynamic_cast<MetaModel::MetaObject*>(&object); meta && !keep_owners)
        meta->get_attributes().erase(Keys::owner);
    if (auto* table = dynamic_cast<MetaModel::MetaTable*>(&object); table && !keep_owners)
        table->get_options().erase(Keys::owner);
    for (const Core::Property* property : object.type().properties()) {
        const std::string_view name = property->name;
        if (property->kind == Core::ValueKind::String && (name == "database" || name == "refer-database")) {
            if (!object.get_property(name).get_string().empty())
                object.set_property(name, Core::Value(database));
        } else if (property->kind == Core::ValueKind::Object) {
            if (const auto child = object.get_property(name).get_object())
                localize(*child, database, keep_owners, seen);
        } else if (property->kind == Core::ValueKind::ObjectList) {
            const Core::Value children = object.get_property(name);
            for (const auto& child : children.get_object_list())
                if (child)
                    localize(*child, database, keep_owners, seen);
        }
    }
}

} // namespace

void localize_schema(MetaModel::MetaSchema& schema, const std::string& database, bool keep_owners) {
    std::set<const Core::Object*> seen;
    localize(schema, database, keep_owners, seen);
}

std::string repoint_text(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    const std::string quoted = Supports::Database::sql_name(from) + ".";
    const std::string printed = printed_name(from) + ".";
    const std::string replacement = printed_name(to) + ".";
    std::size_t at = 0;
    while (at < text.size()) {
        const bool boundary = at == 0 || !is_identifier_letter(text[at - 1]);
        std::size_t length = 0;
        if (boundary && text.substr(at).starts_with(quoted))
            length = quoted.size();
        else if (boundary && text.substr(at).starts_with(printed))
            length = printed.size();
        if (length != 0) {
            result += replacement;
            at += length;
        } else {
            result += text[at++];
        }
    }
    return result;
}

std::shared_ptr<MetaModel::MetaSchema> moved_schema(const MetaModel::MetaSchema& schema,
                                                    const std::string& database,
                                                    const std::string& schema_name,
                                                    bool keep_owners) {
    Json json = Json::parse(MetaModel::to_json_text(schema));
    move(json, database, schema.get_name(), schema_name, keep_owners);
    json["name"] = schema_name;
    auto copy = MetaModel::from_json_text<MetaModel::MetaSchema>(json.dump());
    if (!copy)
        return nullptr;
    MetaModel::carry_depends(schema, **copy, schema.get_name(), schema_name);
    return *copy;
}

} // namespace Dizezida::Dovodarud::Transform

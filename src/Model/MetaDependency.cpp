#include "Model/MetaDependency.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"

namespace Dizezida::Dovodarud::MetaModel {

namespace {

constexpr char k_separator = '\x1f';

} // namespace

std::string dependency_key(std::string_view kind, std::string_view schema, std::string_view name) {
    std::string key;
    key.reserve(kind.size() + schema.size() + name.size() + 2);
    key.append(kind).push_back(k_separator);
    key.append(schema).push_back(k_separator);
    key.append(name);
    return key;
}

std::string dependency_key(const MetaObject& object) {
    const std::string& schema = object.get_schema();
    if (dynamic_cast<const Materialized*>(&object))
        return dependency_key("miew", schema, object.get_name());
    if (dynamic_cast<const MetaView*>(&object))
        return dependency_key("view", schema, object.get_name());
    if (dynamic_cast<const MetaTable*>(&object))
        return dependency_key("table", schema, object.get_name());
    if (dynamic_cast<const MetaType*>(&object))
        return dependency_key("type", schema, object.get_name());
    if (dynamic_cast<const MetaSequence*>(&object))
        return dependency_key("sequence", schema, object.get_name());
    if (dynamic_cast<const MetaFunction*>(&object)) {
        const auto& attributes = object.get_attributes();
        const auto arguments = attributes.find(Keys::arguments);
        return dependency_key("function", schema,
                              object.get_name() + "(" +
                                  (arguments == attributes.end() ? std::string() : arguments->second) +
                                  ")");
    }
    return {};
}

std::string_view key_schema(std::string_view key) {
    const std::size_t first = key.find(k_separator);
    if (first == std::string_view::npos)
        return {};
    const std::size_t second = key.find(k_separator, first + 1);
    return key.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                   : second - first - 1);
}

std::string key_in_schema(std::string_view key, std::string_view from, std::string_view to) {
    const std::string_view schema = key_schema(key);
    if (schema != from)
        return std::string(key);
    const std::size_t at = key.find(k_separator) + 1;
    std::string moved(key.substr(0, at));
    moved.append(to);
    moved.append(key.substr(at + schema.size()));
    return moved;
}

void carry_depends(const MetaObject& from, MetaObject& to, std::string_view from_schema,
                   std::string_view to_schema) {
    auto& depends = to.depends();
    depends.clear();
    for (const MetaDependency& depend : from.depends())
        depends.push_back({depend.part,
                           from_schema.empty() ? depend.key
                                               : key_in_schema(depend.key, from_schema, to_schema),
                           depend.needed});
    const auto pair_up = [&](const auto& before, const auto& after) {
        for (std::size_t at = 0; at < before.size() && at < after.size(); ++at)
            if (before[at] && after[at])
                carry_depends(*before[at], *after[at], from_schema, to_schema);
    };
    // A copy holds the same objects in the same order.
    if (const auto* schema = dynamic_cast<const MetaSchema*>(&from)) {
        if (const auto* copy = dynamic_cast<const MetaSchema*>(&to))
            pair_up(schema->objects(), copy->objects());
    } else if (const auto* database = dynamic_cast<const MetaDatabase*>(&from)) {
        if (auto* copy = dynamic_cast<MetaDatabase*>(&to))
            pair_up(database->get_schemas(), copy->get_schemas());
    }
}

} // namespace Dizezida::Dovodarud::MetaModel

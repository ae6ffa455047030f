#include "Transform/Patcher.hpp"

#include "Model/MetaJson.hpp"
#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "core/Precondition.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <set>

namespace Dizezida::Dovodarud::Transform {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
using Json = nlohmann::ordered_json;

namespace {

/// Properties that say nothing about the server object.
const std::set<std::string, std::less<>> k_not_structural = {
    "version", "ordinal", "after", "is-selected", "original", "dimension",
    "is-primary-key", "primary-ordinal"};

/// Removes what is not compared from one JSON object and its members.
void strip(Json& node, const std::string& own_schema, bool compare_names) {
    if (node.is_array()) {
        for (Json& element : node)
            strip(element, own_schema, compare_names);
        return;
    }
    if (!node.is_object())
        return;
    for (const auto& key : k_not_structural)
        node.erase(key);
    if (!compare_names) {
        node.erase("database");
        node.erase("schema");
        node.erase("refer-database");
        for (const char* key : {"refer-schema", "owned-schema"}) {
            const auto found = node.find(key);
            if (found != node.end() && found->is_string() && found->get<std::string>() == own_schema)
                node.erase(found);
        }
    }
    for (const char* map : {"attributes", "options"}) {
        const auto found = node.find(map);
        if (found != node.end() && found->is_object())
            found->erase(Keys::owner);
    }
    for (auto& [key, value] : node.items()) {
        if (!value.is_object() && !value.is_array())
            continue;
        strip(value, own_schema, compare_names);
        // Lists of objects compare as sets: catalog order (column positions
        // left by dropped columns, say) is not a difference.
        if (value.is_array() && !value.empty() && value.front().is_object()) {
            std::vector<std::pair<std::string, Json>> keyed;
            keyed.reserve(value.size());
            for (Json& element : value)
                keyed.emplace_back(element.dump(), std::move(element));
            std::sort(keyed.begin(), keyed.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
            Json sorted = Json::array();
            for (auto& [text, element] : keyed)
                sorted.push_back(std::move(element));
            value = std::move(sorted);
        }
    }
}

/// The primary key of a table as "name(col,col)" in key order.
std::string primary_key_text(const MetaTable& table) {
    std::vector<std::pair<std::uint8_t, std::string>> keys;
    for (const auto& column : table.get_columns())
        if (column->get_is_primary_key())
            keys.emplace_back(column->get_primary_ordinal(), column->get_name());
    if (keys.empty())
        return {};
    std::sort(keys.begin(), keys.end());
    std::string text;
    const auto found = table.get_attributes().find(Keys::primary_key);
    text = found == table.get_attributes().end() ? std::string() : found->second;
    text += "(";
    for (const auto& key : keys)
        text += key.second + ",";
    const auto deferral = table.get_attributes().find(Keys::primary_key_deferrable);
    return text + ")" + (deferral == table.get_attributes().end() ? std::string() : deferral->second);
}

/// A deep, independent copy of an object of any meta class: the class's own
/// clone where it carries every list, else through the JSON form.
template <class T> std::shared_ptr<T> copy_of(const T& object) {
    // Every class but these has no object list besides a table's, which
    // the table's clone copies too.
    const DbObject kind = object.character();
    if (kind != DbObject::SCHEMA && kind != DbObject::DATABASE && kind != DbObject::ROLE &&
        kind != DbObject::USER && !dynamic_cast<const Materialized*>(&static_cast<const MetaObject&>(object)))
        if (auto copy = object.template clone_as<T>())
            return copy;
    auto copy = from_json_text(to_json_text(object), object.type());
    if (!copy)
        return nullptr;
    auto typed = std::dynamic_pointer_cast<T>(*copy);
    if (typed)
        carry_depends(object, *typed);
    return typed;
}

template <class T> std::shared_ptr<T> marked_copy(const T& object, DataVersion mark) {
    auto copy = copy_of(object);
    if (copy)
        copy->set_version(mark);
    return copy;
}

std::string structure_of_text(const MetaObject& object, const std::string& text, bool compare_names);

bool same_structure(const MetaObject& a, const MetaObject& b, bool compare_names) {
    // Equal texts strip to equal structures: the common case of an unchanged
    // object costs two writes, not two parses.
    const std::string text_a = to_json_text(a), text_b = to_json_text(b);
    return text_a == text_b ||
           structure_of_text(a, text_a, compare_names) == structure_of_text(b, text_b, compare_names);
}

/// Items of two lists matched by key: the base's items in order (REMOVE when
/// the other side lacks them, EQUAL when alike, else the other's item
/// CHANGE), then the other side's items the base lacks (APPEND).
template <class T>
void mark_items(const std::vector<std::shared_ptr<T>>& base,
                const std::vector<std::shared_ptr<T>>& other,
                const std::function<std::string(const T&)>& key, bool compare_names,
                const std::function<void(std::shared_ptr<T>)>& add) {
    std::map<std::string, std::shared_ptr<T>> others;
    for (const auto& item : other)
        if (item)
            others.emplace(key(*item), item);
    std::set<std::string> seen;
    for (const auto& item : base) {
        if (!item)
            continue;
        const std::string name = key(*item);
        seen.insert(name);
        const auto found = others.find(name);
        if (found == others.end())
            add(marked_copy(*item, DataVersion::REMOVE));
        else if (same_structure(*item, *found->second, compare_names))
            add(marked_copy(*item, DataVersion::EQUAL));
        else
            add(marked_copy(*found->second, DataVersion::CHANGE));
    }
    for (const auto& item : other)
        if (item && !seen.count(key(*item)))
            add(marked_copy(*item, DataVersion::APPEND));
}

template <class T> std::string name_key(const T& item) {
    return item.get_name();
}

/// A constraint's class and name: constraints match within their class.
std::string constraint_key(const MetaConstraint& constraint) {
    return std::string(constraint.type().name) + ":" + constraint.get_name();
}

/// A routine's name and argument types: overloads are different routines.
std::string routine_key(const MetaFunction& routine) {
    const auto found = routine.get_attributes().find(Keys::arguments);
    return routine.get_name() + "(" +
           (found == routine.get_attributes().end() ? std::string() : found->second) + ")";
}

/// Marks the columns of a difference table. A column renamed in place (a
/// removed column and an added one at the same position with the same
/// definition, and no other candidate) becomes one changed column whose
/// "original" is its previous name, so its values stay.
void mark_columns(const Patcher& patcher, const MetaTable& base, const MetaTable& other,
                  bool compare_names, MetaTable& patched) {
    auto& columns = patched.get_columns();
    for (const auto& column : other.get_columns())
        if (!base.get_column(column->get_name()))
            columns.push_back(marked_copy(*column, DataVersion::APPEND));
    for (const auto& column : base.get_columns()) {
        const auto match = other.get_column(column->get_name());
        if (!match) {
            columns.push_back(marked_copy(*column, DataVersion::REMOVE));
        } else if (same_structure(*column, *match, compare_names)) {
            columns.push_back(marked_copy(*column, DataVersion::EQUAL));
        } else {
            auto changed = marked_copy(*match, DataVersion::CHANGE);
            patcher.diff_model(column, changed);
            columns.push_back(changed);
        }
    }
    std::vector<std::shared_ptr<MetaColumn>> added, removed;
    for (const auto& column : columns) {
        if (column->get_version() == DataVersion::APPEND)
            added.push_back(column);
        else if (column->get_version() == DataVersion::REMOVE)
            removed.push_back(column);
    }
    for (const auto& gone : removed) {
        std::shared_ptr<MetaColumn> match;
        int matches = 0;
        for (const auto& candidate : added) {
            if (candidate->get_ordinal() != gone->get_ordinal())
                continue;
            auto previous = copy_of(*gone);
            previous->set_name(candidate->get_name());
            previous->set_comment(candidate->get_comment());
            if (same_structure(*previous, *candidate, compare_names)) {
                match = candidate;
                ++matches;
            }
        }
        if (matches != 1)
            continue;
        auto renamed = copy_of(*match);
        renamed->set_version(DataVersion::CHANGE);
        renamed->set_original(gone->get_name());
        patcher.diff_model(gone, renamed);
        std::erase(columns, match);
        std::erase(added, match);
        std::replace(columns.begin(), columns.end(), gone, renamed);
    }
}

/// "comment", "options.KEY" and "primary-key" of a difference table.
void mark_table_properties(const MetaTable& base, const MetaTable& other, MetaTable& patched) {
    patched.set_comment(other.get_comment());
    patched.get_options() = other.get_options();
    patched.get_attributes() = other.get_attributes();
    if (base.get_comment() != other.get_comment()) {
        patched.append_diff("comment", DataVersion::CHANGE);
        patched.append_slice("comment", base.get_comment());
    }
    std::set<std::string> keys;
    for (const auto* options : {&base.get_options(), &other.get_options()})
        for (const auto& [key, value] : *options)
            keys.insert(key);
    for (const std::string& key : keys) {
        if (key == Keys::owner)
            continue;
        const auto old_value = base.get_options().find(key);
        const auto new_value = other.get_options().find(key);
        const std::string before = old_value == base.get_options().end() ? "" : old_value->second;
        const std::string after = new_value == other.get_options().end() ? "" : new_value->second;
        if (before != after) {
            patched.append_diff("options." + key, DataVersion::CHANGE);
            patched.append_slice("options." + key, before);
        }
    }
    if (primary_key_text(base) != primary_key_text(other)) {
        const auto found = base.get_attributes().find(Keys::primary_key);
        patched.append_diff("primary-key", DataVersion::CHANGE);
        patched.append_slice("primary-key", found == base.get_attributes().end() ||
                                                    primary_key_text(base).empty()
                                                ? std::string()
                                                : found->second);
    }
}

/// Whether every item of a difference table is marked EQUAL.
bool all_equal(const MetaTable& table) {
    const auto equal = [](const auto& list) {
        return std::all_of(list.begin(), list.end(), [](const auto& item) {
            return item->get_version() == DataVersion::EQUAL;
        });
    };
    return equal(table.get_columns()) && equal(table.get_constraints()) &&
           equal(table.get_indexes()) && equal(table.get_triggers()) && equal(table.get_rules());
}

} // namespace

std::string Patcher::structure_text(const MetaObject& object, bool compare_names) {
    return structure_of_text(object, to_json_text(object), compare_names);
}

namespace {

/// `structure_text` of an object whose JSON text is `text`.
std::string structure_of_text(const MetaObject& object, const std::string& text, bool compare_names) {
    Json json = Json::parse(text);
    strip(json, object.get_schema(), compare_names);
    // A schema's or database's own name is one of the names left out.
    if (!compare_names && (object.character() == DbObject::SCHEMA ||
                           object.character() == DbObject::DATABASE))
        json.erase("name");
    if (const auto* table = dynamic_cast<const MetaTable*>(&object))
        json["primary-key"] = primary_key_text(*table);
    return json.dump();
}

} // namespace

DataVersion Patcher::diff_object(const Core::ObjectPtr& object_source,
                                 const Core::ObjectPtr& object_target) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(object_source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(object_target, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_FAIL(&object_source->type() == &object_target->type(),
                                DataVersion::NONE);
    for (const Core::Property* property : object_source->type().properties()) {
        if (!property->readable() || !property->get)
            continue;
        if (!(property->get(*object_source) == property->get(*object_target)))
            return DataVersion::CHANGE;
    }
    return DataVersion::EQUAL;
}

DataVersion Patcher::diff_model(const Ptr<MetaObject>& object_source,
                                const Ptr<MetaObject>& object_target) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(object_source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(object_target, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_FAIL(&object_source->type() == &object_target->type(),
                                DataVersion::NONE);
    object_target->clear_diff();
    for (const Core::Property* property : object_source->type().properties()) {
        if (!property->readable() || !property->get || property->name == "version")
            continue;
        const std::string path(property->name);
        const Core::Value before = property->get(*object_source);
        const Core::Value after = property->get(*object_target);
        switch (before.kind()) {
        case Core::ValueKind::StringMap: {
            const auto& old_map = before.get_string_map();
            const auto& new_map = after.get_string_map();
            for (const auto& [key, value] : old_map) {
                const auto found = new_map.find(key);
                if (found == new_map.end() || found->second != value) {
                    object_target->append_diff(path + "." + key, found == new_map.end()
                                                                     ? DataVersion::REMOVE
                                                                     : DataVersion::CHANGE);
                    object_target->append_slice(path + "." + key, value);
                }
            }
            for (const auto& [key, value] : new_map)
                if (!old_map.count(key))
                    object_target->append_diff(path + "." + key, DataVersion::APPEND);
            break;
        }
        case Core::ValueKind::StringList: {
            const auto& old_list = before.get_string_list();
            const auto& new_list = after.get_string_list();
            for (const auto& text : old_list)
                if (std::find(new_list.begin(), new_list.end(), text) == new_list.end())
                    object_target->append_diff(path + "." + text, DataVersion::REMOVE);
            for (const auto& text : new_list)
                if (std::find(old_list.begin(), old_list.end(), text) == old_list.end())
                    object_target->append_diff(path + "." + text, DataVersion::APPEND);
            break;
        }
        case Core::ValueKind::ObjectList: {
            const auto key = [](const Core::ObjectPtr& object) {
                const auto* meta = dynamic_cast<const MetaObject*>(object.get());
                return meta ? meta->get_schema() + "\x1f" + meta->get_name() : std::string();
            };
            const auto& old_list = before.get_object_list();
            const auto& new_list = after.get_object_list();
            for (const auto& item : old_list) {
                const auto found = std::find_if(new_list.begin(), new_list.end(),
                                                [&](const auto& o) { return key(o) == key(item); });
                const auto* meta = dynamic_cast<const MetaObject*>(item.get());
                const std::string entry = path + "." + (meta ? meta->get_name() : std::string());
                if (found == new_list.end())
                    object_target->append_diff(entry, DataVersion::REMOVE);
                else if (diff_object(item, *found) == DataVersion::CHANGE)
                    object_target->append_diff(entry, DataVersion::CHANGE);
            }
            for (const auto& item : new_list)
                if (std::none_of(old_list.begin(), old_list.end(),
                                 [&](const auto& o) { return key(o) == key(item); }))
                    if (const auto* meta = dynamic_cast<const MetaObject*>(item.get()))
                        object_target->append_diff(path + "." + meta->get_name(),
                                                   DataVersion::APPEND);
            break;
        }
        case Core::ValueKind::Object:
            if (diff_object(before.get_object(), after.get_object()) == DataVersion::CHANGE)
                object_target->append_diff(path, DataVersion::CHANGE);
            break;
        default:
            if (!(before == after)) {
                object_target->append_diff(path, DataVersion::CHANGE);
                object_target->append_slice(path, before.kind() == Core::ValueKind::String
                                                      ? before.get_string()
                                                      : before.debug_string());
            }
        }
    }
    return object_target->diff().empty() ? DataVersion::EQUAL : DataVersion::CHANGE;
}

DataVersion Patcher::diff_meta_table(const Ptr<MetaTable>& base, const Ptr<MetaTable>& other,
                                     bool compare_names, Ptr<MetaTable>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(base, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(other, DataVersion::NONE);
    auto table = MetaTable::with_names(other->get_database(), other->get_schema(), other->get_name());
    table->set_version(DataVersion::CHANGE);
    mark_table_properties(*base, *other, *table);
    mark_columns(*this, *base, *other, compare_names, *table);
    // The key as the other side has it (key flags are not compared per column).
    for (const auto& column : table->get_columns()) {
        if (column->get_version() == DataVersion::REMOVE)
            continue;
        const auto wanted = other->get_column(column->get_name());
        column->set_is_primary_key(wanted && wanted->get_is_primary_key());
        column->set_primary_ordinal(wanted ? wanted->get_primary_ordinal() : 0);
    }
    mark_items<MetaIndex>(base->get_indexes(), other->get_indexes(), name_key<MetaIndex>,
                          compare_names, [&](auto item) { table->get_indexes().push_back(item); });
    mark_items<MetaConstraint>(base->get_constraints(), other->get_constraints(), constraint_key,
                               compare_names,
                               [&](auto item) { table->get_constraints().push_back(item); });
    mark_items<MetaTrigger>(base->get_triggers(), other->get_triggers(), name_key<MetaTrigger>,
                            compare_names, [&](auto item) { table->get_triggers().push_back(item); });
    mark_items<MetaRule>(base->get_rules(), other->get_rules(), name_key<MetaRule>, compare_names,
                         [&](auto item) { table->get_rules().push_back(item); });
    if (table->diff().empty() && all_equal(*table))
        return DataVersion::EQUAL;
    patched = table;
    return DataVersion::CHANGE;
}

namespace {

template <class T>
DataVersion compare_whole(const Ptr<T>& source, const Ptr<T>& target, bool compare_names,
                          Ptr<T>& patched) {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    return same_structure(*source, *target, compare_names) ? DataVersion::EQUAL
                                                           : DataVersion::CHANGE;
}

/// Source items found in the target with `compare`'s mark, source items
/// alone APPEND, target items alone REMOVE (the target is the base).
template <class T>
void mark_schema_items(const std::vector<std::shared_ptr<T>>& source,
                       const std::vector<std::shared_ptr<T>>& target,
                       const std::function<std::string(const T&)>& key,
                       const std::function<DataVersion(const std::shared_ptr<T>&,
                                                       const std::shared_ptr<T>&)>& compare,
                       std::vector<std::shared_ptr<T>>& result) {
    std::map<std::string, std::shared_ptr<T>> targets;
    for (const auto& item : target)
        if (item)
            targets.emplace(key(*item), item);
    std::set<std::string> seen;
    for (const auto& item : source) {
        if (!item)
            continue;
        seen.insert(key(*item));
        const auto found = targets.find(key(*item));
        auto copy = marked_copy(*item, found == targets.end() ? DataVersion::APPEND
                                                              : compare(item, found->second));
        // What changed, with the target's values, for the alter side.
        if (copy && copy->get_version() == DataVersion::CHANGE)
            Patcher().diff_model(found->second, copy);
        result.push_back(copy);
    }
    for (const auto& item : target)
        if (item && !seen.count(key(*item)))
            result.push_back(marked_copy(*item, DataVersion::REMOVE));
}

} // namespace

DataVersion Patcher::diff_meta_view(const Ptr<MetaView>& source, const Ptr<MetaView>& target,
                                    bool compare_names, Ptr<MetaView>& patched) const {
    return compare_whole(source, target, compare_names, patched);
}

DataVersion Patcher::diff_meta_function(const Ptr<MetaFunction>& source,
                                        const Ptr<MetaFunction>& target, bool compare_names,
                                        Ptr<MetaFunction>& patched) const {
    return compare_whole(source, target, compare_names, patched);
}

DataVersion Patcher::diff_meta_event(const Ptr<MetaEvent>& source, const Ptr<MetaEvent>& target,
                                     bool compare_names, Ptr<MetaEvent>& patched) const {
    return compare_whole(source, target, compare_names, patched);
}

DataVersion Patcher::diff_meta_schema(const Ptr<MetaSchema>& source,
                                      const Ptr<MetaSchema>& target, bool compare_names,
                                      Ptr<MetaSchema>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    auto schema = MetaSchema::with_names(target->get_database(), target->get_name());
    schema->set_version(DataVersion::CHANGE);
    schema->set_comment(source->get_comment());
    schema->get_attributes() = source->get_attributes();
    if (source->get_comment() != target->get_comment()) {
        schema->append_diff("comment", DataVersion::CHANGE);
        schema->append_slice("comment", target->get_comment());
    }
    const auto whole = [compare_names](const auto& a, const auto& b) {
        return same_structure(*a, *b, compare_names) ? DataVersion::EQUAL : DataVersion::CHANGE;
    };
    mark_schema_items<MetaEvent>(source->get_events(), target->get_events(), name_key<MetaEvent>,
                                 whole, schema->get_events());
    mark_schema_items<MetaType>(source->get_types(), target->get_types(), name_key<MetaType>, whole,
                                schema->get_types());
    mark_schema_items<MetaSequence>(source->get_sequences(), target->get_sequences(),
                                    name_key<MetaSequence>, whole, schema->get_sequences());
    for (auto [from, to, into] :
         {std::tuple{&source->get_functions(), &target->get_functions(), &schema->get_functions()},
          std::tuple{&source->get_procedures(), &target->get_procedures(),
                     &schema->get_procedures()}})
        mark_schema_items<MetaFunction>(*from, *to, routine_key, whole, *into);

    // Tables: a changed table is the difference table from the target's.
    std::map<std::string, Ptr<MetaTable>> target_tables;
    for (const auto& table : target->get_tables())
        target_tables.emplace(table->get_name(), table);
    std::set<std::string> seen;
    for (const auto& table : source->get_tables()) {
        seen.insert(table->get_name());
        const auto found = target_tables.find(table->get_name());
        if (found == target_tables.end()) {
            schema->get_tables().push_back(marked_copy(*table, DataVersion::APPEND));
            continue;
        }
        Ptr<MetaTable> difference;
        if (diff_meta_table(found->second, table, compare_names, difference) ==
                DataVersion::CHANGE &&
            difference) {
            difference->set_database(found->second->get_database());
            difference->set_schema(found->second->get_schema());
            schema->get_tables().push_back(difference);
        } else {
            schema->get_tables().push_back(marked_copy(*table, DataVersion::EQUAL));
        }
    }
    for (const auto& table : target->get_tables())
        if (!seen.count(table->get_name()))
            schema->get_tables().push_back(marked_copy(*table, DataVersion::REMOVE));

    mark_schema_items<MetaView>(source->get_views(), target->get_views(), name_key<MetaView>, whole,
                                schema->get_views());
    mark_schema_items<Materialized>(source->get_miews(), target->get_miews(),
                                    name_key<Materialized>, whole, schema->get_miews());
    const auto equal = [](const auto& list) {
        return std::all_of(list.begin(), list.end(), [](const auto& item) {
            return item->get_version() == DataVersion::EQUAL;
        });
    };
    if (schema->diff().empty() && equal(schema->get_events()) && equal(schema->get_types()) &&
        equal(schema->get_sequences()) && equal(schema->get_functions()) &&
        equal(schema->get_procedures()) && equal(schema->get_tables()) &&
        equal(schema->get_views()) && equal(schema->get_miews()))
        return DataVersion::EQUAL;
    patched = schema;
    return DataVersion::CHANGE;
}

DataVersion Patcher::diff_meta_database(const Ptr<MetaDatabase>& source,
                                        const Ptr<MetaDatabase>& target, bool compare_names,
                                        Ptr<MetaDatabase>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    auto database = MetaDatabase::with_name(target->get_name());
    database->set_version(DataVersion::CHANGE);
    database->set_comment(source->get_comment());
    database->get_attributes() = source->get_attributes();
    if (source->get_comment() != target->get_comment()) {
        database->append_diff("comment", DataVersion::CHANGE);
        database->append_slice("comment", target->get_comment());
    }
    for (const auto& [key, value] : target->get_attributes()) {
        const auto found = source->get_attributes().find(key);
        if (found == source->get_attributes().end() || found->second != value) {
            database->append_diff("attributes." + key, DataVersion::CHANGE);
            database->append_slice("attributes." + key, value);
        }
    }
    for (const auto& [key, value] : source->get_attributes())
        if (!target->get_attributes().count(key))
            database->append_diff("attributes." + key, DataVersion::APPEND);
    std::set<std::string> seen;
    for (const auto& schema : source->get_schemas()) {
        seen.insert(schema->get_name());
        const auto found =
            std::find_if(target->get_schemas().begin(), target->get_schemas().end(),
                         [&](const auto& s) { return s->get_name() == schema->get_name(); });
        if (found == target->get_schemas().end()) {
            database->get_schemas().push_back(marked_copy(*schema, DataVersion::APPEND));
            continue;
        }
        Ptr<MetaSchema> difference;
        if (diff_meta_schema(schema, *found, compare_names, difference) == DataVersion::CHANGE &&
            difference)
            database->get_schemas().push_back(difference);
    }
    for (const auto& schema : target->get_schemas())
        if (!seen.count(schema->get_name()))
            database->get_schemas().push_back(marked_copy(*schema, DataVersion::REMOVE));
    if (database->diff().empty() && database->get_schemas().empty())
        return DataVersion::EQUAL;
    patched = database;
    return DataVersion::CHANGE;
}

} // namespace Dizezida::Dovodarud::Transform

// The script of a difference database, ordered so that it runs in one go:
//
//  1. extensions added or updated, new schemas, schema comments;
//  2. views dropped, dependents first: removed and changed ones, those on a
//     table whose columns change type or go, on a table, routine or type
//     that goes or is replaced, and every view on those views;
//  3. foreign keys that go or change, on every table;
//  4. every object created or altered, after what it needs (ScriptOrder,
//     with the source's dependencies), across schemas: types (an enum whose
//     labels change otherwise than by additions goes through a new type and
//     its columns are converted), sequences, routines, new tables and
//     changed ones, sequence ownership, indexes and triggers, foreign keys,
//     rules, and the views created again;
//  5. removed tables (one statement, so keys among them do not matter),
//     routines, sequences and types, dependents first (the target's
//     dependencies);
//  6. removed schemas, then extensions the source lacks (without CASCADE:
//     an object that still needs one stops the script rather than going).
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptOrder.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

#include <map>
#include <set>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
using namespace ScriptOrder;
using Zozuvoru::Contracts::DataVersion;

namespace {

std::string attribute(const MetaObject& object, const std::string& key) {
    return ScriptText::value_of(object.get_attributes(), key);
}

std::string slice_of(const MetaObject& object, std::string_view path) {
    const auto found = object.slice().find(path);
    return found == object.slice().end() ? std::string() : found->second;
}

bool is_identifier_letter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// Whether a view's text names a relation (quoted, or bare as a whole word).
bool mentions(std::string_view text, const std::string& name) {
    if (text.find(sql_name(name)) != std::string_view::npos)
        return true;
    for (std::size_t at = text.find(name); at != std::string_view::npos;
         at = text.find(name, at + 1)) {
        const bool starts = at == 0 || !is_identifier_letter(text[at - 1]);
        const std::size_t end = at + name.size();
        if (starts && (end == text.size() || !is_identifier_letter(text[end])))
            return true;
    }
    return false;
}

/// The labels of an enum definition "ENUM ('a', 'b''c')".
std::vector<std::string> enum_labels(std::string_view definition) {
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < definition.size(); ++i) {
        if (definition[i] != '\'')
            continue;
        std::string label;
        for (++i; i < definition.size(); ++i) {
            if (definition[i] == '\'') {
                if (i + 1 < definition.size() && definition[i + 1] == '\'') {
                    label += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            label += definition[i];
        }
        labels.push_back(label);
    }
    return labels;
}

/// The mark of an object of a schema (everything in a new schema is new).
struct Marked {
    std::shared_ptr<MetaSchema> schema;
    bool all_new = false;
    DataVersion of(const MetaObject& object) const {
        return all_new ? DataVersion::APPEND : object.get_version();
    }
};

/// An enum whose labels change otherwise than by additions at the end or
/// between: it is replaced by a new type.
bool replaced_enum(const MetaType& type) {
    if (type.get_kind() != "ENUM" || !type.diff().count("definition"))
        return false;
    const auto before = enum_labels(slice_of(type, "definition"));
    const auto after = enum_labels(type.get_definition());
    std::vector<std::string> kept;
    for (const std::string& label : after)
        if (std::find(before.begin(), before.end(), label) != before.end())
            kept.push_back(label);
    return kept != before;
}

/// Whether a column's type text is the type `schema.name` or an array of it.
bool column_of_type(const MetaColumn& column, const std::string& schema, const std::string& name,
                    bool& array) {
    std::string text = column.get_raw_type();
    array = false;
    while (text.size() > 2 && text.ends_with("[]")) {
        text.resize(text.size() - 2);
        array = true;
    }
    const auto names = parse_qualified_list(text);
    return names.size() == 1 && names.front().name == name &&
           (names.front().schema.empty() ? column.get_schema() : names.front().schema) == schema;
}

/// Every object of the difference schemas with its mark, by dependency key.
struct Catalog {
    std::vector<PostgreSQLBuilder::MarkedSchema> schemas;
    PostgreSQLBuilder::MarkedObjects objects;

    template <class List> void add_all(const Marked& marked, const List& list) {
        for (const auto& object : list)
            if (object)
                objects.emplace(dependency_key(*object),
                                std::pair{std::shared_ptr<MetaObject>(object), marked.of(*object)});
    }
};

constexpr std::string_view k_old_suffix = "__old";

} // namespace

std::string PostgreSQLBuilder::patch_script(const Ptr<MetaDatabase>& database) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, std::string());
    std::string head = "SET check_function_bodies = false;\n";
    std::string tail;
    if (database->diff().count("attributes.EXTENSION")) {
        head += patch_extensions(slice_of(*database, "attributes.EXTENSION"),
                                 attribute(*database, Keys::extension));
        tail += drop_extensions(slice_of(*database, "attributes.EXTENSION"),
                                attribute(*database, Keys::extension));
    }

    Catalog catalog;
    std::string drop_schemas;
    for (const auto& schema : database->get_schemas()) {
        const std::string name = sql_name(schema->get_name());
        switch (schema->get_version()) {
        case DataVersion::REMOVE:
            drop_schemas += "DROP SCHEMA IF EXISTS " + name + " CASCADE;\n";
            break;
        case DataVersion::APPEND:
            head += "CREATE SCHEMA IF NOT EXISTS " + name + ";\n";
            if (!schema->get_comment().empty())
                head += "COMMENT ON SCHEMA " + name + " IS " + sql_literal(schema->get_comment()) +
                        ";\n";
            catalog.schemas.push_back({schema, true});
            break;
        default:
            if (schema->diff().count("comment"))
                head += ScriptText::comment_or_null("SCHEMA", name, schema->get_comment());
            catalog.schemas.push_back({schema, false});
        }
    }
    for (const auto& [schema, all_new] : catalog.schemas)
        catalog.add_all(Marked{schema, all_new}, schema->objects());

    const std::set<std::string> gone = replaced_keys(catalog.objects);
    const std::set<std::string> dropping = views_to_drop(catalog.objects, gone);
    std::string sql = head + drop_views(catalog.objects, dropping);
    std::set<std::string> dropped_early;
    for (const auto& [schema, all_new] : catalog.schemas)
        for (const auto& table : schema->get_tables())
            if (!all_new && table->get_version() == DataVersion::CHANGE)
                sql += patch_drop_foreign_keys(*table) + patch_drop_identities(*table) +
                       drop_owned_sequences(*table, catalog.objects, dropped_early);
    sql += drop_routines_of_replaced_types(catalog.objects, dropped_early);
    std::vector<Piece> keys_again;
    sql += drop_keys_to_new_primary_keys(catalog.objects, keys_again);
    sql += patch_pieces(catalog.schemas, dropping, std::move(keys_again));
    sql += drop_removed(catalog.objects, dropped_early);
    return sql + drop_schemas + tail;
}

std::set<std::string> PostgreSQLBuilder::replaced_keys(const MarkedObjects& objects) const {
    // What goes away or changes shape under the views that use it.
    std::set<std::string> gone;
    for (const auto& [key, entry] : objects) {
        const auto& object = entry.first.get();
        const DataVersion mark = entry.second;
        if (mark == DataVersion::REMOVE) {
            gone.insert(key);
        } else if (const auto* table = dynamic_cast<const MetaTable*>(object);
                   table && mark == DataVersion::CHANGE) {
            for (const auto& column : table->get_columns())
                if (column->get_version() == DataVersion::REMOVE ||
                    column->get_version() == DataVersion::CHANGE) {
                    gone.insert(key);
                    break;
                }
        } else if (const auto* routine = dynamic_cast<const MetaFunction*>(object);
                   routine && mark == DataVersion::CHANGE && routine_dropped_first(*routine)) {
            gone.insert(key);
        } else if (const auto* type = dynamic_cast<const MetaType*>(object);
                   type && mark == DataVersion::CHANGE && replaced_enum(*type)) {
            gone.insert(key);
            // Its columns change type too.
            for (const auto& [other_key, other] : objects)
                if (const auto* user = dynamic_cast<const MetaTable*>(other.first.get()))
                    for (const auto& column : user->get_columns()) {
                        bool array = false;
                        if (column_of_type(*column, type->get_schema(), type->get_name(), array))
                            gone.insert(other_key);
                    }
        }
    }
    return gone;
}

std::set<std::string> PostgreSQLBuilder::views_to_drop(const MarkedObjects& objects,
                                                       const std::set<std::string>& gone) const {
    std::set<std::string> dropping;
    const auto is_view = [](const std::shared_ptr<MetaObject>& object) {
        return dynamic_cast<const MetaView*>(object.get()) != nullptr;
    };
    for (const auto& [key, entry] : objects)
        if (is_view(entry.first) &&
            (entry.second == DataVersion::REMOVE || entry.second == DataVersion::CHANGE))
            dropping.insert(key);
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [key, entry] : objects) {
            const auto& [object, mark] = entry;
            if (!is_view(object) || mark != DataVersion::EQUAL || dropping.count(key))
                continue;
            bool uses = false;
            for (const MetaDependency& depend : object->depends())
                uses = uses || dropping.count(depend.key) || gone.count(depend.key);
            const auto& view = static_cast<const MetaView&>(*object);
            for (const std::string& used :
                 ScriptText::split_list(attribute(view, Keys::depends), ","))
                for (const char* kind : {"view", "miew"})
                    uses = uses || dropping.count(dependency_key(kind, view.get_schema(), used));
            for (const std::string& other : gone)
                if (key_schema(other) == view.get_schema() &&
                    dynamic_cast<const MetaTable*>(objects.at(other).first.get()) &&
                    mentions(view.get_definition(), objects.at(other).first->get_name()))
                    uses = true;
            if (uses && dropping.insert(key).second)
                grew = true;
        }
    }
    return dropping;
}

std::string PostgreSQLBuilder::drop_views(const MarkedObjects& objects,
                                          const std::set<std::string>& dropping) const {
    std::vector<Piece> pieces;
    for (const std::string& key : dropping) {
        const auto& view = objects.at(key).first;
        pieces.push_back(piece_of(*view, DependencyPart::create, 0, build_delete(view) + "\n", true));
    }
    const auto ordered = ScriptOrder::order(pieces);
    std::string sql;
    for (auto at = ordered.rbegin(); at != ordered.rend(); ++at)
        sql += pieces[*at].text;
    return sql;
}


std::string PostgreSQLBuilder::drop_routine(const MetaFunction& routine) {
    return fmt::format("DROP {} IF EXISTS {}({});\n",
                       routine.get_is_function() ? "FUNCTION" : "PROCEDURE",
                       sql_qualified(routine.get_schema(), routine.get_name()),
                       attribute(routine, Keys::arguments));
}

std::string PostgreSQLBuilder::drop_routines_of_replaced_types(const MarkedObjects& objects,
                                                              std::set<std::string>& dropped) const {
    // A removed routine named by an enum that is replaced goes while its
    // arguments still name the type it was made with.
    std::set<std::string> replaced;
    for (const auto& [key, entry] : objects)
        if (const auto* type = dynamic_cast<const MetaType*>(entry.first.get());
            type && entry.second == DataVersion::CHANGE && replaced_enum(*type))
            replaced.insert(key);
    std::string sql;
    for (const auto& [key, entry] : objects) {
        const auto* routine = dynamic_cast<const MetaFunction*>(entry.first.get());
        if (!routine || entry.second != DataVersion::REMOVE || replaced.empty())
            continue;
        for (const MetaDependency& depend : routine->depends())
            if (replaced.count(depend.key)) {
                sql += drop_routine(*routine);
                dropped.insert(key);
                break;
            }
    }
    return sql;
}

std::string PostgreSQLBuilder::drop_keys_to_new_primary_keys(const MarkedObjects& objects,
                                                            std::vector<Piece>& again) const {
    // A primary key that changes is dropped and added again: the foreign
    // keys of other tables that lean on it go first and come back after.
    std::set<std::pair<std::string, std::string>> rekeyed;
    for (const auto& [key, entry] : objects)
        if (entry.second == DataVersion::CHANGE && entry.first->diff().count("primary-key") &&
            dynamic_cast<const MetaTable*>(entry.first.get()))
            rekeyed.emplace(entry.first->get_schema(), entry.first->get_name());
    std::string sql;
    if (rekeyed.empty())
        return sql;
    for (const auto& [key, entry] : objects) {
        const auto* table = dynamic_cast<const MetaTable*>(entry.first.get());
        if (!table || (entry.second != DataVersion::EQUAL && entry.second != DataVersion::CHANGE))
            continue;
        for (const auto& constraint : table->get_constraints()) {
            const auto* foreign = dynamic_cast<const MetaForeignKey*>(constraint.get());
            if (!foreign || constraint->get_version() == DataVersion::REMOVE ||
                constraint->get_version() == DataVersion::CHANGE ||
                constraint->get_version() == DataVersion::APPEND)
                continue;
            const std::string& schema =
                foreign->get_refer_schema().empty() ? table->get_schema() : foreign->get_refer_schema();
            if (!rekeyed.count({schema, foreign->get_refer_table()}))
                continue;
            sql += "ALTER TABLE " + sql_qualified(table->get_schema(), table->get_name()) +
                   " DROP CONSTRAINT IF EXISTS " + sql_name(foreign->get_name()) + ";\n";
            Piece piece = piece_of(*table, DependencyPart::keys, keys_rank,
                                   foreign_key_statement(*table, *foreign));
            piece.node += "\x1d" + foreign->get_name();
            piece.needs.push_back(node_of(key, DependencyPart::create));
            const std::string refer = dependency_key("table", schema, foreign->get_refer_table());
            piece.needs.push_back(node_of(refer, DependencyPart::create));
            piece.needs.push_back(node_of(refer, DependencyPart::extras));
            again.push_back(std::move(piece));
        }
    }
    return sql;
}

std::string PostgreSQLBuilder::patch_pieces(const std::vector<MarkedSchema>& schemas,
                                            const std::set<std::string>& dropping,
                                            std::vector<Piece> pieces) const {
    CreatedTables created;
    for (const auto& [schema, all_new] : schemas) {
        const Marked marked{schema, all_new};
        for (const auto& type : schema->get_types()) {
            const DataVersion mark = marked.of(*type);
            if (mark == DataVersion::APPEND)
                pieces.push_back(
                    piece_of(*type, DependencyPart::create, type_rank, build_type(*type), true));
            else if (mark == DataVersion::CHANGE)
                pieces.push_back(piece_of(*type, DependencyPart::create, type_rank,
                                          patch_type(*type, schemas), true));
        }
        for (const auto& sequence : schema->get_sequences()) {
            const DataVersion mark = marked.of(*sequence);
            if (mark == DataVersion::APPEND) {
                pieces.push_back(piece_of(*sequence, DependencyPart::create, sequence_rank,
                                          build_sequence(*sequence)));
                pieces.push_back(piece_of(*sequence, DependencyPart::own, owned_rank,
                                          own_sequence(*sequence)));
            } else if (mark == DataVersion::CHANGE) {
                pieces.push_back(piece_of(*sequence, DependencyPart::create, sequence_rank,
                                          patch_sequence(*sequence)));
                if (sequence->diff().count("owned-table") || sequence->diff().count("owned-column"))
                    pieces.push_back(piece_of(
                        *sequence, DependencyPart::own, owned_rank,
                        sequence->get_owned_table().empty()
                            ? "ALTER SEQUENCE " +
                                  sql_qualified(sequence->get_schema(), sequence->get_name()) +
                                  " OWNED BY NONE;\n"
                            : own_sequence(*sequence)));
            }
            if (!pieces.empty() && pieces.back().rank == owned_rank &&
                !sequence->get_owned_table().empty())
                pieces.back().needs.push_back(node_of(
                    dependency_key("table",
                                   sequence->get_owned_schema().empty() ? sequence->get_schema()
                                                                        : sequence->get_owned_schema(),
                                   sequence->get_owned_table()),
                    DependencyPart::create));
        }
        for (const auto* list : {&schema->get_functions(), &schema->get_procedures()})
            for (const auto& routine : *list) {
                const DataVersion mark = marked.of(*routine);
                if (mark == DataVersion::APPEND || mark == DataVersion::CHANGE)
                    pieces.push_back(piece_of(*routine, DependencyPart::create, routine_rank,
                                              mark == DataVersion::APPEND ? build_function(routine)
                                                                          : build_patch(routine),
                                              true));
            }
        for (const auto& table : schema->get_tables()) {
            const DataVersion mark = marked.of(*table);
            if (mark == DataVersion::APPEND) {
                add_table_pieces(*table, true, pieces);
                created.emplace(node_of(dependency_key(*table), DependencyPart::create), table.get());
            }
            else if (mark == DataVersion::CHANGE)
                add_table_pieces(*table,
                                 {patch_table_body(*table), std::string(),
                                  table_foreign_keys(*table),
                                  table_rules(*table) + patch_row_security(*table)},
                                 pieces);
        }
        const auto made = [&](const MetaView& view) {
            const DataVersion mark = marked.of(view);
            return mark == DataVersion::APPEND ||
                   (mark != DataVersion::REMOVE && dropping.count(dependency_key(view)));
        };
        for (const auto& view : schema->get_views())
            if (made(*view))
                add_view_pieces(view, pieces);
        for (const auto& view : schema->get_miews())
            if (made(*view))
                pieces.push_back(
                    piece_of(*view, DependencyPart::create, miew_rank, build_view(view), true));
    }
    split_circular_defaults(created, true, pieces);
    std::string sql;
    for (const std::size_t at : ScriptOrder::order(pieces))
        sql += pieces[at].text;
    return sql;
}

std::string PostgreSQLBuilder::patch_type(const MetaType& type,
                                          const std::vector<MarkedSchema>& schemas) const {
    const std::string name = sql_qualified(type.get_schema(), type.get_name());
    std::string sql;
    if (replaced_enum(type)) {
        // The old type steps aside (and goes with the removed objects), the
        // new one takes its name, and every column moves over by its text.
        sql += "ALTER TYPE " + name + " RENAME TO " +
               sql_name(type.get_name() + std::string(k_old_suffix)) + ";\n";
        sql += build_type(type);
        for (const auto& [schema, all_new] : schemas) {
            if (all_new)
                continue;
            for (const auto& table : schema->get_tables()) {
                if (table->get_version() == DataVersion::APPEND ||
                    table->get_version() == DataVersion::REMOVE)
                    continue;
                const std::string table_name = sql_qualified(table->get_schema(), table->get_name());
                for (const auto& column : table->get_columns()) {
                    bool array = false;
                    if (column->get_version() == DataVersion::APPEND ||
                        column->get_version() == DataVersion::REMOVE ||
                        !column_of_type(*column, type.get_schema(), type.get_name(), array))
                        continue;
                    const std::string column_name = sql_name(column->get_name());
                    const std::string suffix = array ? "[]" : "";
                    sql += fmt::format("ALTER TABLE {0} ALTER COLUMN {1} DROP DEFAULT;\n"
                                       "ALTER TABLE {0} ALTER COLUMN {1} TYPE {2}{3}"
                                       " USING {1}::pg_catalog.text{3}::{2}{3};\n",
                                       table_name, column_name, name, suffix);
                    const std::string& value = column->get_default_value();
                    if (!value.empty())
                        sql += fmt::format("ALTER TABLE {} ALTER COLUMN {} SET DEFAULT {};\n",
                                           table_name, column_name,
                                           value == "EMPYT STRING" ? std::string("''") : value);
                }
            }
        }
        return sql;
    }
    if (type.get_kind() == "ENUM" && type.diff().count("definition")) {
        const auto before = enum_labels(slice_of(type, "definition"));
        const auto after = enum_labels(type.get_definition());
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (std::find(before.begin(), before.end(), after[i]) != before.end())
                continue;
            sql += "ALTER TYPE " + name + " ADD VALUE IF NOT EXISTS " + sql_literal(after[i]) +
                   (i == 0 ? std::string() : " AFTER " + sql_literal(after[i - 1])) + ";\n";
        }
    } else if (type.diff().count("definition")) {
        sql += "-- " + name + " differs and cannot be altered in place; wanted: " +
               type.get_definition() + "\n";
    }
    if (type.diff().count("comment"))
        sql += ScriptText::comment_or_null(type.get_kind() == "DOMAIN" ? "DOMAIN" : "TYPE", name,
                                           type.get_comment());
    return sql;
}

std::string PostgreSQLBuilder::patch_sequence(const MetaSequence& sequence) const {
    const std::string name = sql_qualified(sequence.get_schema(), sequence.get_name());
    std::string sql = "ALTER SEQUENCE " + name;
    if (!sequence.get_data_type().empty())
        sql += " AS " + sequence.get_data_type();
    sql += fmt::format(" INCREMENT BY {} MINVALUE {} MAXVALUE {} START WITH {} CACHE {} {};\n",
                       sequence.get_increment(), sequence.get_minimum(), sequence.get_maximum(),
                       sequence.get_start(), sequence.get_cache(),
                       sequence.get_cycle() ? "CYCLE" : "NO CYCLE");
    if (sequence.diff().count("comment"))
        sql += ScriptText::comment_or_null("SEQUENCE", name, sequence.get_comment());
    return sql;
}

std::string PostgreSQLBuilder::drop_owned_sequences(const MetaTable& table,
                                                    const MarkedObjects& objects,
                                                    std::set<std::string>& dropped) const {
    // A serial column that becomes an identity: its old sequence goes
    // first, so the identity's sequence gets the name it has on the source.
    std::string sql;
    for (const auto& column : table.get_columns()) {
        if (column->get_version() != DataVersion::CHANGE || column->get_identity().empty() ||
            !column->diff().count("identity") || !slice_of(*column, "identity").empty())
            continue;
        for (const auto& [key, entry] : objects) {
            const auto* sequence = dynamic_cast<const MetaSequence*>(entry.first.get());
            if (!sequence || entry.second != DataVersion::REMOVE ||
                sequence->get_owned_table() != table.get_name() ||
                sequence->get_owned_column() != column->get_name() ||
                (sequence->get_owned_schema().empty() ? sequence->get_schema()
                                                      : sequence->get_owned_schema()) !=
                    table.get_schema())
                continue;
            sql += build_delete(entry.first) + "\n";
            dropped.insert(key);
        }
    }
    return sql;
}

std::string PostgreSQLBuilder::drop_removed(const MarkedObjects& objects,
                                            const std::set<std::string>& dropped_early) const {
    // Removed tables go in one statement (keys among them do not matter);
    // whatever needs one of them needs that statement.
    const std::string tables_node = "\x1etables";
    std::set<std::string> removed_tables;
    std::vector<std::string> table_names;
    for (const auto& [key, entry] : objects)
        if (entry.second == DataVersion::REMOVE && dynamic_cast<const MetaTable*>(entry.first.get())) {
            removed_tables.insert(key);
            table_names.push_back(sql_qualified(entry.first->get_schema(), entry.first->get_name()));
        }
    const auto need_of = [&](const MetaDependency& depend) {
        return removed_tables.count(depend.key) ? tables_node : node_of(depend.key, DependencyPart::create);
    };
    std::vector<Piece> pieces;
    std::vector<std::string> old_types;
    Piece tables;
    tables.node = tables_node;
    for (const auto& [key, entry] : objects) {
        const auto& [object, mark] = entry;
        std::string text;
        if (dropped_early.count(key))
            continue;
        if (mark == DataVersion::REMOVE) {
            if (removed_tables.count(key)) {
                for (const MetaDependency& depend : object->depends())
                    if (!removed_tables.count(depend.key))
                        tables.needs.push_back(need_of(depend));
                continue;
            }
            if (const auto* routine = dynamic_cast<const MetaFunction*>(object.get()))
                text = drop_routine(*routine);
            else if (dynamic_cast<const MetaType*>(object.get()) ||
                     dynamic_cast<const MetaSequence*>(object.get()))
                text = build_delete(object) + "\n";
        } else if (const auto* type = dynamic_cast<const MetaType*>(object.get());
                   type && mark == DataVersion::CHANGE && replaced_enum(*type)) {
            text = "DROP TYPE IF EXISTS " +
                   sql_qualified(type->get_schema(), type->get_name() + std::string(k_old_suffix)) +
                   ";\n";
            old_types.push_back(node_of(key, DependencyPart::create));
        }
        if (text.empty())
            continue;
        Piece piece;
        piece.node = node_of(key, DependencyPart::create);
        piece.schema = object->get_schema();
        piece.name = object->get_name();
        piece.text = std::move(text);
        for (const MetaDependency& depend : object->depends())
            piece.needs.push_back(need_of(depend));
        pieces.push_back(std::move(piece));
    }
    if (!table_names.empty()) {
        tables.text = fmt::format("DROP TABLE IF EXISTS {};\n", fmt::join(table_names, ", "));
        // A replaced enum's old type is still used by the removed tables: it goes after them.
        tables.needs.insert(tables.needs.end(), old_types.begin(), old_types.end());
        pieces.push_back(std::move(tables));
    }
    const auto ordered = ScriptOrder::order(pieces);
    std::string sql;
    for (auto at = ordered.rbegin(); at != ordered.rend(); ++at)
        sql += pieces[*at].text;
    return sql;
}

std::string PostgreSQLBuilder::drop_extensions(std::string_view before, std::string_view after) const {
    std::set<std::string> kept;
    for (const std::string& item : ScriptText::split_list(after, ","))
        kept.insert(item.substr(0, item.find('=')));
    std::string sql;
    for (const std::string& item : ScriptText::split_list(before, ",")) {
        const std::string extension = item.substr(0, item.find('='));
        if (!kept.count(extension) && extension != "plpgsql")
            sql += "DROP EXTENSION IF EXISTS " + sql_name(extension) + ";\n";
    }
    return sql;
}

} // namespace Dizezida::Dovodarud::Supports::Database

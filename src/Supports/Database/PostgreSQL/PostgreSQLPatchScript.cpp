// The script of a difference database, ordered so that it runs in one go:
//
//  1. extensions, new schemas, schema comments;
//  2. views dropped: removed and changed ones, and every view on a table
//     whose columns change or go (found in the view's text), with the views
//     on those views, dependents first;
//  3. foreign keys that go or change, on every table;
//  4. new types and enum labels, new and changed sequences, new and changed
//     routines (CREATE OR REPLACE keeps what depends on them);
//  5. new tables in dependency order, without foreign keys; changed tables
//     altered; sequence ownership;
//  6. foreign keys and rules of new and changed tables, once every table
//     exists;
//  7. removed tables (one statement, so keys among them do not matter), then
//     removed routines, sequences and types;
//  8. views and materialized views created again, in dependency order;
//  9. removed schemas.
#include "Supports/Database/PostgreSQL/PostgreSQLBuilder.hpp"

#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

#include <set>

namespace Dizezida::Dovodarud::Supports::Database {

using namespace MetaModel;
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

/// The changes of every kind of a difference database, gathered by phase.
struct Plan {
    std::string head, drop_views, drop_keys, routines, tables, keys, drops, views, drop_schemas;
};

struct SchemaItems {
    std::shared_ptr<MetaSchema> schema;
    bool all_new = false;
};

DataVersion mark_in(const SchemaItems& items, const MetaObject& object) {
    return items.all_new ? DataVersion::APPEND : object.get_version();
}

} // namespace

std::string PostgreSQLBuilder::patch_script(const Ptr<MetaDatabase>& database) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, std::string());
    Plan plan;
    plan.head = "SET check_function_bodies = false;\n";
    if (database->diff().count("attributes.EXTENSION"))
        plan.head += patch_extensions(slice_of(*database, "attributes.EXTENSION"),
                                      attribute(*database, "EXTENSION"));

    std::vector<SchemaItems> schemas;
    for (const auto& schema : database->get_schemas()) {
        const std::string name = sql_name(schema->get_name());
        switch (schema->get_version()) {
        case DataVersion::REMOVE:
            plan.drop_schemas += "DROP SCHEMA IF EXISTS " + name + " CASCADE;\n";
            break;
        case DataVersion::APPEND:
            plan.head += "CREATE SCHEMA IF NOT EXISTS " + name + ";\n";
            if (!schema->get_comment().empty())
                plan.head += "COMMENT ON SCHEMA " + name + " IS " +
                             sql_literal(schema->get_comment()) + ";\n";
            schemas.push_back({schema, true});
            break;
        default:
            if (schema->diff().count("comment"))
                plan.head += "COMMENT ON SCHEMA " + name + " IS " +
                             (schema->get_comment().empty() ? std::string("NULL")
                                                            : sql_literal(schema->get_comment())) +
                             ";\n";
            schemas.push_back({schema, false});
        }
    }

    for (const SchemaItems& items : schemas) {
        const MetaSchema& schema = *items.schema;
        const auto mark = [&](const MetaObject& object) { return mark_in(items, object); };

        // Views to drop and to create again.
        std::vector<std::string> reshaped;
        for (const auto& table : schema.get_tables()) {
            if (mark(*table) == DataVersion::REMOVE) {
                reshaped.push_back(table->get_name());
            } else if (mark(*table) == DataVersion::CHANGE) {
                for (const auto& column : table->get_columns())
                    if (column->get_version() == DataVersion::REMOVE ||
                        column->get_version() == DataVersion::CHANGE) {
                        reshaped.push_back(table->get_name());
                        break;
                    }
            }
        }
        std::vector<std::shared_ptr<MetaView>> all_views(schema.get_views().begin(),
                                                         schema.get_views().end());
        for (const auto& view : schema.get_miews())
            all_views.push_back(view);
        std::set<std::string> dropping;
        for (const auto& view : all_views) {
            const auto view_mark = mark(*view);
            if (view_mark == DataVersion::REMOVE || view_mark == DataVersion::CHANGE)
                dropping.insert(view->get_name());
            else if (view_mark == DataVersion::EQUAL)
                for (const std::string& table : reshaped)
                    if (mentions(view->get_definition(), table))
                        dropping.insert(view->get_name());
        }
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& view : all_views) {
                if (dropping.count(view->get_name()))
                    continue;
                for (const std::string& used : ScriptText::split_list(attribute(*view, "DEPENDS"), ","))
                    if (dropping.count(used) && dropping.insert(view->get_name()).second)
                        grew = true;
                for (const std::string& used : dropping)
                    if (mark(*view) == DataVersion::EQUAL && mentions(view->get_definition(), used) &&
                        dropping.insert(view->get_name()).second) {
                        grew = true;
                        break;
                    }
            }
        }
        const std::function<std::vector<std::string>(const MetaView&)> view_depends =
            [&](const MetaView& view) {
                return ScriptText::split_list(attribute(view, "DEPENDS"), ",");
            };
        const auto ordered_views = ScriptText::dependency_order(all_views, view_depends);
        for (auto view = ordered_views.rbegin(); view != ordered_views.rend(); ++view)
            if (!items.all_new && dropping.count((*view)->get_name()))
                plan.drop_views += build_delete(*view) + "\n";
        for (const auto& view : ordered_views)
            if (mark(*view) == DataVersion::APPEND ||
                (mark(*view) != DataVersion::REMOVE && dropping.count(view->get_name())))
                plan.views += build_view(view);

        // Foreign keys that go or change, before any table or key they use changes.
        for (const auto& table : schema.get_tables())
            if (mark(*table) == DataVersion::CHANGE)
                plan.drop_keys += patch_drop_foreign_keys(*table);

        // Types, sequences and routines.
        for (const auto& type : schema.get_types()) {
            const std::string name = sql_qualified(type->get_schema(), type->get_name());
            if (mark(*type) == DataVersion::APPEND) {
                plan.routines += build_type(*type);
            } else if (mark(*type) == DataVersion::REMOVE) {
                plan.drops += build_delete(type) + "\n";
            } else if (mark(*type) == DataVersion::CHANGE) {
                const auto before = enum_labels(slice_of(*type, "definition"));
                const auto after = enum_labels(type->get_definition());
                std::vector<std::string> kept;
                for (const std::string& label : after)
                    if (std::find(before.begin(), before.end(), label) != before.end())
                        kept.push_back(label);
                const bool only_added = type->get_kind() == "ENUM" &&
                                        type->diff().count("definition") && kept == before;
                if (only_added) {
                    for (std::size_t i = 0; i < after.size(); ++i) {
                        if (std::find(before.begin(), before.end(), after[i]) != before.end())
                            continue;
                        plan.routines += "ALTER TYPE " + name + " ADD VALUE IF NOT EXISTS " +
                                         sql_literal(after[i]) +
                                         (i == 0 ? std::string()
                                                 : " AFTER " + sql_literal(after[i - 1])) +
                                         ";\n";
                    }
                } else if (type->diff().count("definition")) {
                    plan.routines += "-- " + name +
                                     " differs and cannot be altered in place; wanted: " +
                                     type->get_definition() + "\n";
                }
                if (type->diff().count("comment"))
                    plan.routines += "COMMENT ON " +
                                     std::string(type->get_kind() == "DOMAIN" ? "DOMAIN " : "TYPE ") +
                                     name + " IS " +
                                     (type->get_comment().empty() ? std::string("NULL")
                                                                  : sql_literal(type->get_comment())) +
                                     ";\n";
            }
        }
        for (const auto& sequence : schema.get_sequences()) {
            const std::string name = sql_qualified(sequence->get_schema(), sequence->get_name());
            if (mark(*sequence) == DataVersion::APPEND) {
                plan.routines += build_sequence(*sequence);
                plan.keys += own_sequence(*sequence);
            } else if (mark(*sequence) == DataVersion::REMOVE) {
                plan.drops += build_delete(sequence) + "\n";
            } else if (mark(*sequence) == DataVersion::CHANGE) {
                plan.routines += "ALTER SEQUENCE " + name;
                if (!sequence->get_data_type().empty())
                    plan.routines += " AS " + sequence->get_data_type();
                plan.routines += fmt::format(
                    " INCREMENT BY {} MINVALUE {} MAXVALUE {} START WITH {} CACHE {} {};\n",
                    sequence->get_increment(), sequence->get_minimum(), sequence->get_maximum(),
                    sequence->get_start(), sequence->get_cache(),
                    sequence->get_cycle() ? "CYCLE" : "NO CYCLE");
                if (sequence->diff().count("owned-table") || sequence->diff().count("owned-column"))
                    plan.keys += sequence->get_owned_table().empty()
                                     ? "ALTER SEQUENCE " + name + " OWNED BY NONE;\n"
                                     : own_sequence(*sequence);
                if (sequence->diff().count("comment"))
                    plan.routines += "COMMENT ON SEQUENCE " + name + " IS " +
                                     (sequence->get_comment().empty()
                                          ? std::string("NULL")
                                          : sql_literal(sequence->get_comment())) +
                                     ";\n";
            }
        }
        for (const auto* list : {&schema.get_functions(), &schema.get_procedures()})
            for (const auto& routine : *list) {
                if (mark(*routine) == DataVersion::APPEND)
                    plan.routines += build_function(routine);
                else if (mark(*routine) == DataVersion::CHANGE)
                    plan.routines += build_patch(routine);
                else if (mark(*routine) == DataVersion::REMOVE)
                    plan.drops += fmt::format(
                        "DROP {} IF EXISTS {}({});\n",
                        routine->get_is_function() ? "FUNCTION" : "PROCEDURE",
                        sql_qualified(routine->get_schema(), routine->get_name()),
                        attribute(*routine, "ARGUMENTS"));
            }

        // Tables: new ones in dependency order, changed ones altered.
        auto created = MetaSchema::with_names(schema.get_database(), schema.get_name());
        std::vector<std::string> removed;
        for (const auto& table : schema.get_tables()) {
            if (mark(*table) == DataVersion::APPEND)
                created->get_tables().push_back(table);
            else if (mark(*table) == DataVersion::REMOVE)
                removed.push_back(sql_qualified(table->get_schema(), table->get_name()));
        }
        order_with_dependence(created, 0);
        for (const auto& table : created->get_tables()) {
            plan.tables += table_body(*table, true);
            plan.keys += table_foreign_keys(*table) + table_rules(*table);
        }
        for (const auto& table : schema.get_tables())
            if (mark(*table) == DataVersion::CHANGE) {
                plan.tables += patch_table_body(*table);
                plan.keys += table_foreign_keys(*table) + table_rules(*table);
            }
        if (!removed.empty())
            plan.drops = fmt::format("DROP TABLE IF EXISTS {};\n", fmt::join(removed, ", ")) +
                         plan.drops;
    }
    return plan.head + plan.drop_views + plan.drop_keys + plan.routines + plan.tables + plan.keys +
           plan.drops + plan.views + plan.drop_schemas;
}

} // namespace Dizezida::Dovodarud::Supports::Database

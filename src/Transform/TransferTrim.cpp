// Trimming the source's model to what the plan chooses: schemas, tables
// and views it does not name are left out, column maps keep and rename
// columns, VIEW2TABLE turns a view into a table of its columns. Tables and
// columns keep their source names in the model (they are renamed on the
// target once built); schemas are renamed in the model, with every SQL
// text that names them.
#include "Transform/Transfer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IExplorable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/DatabaseIdentity.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "Transform/SchemaMove.hpp"
#include "Transform/TransferLog.hpp"

#include <fmt/format.h>
#include <map>
#include <set>

namespace Dizezida::Dovodarud::Transform {

using namespace MetaModel;
namespace ScriptText = Supports::Database::ScriptText;

namespace {

bool identifier_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// Whether SQL `text` names column `name`, bare or double-quoted.
bool mentions(std::string_view text, const std::string& name) {
    const std::string quoted = Supports::Database::sql_name(name);
    if (text.find(quoted) != std::string_view::npos)
        return true;
    for (std::size_t at = text.find(name); at != std::string_view::npos;
         at = text.find(name, at + 1)) {
        const bool before = at == 0 || !identifier_char(text[at - 1]);
        const std::size_t end = at + name.size();
        if (before && (end == text.size() || !identifier_char(text[end])))
            return true;
    }
    return false;
}

/// Leaves out of `table` every key, constraint, index and trigger that uses
/// a column of `removed`: a column map that drops a column drops its users.
/// A primary key that loses a column is left out as a whole.
void drop_column_users(MetaTable& table, const std::vector<std::string>& removed, bool key_lost) {
    const auto uses = [&](std::string_view text) {
        return std::any_of(removed.begin(), removed.end(),
                           [&](const std::string& name) { return mentions(text, name); });
    };
    if (key_lost) {
        for (const auto& column : table.get_columns())
            column->set_is_primary_key(false);
        table.get_attributes().erase("PRIMARY_KEY");
    }
    std::erase_if(table.get_constraints(), [&](const auto& constraint) {
        if (const auto* unique = dynamic_cast<const MetaUnique*>(constraint.get()))
            return uses(unique->get_columns()) || uses(unique->get_include());
        if (const auto* key = dynamic_cast<const MetaForeignKey*>(constraint.get()))
            return uses(key->get_local_columns());
        if (const auto* check = dynamic_cast<const MetaCheck*>(constraint.get()))
            return uses(check->get_check());
        if (const auto* exclude = dynamic_cast<const MetaExclude*>(constraint.get()))
            return uses(exclude->get_elements()) || uses(exclude->get_where());
        return false;
    });
    std::erase_if(table.get_indexes(), [&](const auto& index) {
        return std::any_of(index->get_columns().begin(), index->get_columns().end(), uses) ||
               uses(index->get_where()) || uses(index->get_include());
    });
    std::erase_if(table.get_triggers(),
                  [&](const auto& trigger) { return uses(trigger->get_columns()); });
}

/// The column pairs of a plan, each with its target name ("" keeps the source's).
std::vector<ColumnPair> column_pairs(const std::vector<ColumnPair>& columns) {
    std::vector<ColumnPair> pairs;
    for (const ColumnPair& column : columns)
        pairs.push_back({column.source, column.target.empty() ? column.source : column.target});
    return pairs;
}

/// Leaves out of `table` the columns `columns` does not name, and what uses them.
void keep_columns(MetaTable& table, const std::vector<ColumnPair>& columns) {
    std::vector<std::string> removed;
    bool key_lost = false;
    std::erase_if(table.get_columns(), [&](const auto& column) {
        const bool kept = std::any_of(columns.begin(), columns.end(), [&](const ColumnPair& pair) {
            return pair.source == column->get_name();
        });
        if (!kept) {
            removed.push_back(column->get_name());
            key_lost |= column->get_is_primary_key();
        }
        return !kept;
    });
    drop_column_users(table, removed, key_lost);
}

} // namespace

void Transfer::trim(MetaDatabase& database) {
    auto& schemas = database.get_schemas();
    std::map<std::pair<std::string, std::string>, MetaTable*> chosen; // by (schema, table) on the source
    for (const auto& each : schemas) {
        MetaSchema& schema = *each;
        const std::string name = schema.get_name();
        m_schema_names[name] = m_plan.target_schema(name);
        TRANSFER_LOG("Handle schema: %s.%s......", database.get_name().c_str(), name.c_str());
        trim_tables(schema, name);
        trim_views(schema, name);
        for (const auto& table : schema.get_tables())
            chosen.emplace(std::pair(name, table->get_name()), table.get());
        TRANSFER_LOG("Handle schema: %s.%s......[done]", database.get_name().c_str(), name.c_str());
    }
    // Foreign keys follow renamed schemas; those to tables left out go.
    for (const auto& schema : schemas)
        for (const auto& table : schema->get_tables())
            std::erase_if(table->get_constraints(), [&](const auto& constraint) {
                auto* key = dynamic_cast<MetaForeignKey*>(constraint.get());
                if (!key)
                    return false;
                const std::string refer_schema =
                    key->get_refer_schema().empty() ? schema->get_name() : key->get_refer_schema();
                if (!chosen.count({refer_schema, key->get_refer_table()})) {
                    TRANSFER_LOG("Foreign key %s of %s.%s left out: %s.%s takes no part",
                                 key->get_name().c_str(), schema->get_name().c_str(),
                                 table->get_name().c_str(), refer_schema.c_str(),
                                 key->get_refer_table().c_str());
                    return true;
                }
                if (refer_schema != schema->get_name())
                    key->set_refer_schema(m_schema_names[refer_schema]);
                return false;
            });
    // Sequences of tables left out stay, owned by nothing.
    for (const auto& schema : schemas)
        for (const auto& sequence : schema->get_sequences()) {
            const std::string owner = sequence->get_owned_schema().empty()
                                          ? schema->get_name()
                                          : sequence->get_owned_schema();
            const auto table = chosen.find({owner, sequence->get_owned_table()});
            if (!sequence->get_owned_table().empty() &&
                (table == chosen.end() || !table->second->get_column(sequence->get_owned_column()))) {
                sequence->set_owned_schema({});
                sequence->set_owned_table({});
                sequence->set_owned_column({});
            }
        }
    for (auto& schema : schemas) {
        auto moved = moved_schema(*schema, database.get_name(), m_schema_names[schema->get_name()],
                                  false);
        if (moved)
            schema = moved;
    }
}

TransferTable Transfer::table_copy(MetaTable& table, const std::string& source_schema,
                                   const TransferObjectPlan& object) {
    const std::string name = table.get_name();
    TransferTable copy;
    copy.source_schema = source_schema;
    copy.source_table = copy.copy_table = name;
    copy.target_schema = m_schema_names[source_schema];
    copy.target_table = object.target_name.empty() ? name : object.target_name;
    copy.batch = object.page_rows();
    copy.conditions = object.conditions;
    if (copy.conditions.empty())
        copy.conditions.emplace_back();

    std::vector<ColumnPair> columns = column_pairs(object.columns);
    if (!columns.empty())
        keep_columns(table, columns);
    else
        for (const auto& column : table.get_columns())
            columns.push_back({column->get_name(), column->get_name()});
    for (const auto& [from, to] : columns) {
        const auto column = table.get_column(from);
        if (!column) {
            // Copying the other columns would leave this one empty on the target.
            copy.message = fmt::format("the source table has no column {}",
                                       Supports::Database::sql_name(from));
            continue;
        }
        if (from != to)
            copy.column_renames.emplace_back(from, to);
        if (!column->get_identity().empty())
            copy.identity_columns.emplace_back(from, from);
        if (column->get_is_virtual())
            continue; // generated on the target
        copy.source_columns.push_back(from);
        copy.copy_columns.push_back(from);
    }
    return copy;
}

void Transfer::trim_tables(MetaSchema& schema, const std::string& source_schema) {
    std::vector<TransferTable> copies;
    // True for a table that goes out of the model.
    std::erase_if(schema.get_tables(), [&](const auto& chosen) {
        MetaTable& table = *chosen;
        const std::string name = table.get_name();
        const TransferObjectPlan* object = m_plan.object(source_schema, name);
        if (!object)
            return true;
        TRANSFER_LOG("Handle table: %s.%s.%s......", table.get_database().c_str(),
                     source_schema.c_str(), name.c_str());
        copies.push_back(table_copy(table, source_schema, *object));
        record_step(true, {});
        TRANSFER_LOG("tidy table: %s.%s.%s......[done]", table.get_database().c_str(),
                     source_schema.c_str(), name.c_str());
        return !copies.back().message.empty(); // neither built nor filled
    });
    std::lock_guard lock(m_lock);
    m_tables.insert(m_tables.end(), std::make_move_iterator(copies.begin()),
                    std::make_move_iterator(copies.end()));
}

void Transfer::trim_views(MetaSchema& schema, const std::string& source_schema) {
    bool read = false;
    const auto view_columns_read = [&] {
        if (read)
            return;
        read = true;
        auto adapter = m_source->adapter();
        if (adapter)
            if (auto filled = adapter->fill_view_columns(schema); !filled)
                TRANSFER_LOG("View columns: %s", filled.error().message.c_str());
    };
    // True for a view that goes out of the model.
    const auto trim_view = [&](MetaView& view, bool materialized) {
        const std::string name = view.get_name();
        const TransferObjectPlan* object = m_plan.object(source_schema, name);
        if (!object)
            return true;
        TRANSFER_LOG("Handle view: %s.%s.%s......", view.get_database().c_str(),
                     source_schema.c_str(), name.c_str());
        const std::string final_name = object->target_name.empty() ? name : object->target_name;
        record_step(true, {});
        if (object->view_to_table) {
            view_columns_read();
            auto table = MetaTable::with_names(view.get_database(), schema.get_name(), final_name);
            const std::vector<ColumnPair> map = column_pairs(object->columns);
            for (const auto& column : view.get_columns()) {
                if (map.empty()) {
                    table->get_columns().push_back(column);
                    continue;
                }
                for (const auto& [from, to] : map)
                    if (from == column->get_name()) {
                        column->set_name(to);
                        table->get_columns().push_back(column);
                    }
            }
            for (const auto& column : table->get_columns()) {
                column->set_schema(schema.get_name());
                column->set_not_null(false);
            }
            schema.get_tables().push_back(table);
            return true;
        }
        if (final_name != name)
            m_view_renames.push_back({m_schema_names[source_schema], name, final_name, materialized});
        return false;
    };
    std::erase_if(schema.get_views(), [&](const auto& view) { return trim_view(*view, false); });
    std::erase_if(schema.get_miews(), [&](const auto& view) { return trim_view(*view, true); });
}

namespace {

using Names = std::set<std::pair<std::string, std::string>, std::less<>>;

/// The relations and the types of `schemas` on the target, by (schema, name).
Core::Result<std::pair<Names, Names>> target_names(Contracts::Database::IConnection& target,
                                                   const std::vector<std::string>& schemas) {
    const auto explorer = target.explorer();
    if (!explorer)
        return Core::fail(Core::Error{"Transform", 0, "the target has no explorer"});
    auto relations = explorer->relations(schemas);
    if (!relations)
        return Core::fail(std::move(relations).error());
    auto types = explorer->type_names(schemas);
    if (!types)
        return Core::fail(std::move(types).error());
    std::pair<Names, Names> names;
    for (const auto& relation : *relations)
        names.first.emplace(relation.schema, relation.name);
    for (const auto& type : *types)
        names.second.emplace(type.schema, type.name);
    return names;
}

template <class List> void erase_named(List& list, const std::string& name) {
    std::erase_if(list, [&](const auto& object) { return object->get_name() == name; });
}

} // namespace

namespace {

MetaSchema* schema_in(MetaDatabase& database, const std::string& name) {
    for (const auto& schema : database.get_schemas())
        if (schema->get_name() == name)
            return schema.get();
    return nullptr;
}

/// What tells one database apart from every other: its name and oid, and
/// the start time of its server.
} // namespace

Core::Result<void> Transfer::refuse_self_copies(MetaDatabase& database) {
    auto shared = Supports::Database::shared_database(*m_source, *m_target);
    if (!shared)
        return Core::fail(std::move(shared).error());
    if (!*shared)
        return {};
    for (const auto& [from, to] : m_schema_names)
        if (m_plan.drop && schema_in(database, to) && m_schema_names.count(to))
            return Core::fail(Core::Error{
                "Transform", 0,
                fmt::format("the target schema {} is a source schema of the same database; "
                            "it is not dropped",
                            Supports::Database::sql_name(to))});
    std::lock_guard lock(m_lock);
    for (TransferTable& table : m_tables)
        if (table.source_schema == table.target_schema && table.source_table == table.target_table &&
            table.message.empty()) {
            table.message = "the source and the target are the same table; it is not copied";
            if (MetaSchema* schema = schema_in(database, table.target_schema))
                erase_named(schema->get_tables(), table.copy_table);
        }
    return {};
}

void Transfer::release_sequences(MetaDatabase& database) {
    std::lock_guard lock(m_lock);
    const auto schema_named = [&](const std::string& name) { return schema_in(database, name); };
    // Tables taken out of the model own no sequence there (one that exists
    // keeps its ownership; a new one is owned by nothing).
    for (const TransferTable& table : m_tables)
        if (table.existing || !table.message.empty())
            if (MetaSchema* schema = schema_named(table.target_schema))
                for (const auto& sequence : schema->get_sequences())
                    if ((sequence->get_owned_table() == table.source_table ||
                         sequence->get_owned_table() == table.target_table) &&
                        (sequence->get_owned_schema().empty() ||
                         sequence->get_owned_schema() == table.target_schema)) {
                        sequence->set_owned_schema({});
                        sequence->set_owned_table({});
                        sequence->set_owned_column({});
                    }
}

Core::Result<void> Transfer::keep_existing(MetaDatabase& database) {
    DIZEZIDA_TRY(refuse_self_copies(database));
    if (m_plan.drop) {
        release_sequences(database);
        return {};
    }
    std::vector<std::string> schemas;
    for (const auto& schema : database.get_schemas())
        schemas.push_back(schema->get_name());
    if (schemas.empty())
        return {};
    auto found = target_names(*m_target, schemas);
    if (!found)
        return Core::fail(std::move(found).error());
    const auto& [relations, types] = *found;
    const auto schema_named = [&](const std::string& name) -> MetaSchema* {
        for (const auto& schema : database.get_schemas())
            if (schema->get_name() == name)
                return schema.get();
        return nullptr;
    };
    std::lock_guard lock(m_lock);
    for (TransferTable& table : m_tables) {
        MetaSchema* schema = schema_named(table.target_schema);
        if (!schema)
            continue;
        if (relations.count({table.target_schema, table.target_table})) {
            TRANSFER_LOG("Table %s.%s exists on the target: emptied and filled",
                         table.target_schema.c_str(), table.target_table.c_str());
            table.existing = true;
            for (const auto& [from, to] : table.column_renames) {
                std::replace(table.copy_columns.begin(), table.copy_columns.end(), from, to);
                for (auto& identity : table.identity_columns)
                    if (identity.second == from)
                        identity.second = to;
            }
            // Keys of new tables that point at it use its names on the target.
            for (const auto& other : schema->get_tables())
                for (const auto& constraint : other->get_constraints())
                    if (auto* key = dynamic_cast<MetaForeignKey*>(constraint.get());
                        key && key->get_refer_table() == table.copy_table &&
                        (key->get_refer_schema().empty() ||
                         key->get_refer_schema() == table.target_schema)) {
                        key->set_refer_table(table.target_table);
                        std::string columns;
                        for (std::string column : ScriptText::split_list(key->get_refer_columns())) {
                            for (const auto& [from, to] : table.column_renames)
                                if (column == from)
                                    column = to;
                            columns += (columns.empty() ? "" : ", ") + column;
                        }
                        key->set_refer_columns(columns);
                    }
            table.column_renames.clear();
            erase_named(schema->get_tables(), table.copy_table);
            table.copy_table = table.target_table;
        } else if (table.copy_table != table.target_table &&
                   relations.count({table.target_schema, table.copy_table})) {
            table.message = fmt::format(
                "{} exists on the target, so {} cannot be built there to be renamed",
                Supports::Database::sql_qualified(table.target_schema, table.copy_table),
                Supports::Database::sql_qualified(table.source_schema, table.source_table));
            erase_named(schema->get_tables(), table.copy_table);
        }
    }
    for (const auto& schema : database.get_schemas()) {
        const std::string name = schema->get_name();
        const auto final_name = [&](const std::string& view) {
            for (const auto& rename : m_view_renames)
                if (rename.schema == name && rename.from == view)
                    return rename.to;
            return view;
        };
        const auto kept = [&](const std::string& view) {
            if (!relations.count({name, final_name(view)}))
                return false;
            std::erase_if(m_view_renames, [&](const ViewRename& rename) {
                return rename.schema == name && rename.from == view;
            });
            return true;
        };
        std::erase_if(schema->get_views(), [&](const auto& view) { return kept(view->get_name()); });
        std::erase_if(schema->get_miews(), [&](const auto& view) { return kept(view->get_name()); });
        std::erase_if(schema->get_tables(), [&](const auto& table) {
            return relations.count({name, table->get_name()}) != 0; // made of a view
        });
        std::erase_if(schema->get_types(), [&](const auto& type) {
            return types.count({name, type->get_name()}) != 0;
        });
    }
    release_sequences(database);
    return {};
}

} // namespace Dizezida::Dovodarud::Transform

#include "Transform/UserdataSynchronizer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Supports/Database/DataTable.hpp"
#include "Supports/Database/SqlStatements.hpp"
#include "Transform/ForeignKeyOrder.hpp"
#include "core/Precondition.hpp"
#include "provider/Contracts/DataSetModel.hpp"

#include <fmt/format.h>

#include <map>
#include <set>

namespace Dizezida::Dovodarud::Transform {

using Zozuvoru::Contracts::DataSetModel;
namespace Data = Supports::Database;

namespace {

Core::Error sync_error(std::string message) {
    return Core::Error{"Transform", 0, std::move(message)};
}

/// The names of a model's key columns, in key order.
std::vector<std::string> key_names(const TableModel& table) {
    std::vector<std::string> names;
    for (const std::size_t key : Data::data_table_key(table))
        names.push_back(table.get_columns()[key]->get_name());
    return names;
}

/// A copy of a described table without rows, to load them anew.
TablePtr empty_copy(const TableModel& table) {
    auto copy = TableModel::create();
    Data::copy_data_table(table, *copy);
    return copy;
}

} // namespace

Core::Result<std::vector<std::string>> UserdataSynchronizer::chosen_tables() const {
    std::vector<std::string> tables = m_plan.tables();
    if (!tables.empty())
        return tables;
    return list_data_tables(*m_source, m_plan.source_schema);
}

Core::Result<void> UserdataSynchronizer::initialize() {
    DIZEZIDA_RETURN_VAL_IF_NULL(m_source, Core::fail(sync_error("no source connection")));
    DIZEZIDA_RETURN_VAL_IF_NULL(m_target, Core::fail(sync_error("no target connection")));
    DIZEZIDA_TRY(refuse_same_schema());
    DIZEZIDA_TRY(set_exact_texts(*m_source));
    DIZEZIDA_TRY(set_exact_texts(*m_target));
    auto tables = chosen_tables();
    if (!tables)
        return Core::fail(std::move(tables).error());
    m_dataset_source = DataSetModel::create();
    m_dataset_source->set_name(m_plan.source_schema);
    m_dataset_target = DataSetModel::create();
    m_dataset_target->set_name(m_plan.target_schema);
    for (const std::string& name : *tables) {
        auto source = describe_data_table(*m_source, m_plan.source_schema, name);
        if (!source)
            return Core::fail(std::move(source).error());
        DIZEZIDA_TRY(Data::check_data_keys(**source));
        auto target = describe_data_table(*m_target, m_plan.target_schema, name);
        if (!target)
            return Core::fail(std::move(target).error());
        if (key_names(**target) != key_names(**source))
            return Core::fail(sync_error(fmt::format(
                "table \"{}\" has another primary key on the target; it is not synchronised",
                name)));
        // Both sides are read with the source's columns, so rows pair column by column.
        auto target_table = empty_copy(**source);
        Data::set_data_table(*target_table, m_plan.target_schema, Data::data_table_key(**source));
        m_dataset_source->add_table(*source);
        m_dataset_target->add_table(target_table);
    }
    return {};
}

Core::Result<Core::ObjectPtr> UserdataSynchronizer::preview() {
    if (!m_dataset_source)
        DIZEZIDA_TRY(initialize());
    for (auto* set : {&m_dataset_source, &m_dataset_target}) {
        auto loaded = DataSetModel::create();
        loaded->set_name((*set)->get_name());
        for (const auto& table : (*set)->get_tables())
            loaded->add_table(empty_copy(*table));
        *set = loaded;
    }
    DIZEZIDA_TRY(m_source->adapter()->fill_data_set(m_dataset_source));
    DIZEZIDA_TRY(m_target->adapter()->fill_data_set(m_dataset_target));
    for (const auto& set : {m_dataset_source, m_dataset_target})
        for (const auto& table : set->get_tables())
            DIZEZIDA_TRY(Data::check_data_keys(*table));
    std::shared_ptr<DataSetModel> difference;
    m_patcher.diff_data_set(m_dataset_source, m_dataset_target, difference);
    return Core::ObjectPtr(difference);
}

Core::Result<std::vector<TablePtr>> UserdataSynchronizer::compare() {
    if (!m_dataset_source)
        DIZEZIDA_TRY(initialize());
    std::vector<TablePtr> differences;
    for (const auto& table : m_dataset_source->get_tables()) {
        auto difference = compare_data_table(*m_source, *m_target, *table, m_plan.target_schema);
        if (!difference)
            return Core::fail(std::move(difference).error());
        if (*difference)
            differences.push_back(*difference);
    }
    return differences;
}

Core::Result<std::vector<std::string>>
UserdataSynchronizer::statements(const std::vector<TablePtr>& differences) {
    m_opening = 0;
    m_notice.clear();
    if (differences.empty())
        return std::vector<std::string>{};
    // Each table's DELETEs apart from its UPDATEs and INSERTs (the builder
    // starts every statement with its verb).
    struct TableStatements {
        std::vector<std::string> deletes, writes;
    };
    std::map<TableName, TableStatements> by_table;
    std::vector<TableName> tables;
    std::set<TableName> inserts_or_deletes;
    for (const auto& difference : differences) {
        const TableName name{Data::data_table_schema(*difference), difference->get_name()};
        tables.push_back(name);
        TableStatements& table = by_table[name];
        for (auto& statement :
             Data::split_statements(m_target->builder()->patch_data_table(difference)))
            (statement.text.starts_with("DELETE ") ? table.deletes : table.writes)
                .push_back(std::move(statement.text));
        const DataCounts counts = count_marks(*difference);
        if (counts.insert + counts.remove != 0)
            inserts_or_deletes.insert(name);
    }
    auto keys = read_foreign_keys(*m_target, {m_plan.target_schema});
    if (!keys)
        return Core::fail(std::move(keys).error());
    // Rows that are only updated refer to rows that stay (the source's do),
    // so a key to its own table matters only where rows come and go.
    std::erase_if(*keys, [&](const ForeignKeyLink& key) {
        return key.child == key.parent && !inserts_or_deletes.contains(key.child);
    });
    const auto parents_first = order_by_foreign_keys(tables, *keys, KeyOrder::parents_first);
    auto setting = cycle_setting(*m_target, parents_first, "nothing was changed");
    if (!setting)
        return Core::fail(std::move(setting).error());
    std::vector<std::string> list;
    if (!setting->statement.empty()) {
        list.push_back(setting->statement);
        m_opening = 1;
    }
    m_notice = setting->notice;
    for (const TableGroup& group : order_by_foreign_keys(tables, *keys, KeyOrder::children_first))
        for (const TableName& table : group.tables)
            for (std::string& statement : by_table[table].deletes)
                list.push_back(std::move(statement));
    for (const TableGroup& group : parents_first)
        for (const TableName& table : group.tables)
            for (std::string& statement : by_table[table].writes)
                list.push_back(std::move(statement));
    return list;
}

Core::Result<std::vector<std::string>> UserdataSynchronizer::generate() {
    auto differences = compare();
    if (!differences)
        return Core::fail(std::move(differences).error());
    auto list = statements(*differences);
    if (list && !m_notice.empty())
        record_steps(0, 0, m_notice);
    return list;
}

} // namespace Dizezida::Dovodarud::Transform

#include "Transform/UserdataSynchronizer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Supports/Database/DataTable.hpp"
#include "Supports/Database/SqlStatements.hpp"
#include "core/Precondition.hpp"
#include "provider/Contracts/DataSetModel.hpp"

#include <fmt/format.h>

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

UserdataSynchronizer::UserdataSynchronizer(Options options) : Synchronizer(std::move(options)) {}

Core::Result<std::vector<std::string>> UserdataSynchronizer::chosen_tables() const {
    const std::string prefix = option_key("OPTION", "table", "");
    std::vector<std::string> tables;
    for (auto it = m_options.lower_bound(prefix);
         it != m_options.end() && it->first.starts_with(prefix); ++it)
        tables.push_back(it->first.substr(prefix.size()));
    if (!tables.empty())
        return tables;
    return list_data_tables(*m_source, option("OPTION|SOURCE|SCHEMA"));
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
    m_dataset_source->set_name(option("OPTION|SOURCE|SCHEMA"));
    m_dataset_target = DataSetModel::create();
    m_dataset_target->set_name(option("OPTION|TARGET|SCHEMA"));
    for (const std::string& name : *tables) {
        auto source = describe_data_table(*m_source, option("OPTION|SOURCE|SCHEMA"), name);
        if (!source)
            return Core::fail(std::move(source).error());
        DIZEZIDA_TRY(Data::check_data_keys(**source));
        auto target = describe_data_table(*m_target, option("OPTION|TARGET|SCHEMA"), name);
        if (!target)
            return Core::fail(std::move(target).error());
        if (key_names(**target) != key_names(**source))
            return Core::fail(sync_error(fmt::format(
                "table \"{}\" has another primary key on the target; it is not synchronised",
                name)));
        // Both sides are read with the source's columns, so rows pair column by column.
        auto target_table = empty_copy(**source);
        Data::set_data_table(*target_table, option("OPTION|TARGET|SCHEMA"),
                             Data::data_table_key(**source));
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
        auto difference =
            compare_data_table(*m_source, *m_target, *table, option("OPTION|TARGET|SCHEMA"));
        if (!difference)
            return Core::fail(std::move(difference).error());
        if (*difference)
            differences.push_back(*difference);
    }
    return differences;
}

std::vector<std::string> UserdataSynchronizer::statements(
    const std::vector<TablePtr>& differences) const {
    std::vector<std::string> list;
    for (const auto& difference : differences)
        for (auto& statement :
             Supports::Database::split_statements(m_target->builder()->patch_data_table(difference)))
            list.push_back(std::move(statement.text));
    return list;
}

Core::Result<std::vector<std::string>> UserdataSynchronizer::generate() {
    auto differences = compare();
    if (!differences)
        return Core::fail(std::move(differences).error());
    return statements(*differences);
}

} // namespace Dizezida::Dovodarud::Transform

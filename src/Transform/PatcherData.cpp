// The data comparisons of the patcher: rows paired by key.
#include "Transform/Patcher.hpp"

#include "Foundation/LoggingService.hpp"
#include "Supports/Database/DataTable.hpp"
#include "core/Precondition.hpp"
#include "provider/Contracts/DataSetModel.hpp"

#include <map>

namespace Dizezida::Dovodarud::Transform {

using Zozuvoru::Contracts::DataSetModel;
using Zozuvoru::Contracts::RowModel;
using Zozuvoru::Contracts::TableModel;
using Zozuvoru::Contracts::ValuePtr;
namespace Data = Supports::Database;

namespace {

bool same_value(const ValuePtr& a, const ValuePtr& b) {
    if (!a || !b)
        return !a && !b;
    if (a->is_null() || b->is_null())
        return a->is_null() && b->is_null();
    return a->to_string() == b->to_string();
}

/// A new row with the same values, marked.
Ptr<RowModel> marked_row(const RowModel& row, DataVersion version) {
    auto copy = std::make_shared<RowModel>(row.get_values());
    copy->set_version(version);
    return copy;
}

} // namespace

DataVersion Patcher::diff_data_row(const Ptr<RowModel>& source, const Ptr<RowModel>& target,
                                   Ptr<RowModel>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    const auto& mine = source->get_values();
    const auto& theirs = target->get_values();
    bool equal = mine.size() == theirs.size();
    std::vector<DataVersion> marks(mine.size(), DataVersion::EQUAL);
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (i >= theirs.size() || !same_value(mine[i], theirs[i])) {
            marks[i] = DataVersion::CHANGE;
            equal = false;
        }
    if (equal)
        return DataVersion::EQUAL;
    auto row = std::make_shared<RowModel>();
    for (std::size_t i = 0; i < mine.size(); ++i) {
        mine[i]->set_data("VERSION", std::make_shared<DataVersion>(marks[i]));
        row->append_value(mine[i]);
    }
    row->set_version(DataVersion::CHANGE);
    patched = row;
    return DataVersion::CHANGE;
}

DataVersion Patcher::diff_data_table(const Ptr<TableModel>& source, const Ptr<TableModel>& target,
                                     Ptr<TableModel>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    for (const auto* side : {source.get(), target.get()})
        if (auto checked = Data::check_data_keys(*side); !checked) {
            Foundation::LoggingService::critical(nullptr, "%s", checked.error().message.c_str());
            return DataVersion::NONE;
        }
    const auto key = Data::data_table_key(*source);
    std::map<std::vector<std::string>, std::size_t> target_rows;
    for (std::size_t i = 0; i < target->get_row_count(); ++i)
        target_rows.emplace(Data::data_row_key(*target->get_row(i), key), i);
    std::vector<bool> matched(target->get_row_count(), false);

    auto table = TableModel::create();
    Data::copy_data_table(*target, *table);
    for (std::size_t i = 0; i < source->get_row_count(); ++i) {
        const auto row = source->get_row(i);
        const auto found = target_rows.find(Data::data_row_key(*row, key));
        if (found == target_rows.end()) {
            table->append(marked_row(*row, DataVersion::APPEND));
            continue;
        }
        matched[found->second] = true;
        Ptr<RowModel> changed;
        if (diff_data_row(row, target->get_row(found->second), changed) == DataVersion::CHANGE)
            table->append(changed);
    }
    for (std::size_t i = 0; i < matched.size(); ++i)
        if (!matched[i])
            table->append(marked_row(*target->get_row(i), DataVersion::REMOVE));
    if (table->get_row_count() == 0)
        return DataVersion::EQUAL;
    patched = table;
    return DataVersion::CHANGE;
}

DataVersion Patcher::diff_data_set(const Ptr<DataSetModel>& source, const Ptr<DataSetModel>& target,
                                   Ptr<DataSetModel>& patched) const {
    patched = nullptr;
    DIZEZIDA_RETURN_VAL_IF_NULL(source, DataVersion::NONE);
    DIZEZIDA_RETURN_VAL_IF_NULL(target, DataVersion::NONE);
    auto set = DataSetModel::create();
    set->set_name(target->get_name());
    for (const auto& table : source->get_tables()) {
        Ptr<TableModel> other;
        for (const auto& candidate : target->get_tables())
            if (candidate->get_name() == table->get_name())
                other = candidate;
        if (!other) {
            other = TableModel::create();
            Data::copy_data_table(*table, *other);
        }
        Ptr<TableModel> difference;
        const DataVersion version = diff_data_table(table, other, difference);
        if (version == DataVersion::NONE)
            return DataVersion::NONE;
        if (difference)
            set->add_table(difference);
    }
    if (set->get_tables().empty())
        return DataVersion::EQUAL;
    patched = set;
    return DataVersion::CHANGE;
}

} // namespace Dizezida::Dovodarud::Transform

#include "provider/Contracts/TableModel.hpp"

#include "provider/Contracts/TableStorage.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <algorithm>

namespace Dizezida::Zozuvoru::Contracts {

TableModel::TableModel() : m_storage(std::make_unique<TableStorage>()) {}

TableModel::~TableModel() = default;

std::shared_ptr<TableModel> TableModel::new_with_types(std::span<const DataType> types) {
    auto table = create();
    for (std::size_t i = 0; i < types.size(); ++i)
        table->add_column(
            std::make_shared<ColumnModel>("column" + std::to_string(i + 1), types[i]));
    return table;
}

void TableModel::add_column(ColumnPtr column) {
    DIZEZIDA_RETURN_IF_NULL(column);
    m_columns.push_back(std::move(column));
}

std::size_t TableModel::get_n_items() const {
    return std::max(m_storage->rows, m_rows.size());
}

RowPtr TableModel::stored_row(std::size_t index) const {
    std::vector<ValuePtr> values;
    values.reserve(m_storage->columns.size());
    for (const ColumnStore& column : m_storage->columns)
        values.push_back(column.value_at(index));
    return std::make_shared<RowModel>(std::move(values));
}

RowPtr TableModel::get_row(std::size_t index) const {
    if (index >= get_n_items())
        return nullptr;
    if (m_rows.size() < m_storage->rows)
        m_rows.resize(m_storage->rows);
    RowPtr& slot = m_rows[index];
    if (!slot)
        slot = stored_row(index);
    return slot;
}

std::vector<RowPtr> TableModel::get_rows() const {
    const std::size_t count = get_n_items();
    std::vector<RowPtr> rows;
    rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        rows.push_back(get_row(i));
    return rows;
}

ValuePtr TableModel::get_value_at(std::size_t row, std::size_t column) const {
    DIZEZIDA_RETURN_VAL_IF_FAIL(row < get_n_items(), nullptr);
    if (row < m_rows.size() && m_rows[row])
        return m_rows[row]->get_value_at(column);
    DIZEZIDA_RETURN_VAL_IF_FAIL(column < m_storage->columns.size(), nullptr);
    return m_storage->columns[column].value_at(row);
}

bool TableModel::is_null_at(std::size_t row, std::size_t column) const {
    if (row >= get_n_items())
        return false;
    if (row < m_rows.size() && m_rows[row]) {
        const auto& values = m_rows[row]->get_values();
        return column < values.size() && values[column] && values[column]->is_null();
    }
    return column < m_storage->columns.size() && m_storage->columns[column].is_null(row);
}

std::string TableModel::get_text_at(std::size_t row, std::size_t column) const {
    if (row >= get_n_items())
        return {};
    if (row < m_rows.size() && m_rows[row]) {
        const auto& values = m_rows[row]->get_values();
        return column < values.size() && values[column] ? values[column]->to_string()
                                                        : std::string();
    }
    return column < m_storage->columns.size() ? m_storage->columns[column].text_at(row)
                                              : std::string();
}

RowPtr TableModel::new_row() const {
    std::vector<ValuePtr> values;
    values.reserve(m_columns.size());
    for (const ColumnPtr& column : m_columns)
        values.push_back(std::make_shared<ValueNull>(column->get_data_type()));
    return std::make_shared<RowModel>(std::move(values));
}

void TableModel::append(RowPtr row) {
    DIZEZIDA_RETURN_IF_NULL(row);
    if (m_rows.size() < m_storage->rows)
        m_rows.resize(m_storage->rows);
    m_rows.push_back(std::move(row));
}

std::size_t TableModel::memory_bytes() const {
    std::size_t bytes = sizeof(TableStorage) + m_rows.capacity() * sizeof(RowPtr);
    for (const ColumnStore& column : m_storage->columns)
        bytes += sizeof(ColumnStore) + column.memory_bytes();
    return bytes;
}

std::string_view TableModel::get_text_view_at(std::size_t row, std::size_t column,
                                              std::string& scratch) const {
    if (row < get_n_items() && (row >= m_rows.size() || !m_rows[row]) &&
        column < m_storage->columns.size())
        return m_storage->columns[column].text_view(row, scratch);
    scratch = get_text_at(row, column);
    return scratch;
}

const Core::TypeInfo& TableModel::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<TableModel, Object>(
        "DizezidaZozuvoruContractsTableModel",
        {prop("name", &TableModel::m_name), prop("columns", &TableModel::m_columns, Readable)});
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::TableModel)

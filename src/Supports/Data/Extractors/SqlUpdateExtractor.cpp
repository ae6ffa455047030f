#include "Supports/Data/Extractors/SqlUpdateExtractor.hpp"

#include "Supports/Database/SqlText.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

Core::Result<std::uint64_t> SqlUpdateExtractor::export_to_text(const TableModel& model,
                                                               std::string& buffer,
                                                               const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> SqlUpdateExtractor::begin_rows(const TableModel& model) {
    auto target = sql_target(model);
    if (!target)
        return Core::fail(std::move(target).error());
    m_head = "UPDATE " + target->table + " SET ";
    m_names.clear();
    for (const auto& column : model.get_columns()) {
        m_names.emplace_back();
        Supports::Database::append_quoted(m_names.back(), column->get_name(), target->quote);
    }
    m_key_columns.clear();
    const std::string keys = option("KEYS");
    if (keys.empty()) {
        m_key_columns.push_back(0);
        return std::string();
    }
    auto key_names = parse_names(keys, ',');
    if (!key_names)
        return Core::fail(std::move(key_names).error());
    const auto& columns = model.get_columns();
    for (const std::string& key : *key_names) {
        const auto found = std::find_if(columns.begin(), columns.end(),
                                        [&](const auto& column) { return column->get_name() == key; });
        if (found == columns.end())
            return Core::fail(extractor_error(
                ExtractorError::Options,
                fmt::format("the key column {} is not a column of the result", key)));
        m_key_columns.push_back(static_cast<std::size_t>(found - columns.begin()));
    }
    return std::string();
}

void SqlUpdateExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                                    std::string& out) {
    out += m_head;
    for (std::size_t column = 0; column < m_names.size(); ++column) {
        if (column > 0)
            out += ", ";
        out += m_names[column];
        out += " = ";
        append_cell(out, model, index, column, m_scratch);
    }
    out += " WHERE ";
    for (std::size_t key = 0; key < m_key_columns.size(); ++key) {
        const std::size_t column = m_key_columns[key];
        if (key > 0)
            out += " AND ";
        out += m_names[column];
        if (model.is_null_at(index, column)) {
            out += " IS NULL";
        } else {
            out += " = ";
            append_cell(out, model, index, column, m_scratch);
        }
    }
    out += ";\n";
}

const Core::TypeInfo& SqlUpdateExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<SqlUpdateExtractor, BaseExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsSqlUpdateExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::SqlUpdateExtractor)

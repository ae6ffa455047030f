#include "Supports/Data/Extractors/SqlInsertExtractor.hpp"

#include "Supports/Database/SqlText.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

Core::Result<std::uint64_t> SqlInsertExtractor::export_to_text(const TableModel& model,
                                                               std::string& buffer,
                                                               const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> SqlInsertExtractor::begin_rows(const TableModel& model) {
    auto target = sql_target(model);
    if (!target)
        return Core::fail(std::move(target).error());
    m_head = "INSERT INTO " + target->table + "(";
    for (const auto& column : model.get_columns()) {
        Supports::Database::append_quoted(m_head, column->get_name(), target->quote);
        m_head += ',';
    }
    m_head.back() = ')';
    m_head += " VALUES(";
    return std::string();
}

void SqlInsertExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                                    std::string& out) {
    out += m_head;
    const std::size_t columns = model.get_column_count();
    for (std::size_t column = 0; column < columns; ++column) {
        if (column > 0)
            out += ", ";
        append_cell(out, model, index, column, m_scratch);
    }
    out += ");\n";
}

const Core::TypeInfo& SqlInsertExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<SqlInsertExtractor, BaseExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsSqlInsertExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::SqlInsertExtractor)

// The rows of one table into a result model, for the data comparison.
#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterV11x.hpp"

#include "Supports/Database/DataTable.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Supports::Database {

Core::Result<void> PostgreSQLAdapterV11x::fill_data_table(const Ptr<TableModel>& table) {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    const auto connection = get_connection();
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, {});
    std::string columns;
    for (const auto& column : table->get_columns())
        columns += (columns.empty() ? "" : ", ") + sql_name(column->get_name());
    std::string order;
    for (const std::size_t key : data_table_key(*table))
        if (key < table->get_column_count())
            order += (order.empty() ? " ORDER BY " : ", ") +
                     sql_name(table->get_columns()[key]->get_name());
    auto rows = connection->execute_as_model(
        "SELECT " + (columns.empty() ? std::string("*") : columns) + " FROM " +
        sql_qualified(data_table_schema(*table), table->get_name()) + order);
    if (!rows)
        return Core::fail(std::move(rows).error());
    if (table->get_column_count() == 0)
        for (const auto& column : (*rows)->get_columns())
            table->add_column(column);
    for (std::size_t row = 0; row < (*rows)->get_row_count(); ++row)
        table->append((*rows)->get_row(row));
    return {};
}

} // namespace Dizezida::Dovodarud::Supports::Database

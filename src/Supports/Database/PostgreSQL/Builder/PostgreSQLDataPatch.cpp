// The keyed statements that bring a table's rows to those of a difference
// table: names quoted, values as SQL literals (NULL stays NULL, strict
// numbers and booleans bare, everything else quoted).
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Helpers/DatabaseHelper.hpp"
#include "Supports/Database/DataTable.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <algorithm>

namespace Dizezida::Dovodarud::Supports::Database {

using Zozuvoru::Contracts::DataVersion;
using Zozuvoru::Contracts::RowModel;

namespace {

struct RowWriter {
    const TableModel& model;
    std::string table;
    std::vector<std::size_t> key;
    std::vector<std::string> names;

    void value(std::string& out, const RowModel& row, std::size_t column) const {
        const auto& values = row.get_values();
        const auto type = static_cast<std::uint32_t>(model.get_columns()[column]->get_data_type());
        if (column >= values.size() || !values[column] || values[column]->is_null())
            out += "NULL";
        else
            Helpers::DatabaseHelper::append_sql_text(out, type, values[column]->to_string());
    }

    void where(std::string& out, const RowModel& row) const {
        out += " WHERE ";
        for (std::size_t i = 0; i < key.size(); ++i) {
            if (i)
                out += " AND ";
            out += names[key[i]] + " = ";
            value(out, row, key[i]);
        }
    }

    bool is_key(std::size_t column) const {
        return std::find(key.begin(), key.end(), column) != key.end();
    }

    void remove(std::string& out, const RowModel& row) const {
        out += "DELETE FROM " + table;
        where(out, row);
        out += ";\n";
    }

    void update(std::string& out, const RowModel& row) const {
        if (names.size() == key.size())
            return; // only key columns: a paired row cannot differ
        out += "UPDATE " + table + " SET ";
        bool first = true;
        for (std::size_t column = 0; column < names.size(); ++column) {
            if (is_key(column))
                continue;
            out += first ? "" : ", ";
            out += names[column] + " = ";
            value(out, row, column);
            first = false;
        }
        where(out, row);
        out += ";\n";
    }

    void insert(std::string& out, const RowModel& row, bool overriding) const {
        out += "INSERT INTO " + table + " (";
        for (std::size_t column = 0; column < names.size(); ++column)
            out += (column ? ", " : "") + names[column];
        out += overriding ? ") OVERRIDING SYSTEM VALUE VALUES (" : ") VALUES (";
        for (std::size_t column = 0; column < names.size(); ++column) {
            out += column ? ", " : "";
            value(out, row, column);
        }
        out += ");\n";
    }
};

} // namespace

std::string PostgreSQLBuilder::patch_data_table(const Ptr<TableModel>& model) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(model, {});
    RowWriter writer{*model, sql_qualified(data_table_schema(*model), model->get_name()),
                     data_table_key(*model), {}};
    for (const auto& column : model->get_columns())
        writer.names.push_back(sql_name(column->get_name()));
    if (writer.key.empty() ||
        std::any_of(writer.key.begin(), writer.key.end(),
                    [&](std::size_t column) { return column >= writer.names.size(); }))
        return {};
    const auto rows = model->get_rows();
    const bool overriding = data_table_overriding(*model);
    std::string script;
    for (const DataVersion pass : {DataVersion::REMOVE, DataVersion::CHANGE, DataVersion::APPEND})
        for (const auto& row : rows) {
            if (row->get_version() != pass)
                continue;
            if (pass == DataVersion::REMOVE)
                writer.remove(script, *row);
            else if (pass == DataVersion::CHANGE)
                writer.update(script, *row);
            else
                writer.insert(script, *row, overriding);
        }
    return script;
}

} // namespace Dizezida::Dovodarud::Supports::Database

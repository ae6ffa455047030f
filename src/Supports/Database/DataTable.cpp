#include "Supports/Database/DataTable.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database {

namespace {
constexpr std::string_view k_schema = "SCHEMA";
constexpr std::string_view k_key = "PRIMARY-KEY";
constexpr std::string_view k_overriding = "OVERRIDING-SYSTEM-VALUE";
} // namespace

void set_data_table(TableModel& model, std::string schema, std::vector<std::size_t> key) {
    model.set_data(k_schema, std::make_shared<std::string>(std::move(schema)));
    model.set_data(k_key, std::make_shared<std::vector<std::size_t>>(std::move(key)));
}

std::string data_table_schema(const TableModel& model) {
    const auto schema = std::static_pointer_cast<std::string>(model.get_data(k_schema));
    return schema ? *schema : std::string();
}

std::vector<std::size_t> data_table_key(const TableModel& model) {
    const auto key = std::static_pointer_cast<std::vector<std::size_t>>(model.get_data(k_key));
    return key ? *key : std::vector<std::size_t>();
}

void set_data_table_overriding(TableModel& model, bool overriding) {
    if (overriding)
        model.set_data(k_overriding);
    else
        model.remove_data(k_overriding);
}

bool data_table_overriding(const TableModel& model) {
    return model.has_data(k_overriding);
}

void copy_data_table(const TableModel& from, TableModel& to) {
    to.set_name(from.get_name());
    for (const auto& column : from.get_columns())
        to.add_column(column);
    set_data_table(to, data_table_schema(from), data_table_key(from));
    set_data_table_overriding(to, data_table_overriding(from));
}

Core::Result<void> check_data_keys(const TableModel& model) {
    const auto key = data_table_key(model);
    const auto refuse = [&](std::string_view why) {
        return Core::fail(Core::Error{"Transform", 0,
                                      fmt::format("table \"{}\".\"{}\" {}; its rows cannot be "
                                                  "paired and it is not synchronised",
                                                  data_table_schema(model), model.get_name(), why)});
    };
    if (key.empty())
        return refuse("has no primary key");
    for (const std::size_t column : key)
        if (column >= model.get_column_count())
            return refuse("has a key column outside its columns");
    for (std::size_t row = 0; row < model.get_row_count(); ++row)
        for (const std::size_t column : key)
            if (model.is_null_at(row, column))
                return refuse("has a NULL key value");
    return {};
}

std::vector<std::string> data_row_key(const Zozuvoru::Contracts::RowModel& row,
                                      const std::vector<std::size_t>& key) {
    std::vector<std::string> texts;
    texts.reserve(key.size());
    for (const std::size_t column : key) {
        const auto value = column < row.size() ? row.get_values()[column] : nullptr;
        texts.push_back(value ? value->to_string() : std::string());
    }
    return texts;
}

} // namespace Dizezida::Dovodarud::Supports::Database

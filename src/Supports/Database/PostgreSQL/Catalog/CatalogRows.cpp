#include "Supports/Database/PostgreSQL/Catalog/CatalogRows.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "Exceptions/SQLError.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database {

CatalogRows::CatalogRows(std::shared_ptr<Zozuvoru::Contracts::TableModel> model)
    : m_model(std::move(model)) {
    if (!m_model)
        return;
    const auto& columns = m_model->get_columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        m_columns.emplace(columns[i]->get_name(), i);
}

Core::Result<CatalogRows> CatalogRows::query(Contracts::Database::IConnection& connection,
                                             const std::string& sql) {
    auto model = connection.execute_as_model(sql, 0);
    if (!model)
        return std::unexpected(model.error());
    return CatalogRows(*model);
}

std::size_t CatalogRows::size() const {
    return m_model ? m_model->get_row_count() : 0;
}

bool CatalogRows::strict() {
#ifdef NDEBUG
    static const bool strict_reading = [] {
        const char* value = std::getenv("DIZEZIDA_STRICT_CATALOG");
        return value && *value && std::string_view(value) != "0";
    }();
    return strict_reading;
#else
    return true;
#endif
}

bool CatalogRows::has(std::string_view column) const {
    return m_columns.contains(std::string(column));
}

std::size_t CatalogRows::index_of(std::string_view column) const {
    const auto found = m_columns.find(std::string(column));
    if (found != m_columns.end())
        return found->second;
    // A reader asking for a column its query does not select is a fault of
    // this code, not of the server: stop where it shows when checking.
    if (m_model && strict()) {
        std::fprintf(stderr, "catalog rows: the query has no column \"%.*s\"\n",
                     static_cast<int>(column.size()), column.data());
        std::abort();
    }
    return static_cast<std::size_t>(-1);
}

bool CatalogRows::is_null(std::size_t row, std::string_view column) const {
    const std::size_t index = index_of(column);
    return index == static_cast<std::size_t>(-1) || m_model->is_null_at(row, index);
}

std::string CatalogRows::text(std::size_t row, std::string_view column) const {
    if (is_null(row, column))
        return {};
    return m_model->get_text_at(row, index_of(column));
}

bool CatalogRows::flag(std::size_t row, std::string_view column) const {
    const std::string value = text(row, column);
    return value == "t" || value == "true";
}

std::int64_t CatalogRows::number(std::size_t row, std::string_view column,
                                 std::int64_t fallback) const {
    const std::string value = text(row, column);
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (error != std::errc() || end != value.data() + value.size() || value.empty())
        return fallback;
    return parsed;
}

std::vector<std::string> CatalogRows::list(std::size_t row, std::string_view column) const {
    return parse_array(text(row, column));
}

std::vector<std::string> CatalogRows::parse_array(std::string_view text) {
    std::vector<std::string> items;
    if (text.size() < 2 || text.front() != '{' || text.back() != '}')
        return items;
    text = text.substr(1, text.size() - 2);
    if (text.empty())
        return items;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::string item;
        bool quoted = false;
        if (i < text.size() && text[i] == '"') {
            quoted = true;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                item.push_back(text[i]);
            }
            ++i; // the closing quote
        } else {
            for (; i < text.size() && text[i] != ','; ++i)
                item.push_back(text[i]);
        }
        items.push_back(!quoted && item == "NULL" ? std::string() : std::move(item));
        ++i; // the separator
    }
    return items;
}

Core::Error missing_object(std::string_view kind, std::string_view schema, std::string_view name) {
    return Core::Error::sql(static_cast<int>(Exceptions::SQLError::NOT_FOUND),
                            fmt::format("{} {}.{} was not found", kind, schema, name));
}

} // namespace Dizezida::Dovodarud::Supports::Database

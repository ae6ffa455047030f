// The rows of one catalog query, read by column name: texts (NULL as ""),
// booleans, numbers and one-dimensional arrays in the server's text form.
//
// Owns the result table it reads. Not thread-safe; one reader per thread.
#pragma once

#include "core/Error.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Dovodarud::Contracts::Database {
class IConnection;
}

namespace Dizezida::Dovodarud::Supports::Database {

class CatalogRows {
public:
    explicit CatalogRows(std::shared_ptr<Zozuvoru::Contracts::TableModel> model);

    /// Runs a catalog query on a connection (synchronously, logged).
    [[nodiscard]] static Core::Result<CatalogRows> query(Contracts::Database::IConnection& connection,
                                                         const std::string& sql);

    /// Whether the query selected a column. Reading a column it did not
    /// select is a fault of the reader: debug builds, and any build with
    /// DIZEZIDA_STRICT_CATALOG set (the tests), abort on it; release builds
    /// read it as NULL.
    bool has(std::string_view column) const;

    std::size_t size() const;
    bool empty() const { return size() == 0; }
    bool is_null(std::size_t row, std::string_view column) const;
    /// The text of a value; "" for NULL.
    std::string text(std::size_t row, std::string_view column) const;
    /// Whether a boolean value is true.
    bool flag(std::size_t row, std::string_view column) const;
    /// An integer value; `fallback` for NULL or text that is no integer.
    std::int64_t number(std::size_t row, std::string_view column, std::int64_t fallback = 0) const;
    /// The elements of a one-dimensional array value (NULL elements as "").
    std::vector<std::string> list(std::size_t row, std::string_view column) const;

    /// The elements of an array in the server's text form ({a,"b c",NULL}).
    static std::vector<std::string> parse_array(std::string_view text);

private:
    static bool strict();
    std::size_t index_of(std::string_view column) const;

    std::shared_ptr<Zozuvoru::Contracts::TableModel> m_model;
    std::unordered_map<std::string, std::size_t> m_columns;
};

/// The error of a fill that expected a row and found none.
Core::Error missing_object(std::string_view kind, std::string_view schema, std::string_view name);

} // namespace Dizezida::Dovodarud::Supports::Database

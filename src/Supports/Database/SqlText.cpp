#include "Supports/Database/SqlText.hpp"

#include <array>

namespace Dizezida::Dovodarud::Supports::Database {

std::string sql_doubled(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        out.push_back(c);
        if (c == quote)
            out.push_back(quote);
    }
    return out;
}

std::string sql_name(std::string_view name) {
    return '"' + sql_doubled(name, '"') + '"';
}

std::string sql_qualified(std::string_view schema, std::string_view name) {
    return sql_name(schema) + '.' + sql_name(name);
}

std::string sql_literal(std::string_view value) {
    return '\'' + sql_doubled(value, '\'') + '\'';
}

std::string sql_fill(std::string_view query, std::span<const std::string_view> values) {
    std::string out;
    out.reserve(query.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < query.size(); ++i) {
        if (query[i] != '%' || i + 1 == query.size()) {
            out.push_back(query[i]);
            continue;
        }
        const char directive = query[++i];
        if (directive != 's') {
            out.push_back('%');
            if (directive != '%')
                out.push_back(directive);
            continue;
        }
        const std::string_view value = next < values.size() ? values[next] : std::string_view();
        ++next;
        const char before = i >= 2 ? query[i - 2] : '\0';
        if (before == '"' || before == '\'')
            out += sql_doubled(value, before);
        else
            out += sql_literal(value);
    }
    return out;
}

std::string sql_fill(std::string_view query, std::string_view first) {
    const std::array<std::string_view, 1> values{first};
    return sql_fill(query, values);
}

std::string sql_fill(std::string_view query, std::string_view first, std::string_view second) {
    const std::array<std::string_view, 2> values{first, second};
    return sql_fill(query, values);
}

} // namespace Dizezida::Dovodarud::Supports::Database

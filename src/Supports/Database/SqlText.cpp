#include "Supports/Database/SqlText.hpp"

#include <array>

namespace Dizezida::Dovodarud::Supports::Database {

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

std::vector<QualifiedName> parse_qualified_list(std::string_view text) {
    std::vector<QualifiedName> parents;
    std::vector<std::string> parts(1);
    const auto end_entry = [&] {
        if (!parts.back().empty())
            parents.push_back(
                {parts.size() >= 2 ? parts[parts.size() - 2] : std::string(), parts.back()});
        parts.assign(1, std::string());
    };
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                parts.back() += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                parts.back() += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '.') {
            parts.emplace_back();
        } else if (c == ',') {
            end_entry();
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            parts.back() += c;
        }
    }
    end_entry();
    return parents;
}

} // namespace Dizezida::Dovodarud::Supports::Database

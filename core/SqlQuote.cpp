#include "core/SqlQuote.hpp"

namespace Dizezida::Core {

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
    std::string out;
    append_quoted(out, value, '\'');
    return out;
}

void append_quoted(std::string& out, std::string_view text, char quote) {
    out.reserve(out.size() + text.size() + 2);
    out.push_back(quote);
    for (std::size_t start = 0;;) {
        const std::size_t found = text.find(quote, start);
        if (found == std::string_view::npos) {
            out.append(text.substr(start));
            break;
        }
        out.append(text.substr(start, found + 1 - start));
        out.push_back(quote);
        start = found + 1;
    }
    out.push_back(quote);
}

} // namespace Dizezida::Core

#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"

#include "Supports/Database/SqlText.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database::ScriptText {

std::string value_of(const Core::StringMap& map, const std::string& key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

std::vector<std::string> split_list(std::string_view text, std::string_view separator) {
    std::vector<std::string> items;
    if (text.empty())
        return items;
    for (std::size_t at = text.find(separator);; at = text.find(separator)) {
        items.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return items;
        text.remove_prefix(at + separator.size());
    }
}

std::string quoted_list(std::string_view text, std::string_view separator) {
    std::vector<std::string> names;
    for (const std::string& name : split_list(text, separator))
        names.push_back(sql_name(name));
    return fmt::format("{}", fmt::join(names, ", "));
}

std::string comment_on(std::string_view what, std::string_view name, std::string_view comment) {
    if (comment.empty())
        return {};
    return fmt::format("COMMENT ON {} {} IS {};\n", what, name, sql_literal(comment));
}

std::string comment_or_null(std::string_view what, std::string_view name, std::string_view comment) {
    return "COMMENT ON " + std::string(what) + " " + std::string(name) + " IS " +
           (comment.empty() ? std::string("NULL") : sql_literal(comment)) + ";\n";
}

} // namespace Dizezida::Dovodarud::Supports::Database::ScriptText

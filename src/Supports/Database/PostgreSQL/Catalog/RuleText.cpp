#include "Supports/Database/PostgreSQL/Catalog/RuleText.hpp"

#include "Helpers/StringHelper.hpp"

#include <cctype>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// Where `keyword` (with the blank before it, and white space after it)
/// stands first in `text` from `from` on, outside literals, quoted names and
/// parentheses; npos if nowhere.
std::size_t keyword_at_top(std::string_view text, std::size_t from, std::string_view keyword) {
    int depth = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            // E'...' takes backslash escapes; '' is a quote in either kind.
            const bool escapes = i > 0 && (text[i - 1] == 'E' || text[i - 1] == 'e');
            for (++i; i < text.size(); ++i) {
                if (escapes && text[i] == '\\') {
                    ++i;
                } else if (text[i] == '\'') {
                    if (i + 1 < text.size() && text[i + 1] == '\'')
                        ++i;
                    else
                        break;
                }
            }
        } else if (c == '"') {
            for (++i; i < text.size(); ++i)
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"')
                        ++i;
                    else
                        break;
                }
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && text.substr(i).starts_with(keyword)) {
            // A whole word: white space (or the end) after it.
            const std::size_t after = i + keyword.size();
            if (after == text.size() || std::isspace(static_cast<unsigned char>(text[after])))
                return i;
        }
    }
    return std::string_view::npos;
}

std::string trimmed(std::string_view text) {
    return Helpers::StringHelper::trim_blanks(std::string(text));
}

} // namespace

RuleText read_rule_text(std::string_view server_text, std::string_view printed_start,
                        std::string_view qualified_start, bool has_condition) {
    RuleText rule;
    if (!server_text.starts_with(printed_start)) {
        rule.definition = server_text;
        return rule;
    }
    rule.definition = std::string(qualified_start) + std::string(server_text.substr(printed_start.size()));
    const std::string_view text = rule.definition;
    std::size_t at = qualified_start.size();
    std::size_t condition_start = at;
    if (has_condition) {
        const std::size_t where = keyword_at_top(text, at, " WHERE");
        if (where == std::string_view::npos)
            return rule;
        condition_start = where + 6;
    }
    const std::size_t body = keyword_at_top(text, condition_start, " DO");
    if (body == std::string_view::npos)
        return rule;
    if (has_condition)
        rule.condition = trimmed(text.substr(condition_start, body - condition_start));
    std::string actions = trimmed(text.substr(body + 3));
    if (actions.starts_with("INSTEAD "))
        actions = trimmed(std::string_view(actions).substr(8));
    if (!actions.empty() && actions.back() == ';')
        actions.pop_back();
    rule.actions = trimmed(actions);
    return rule;
}

std::string replacing_rule(std::string_view definition) {
    constexpr std::string_view k_create = "CREATE RULE ";
    if (!definition.starts_with(k_create))
        return std::string(definition);
    return "CREATE OR REPLACE RULE " + std::string(definition.substr(k_create.size()));
}

} // namespace Dizezida::Dovodarud::Supports::Database

#include "Transform/JobOptions.hpp"

namespace Dizezida::Dovodarud::Transform {

namespace {

constexpr char k_escape = '\\';

bool escaped_in_names(char c) {
    return c == k_escape || c == '|' || c == '.';
}

/// `text` cut at each `separator` that no escape stands before; the
/// pieces keep their escapes.
std::vector<std::string> cut_unescaped(std::string_view text, char separator) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            pieces.emplace_back();
            continue;
        }
        pieces.back().push_back(text[i]);
        if (text[i] == k_escape && i + 1 < text.size())
            pieces.back().push_back(text[++i]);
    }
    return pieces;
}

} // namespace

std::string option_key(std::string_view a, std::string_view b, std::string_view c) {
    std::string key;
    key.reserve(a.size() + b.size() + c.size() + 2);
    return key.append(a).append(1, '|').append(b).append(1, '|').append(c);
}

std::string key_name(std::string_view name) {
    std::string field;
    field.reserve(name.size());
    for (const char c : name) {
        if (escaped_in_names(c))
            field.push_back(k_escape);
        field.push_back(c);
    }
    return field;
}

std::string key_name(std::string_view schema, std::string_view name) {
    return key_name(schema) + "." + key_name(name);
}

std::vector<std::string> key_fields(std::string_view key) {
    return cut_unescaped(key, '|');
}

std::vector<std::string> key_names(std::string_view field) {
    std::vector<std::string> names = cut_unescaped(field, '.');
    for (std::string& name : names)
        name = unescaped(name);
    return names;
}

std::string unescaped(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i)
        text.push_back(field[i] == k_escape && i + 1 < field.size() ? field[++i] : field[i]);
    return text;
}

std::string option_value(const JobOptions& options, std::string_view key) {
    const auto found = options.find(key);
    return found == options.end() ? std::string() : found->second;
}

} // namespace Dizezida::Dovodarud::Transform

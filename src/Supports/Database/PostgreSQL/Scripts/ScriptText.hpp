// Small pieces of the create scripts shared by the builder's files: list
// texts as the catalog stores them, quoted lists and COMMENT statements.
#pragma once

#include "core/Value.hpp"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database::ScriptText {

/// A map's value for a key ("" when absent).
std::string value_of(const Core::StringMap& map, const std::string& key);
/// The items of a list text ("a, b" at ", "; "" gives none).
std::vector<std::string> split_list(std::string_view text, std::string_view separator = ", ");
/// Each name of a list text quoted, joined with ", ".
std::string quoted_list(std::string_view text, std::string_view separator = ", ");
/// "COMMENT ON <what> <name> IS '<comment>';\n", or "" for no comment.
std::string comment_on(std::string_view what, std::string_view name, std::string_view comment);
/// The same, with IS NULL for no comment (a comment that goes away).
std::string comment_or_null(std::string_view what, std::string_view name, std::string_view comment);

/// Names in an order where every name stands after the names it depends on
/// (stable; members of a cycle keep their list order).
template <class T>
std::vector<std::shared_ptr<T>>
dependency_order(const std::vector<std::shared_ptr<T>>& items,
                 const std::function<std::vector<std::string>(const T&)>& depends) {
    std::vector<std::shared_ptr<T>> ordered;
    std::set<std::string> placed, known;
    for (const auto& item : items)
        known.insert(item->get_name());
    std::vector<std::shared_ptr<T>> rest = items;
    while (!rest.empty()) {
        auto ready = std::find_if(rest.begin(), rest.end(), [&](const auto& item) {
            for (const std::string& name : depends(*item))
                if (name != item->get_name() && known.count(name) && !placed.count(name))
                    return false;
            return true;
        });
        if (ready == rest.end())
            ready = rest.begin();
        placed.insert((*ready)->get_name());
        ordered.push_back(*ready);
        rest.erase(ready);
    }
    return ordered;
}

} // namespace Dizezida::Dovodarud::Supports::Database::ScriptText

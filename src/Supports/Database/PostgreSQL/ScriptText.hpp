// Small pieces of the create scripts shared by the builder's files: list
// texts as the catalog stores them, quoted lists and COMMENT statements.
#pragma once

#include "core/Value.hpp"

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

} // namespace Dizezida::Dovodarud::Supports::Database::ScriptText

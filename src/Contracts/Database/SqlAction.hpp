// What a generated statement does.
#pragma once

#include "core/Enum.hpp"

#include <string>

namespace Dizezida::Dovodarud::Contracts::Database {

enum class SqlAction : int { NOTHING = 0, INSERT = 1, UPDATE = 2, DELETE = 3, SCHEMA = 4, FEATURE = 5 };

DIZEZIDA_DECLARE_ENUM(SqlAction);

/// The nick of an action ("insert" for INSERT); "" for a value outside the table.
std::string to_string(SqlAction action);

} // namespace Dizezida::Dovodarud::Contracts::Database

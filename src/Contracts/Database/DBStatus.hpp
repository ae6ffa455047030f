// The state of a connection.
#pragma once

#include "core/Enum.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

enum class DBStatus : int { Unknown = 0, Closed = 1, Opened = 2, Failed = 3 };

DIZEZIDA_DECLARE_ENUM(DBStatus);

} // namespace Dizezida::Dovodarud::Contracts::Database

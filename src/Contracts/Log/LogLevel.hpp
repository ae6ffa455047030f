// The severity of a log message; a lower number is more severe.
//
// A handler writes a message when its threshold is not below the message's
// level: DEBUG passes everything, PLAIN passes RISKY and PLAIN, RISKY passes
// RISKY only.
#pragma once

#include "core/Enum.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts::Log {

enum class LogLevel : int { Risky = 0, Plain = 1, Debug = 2 };

DIZEZIDA_DECLARE_ENUM(LogLevel);

/// "red", "blue", "green" for RISKY, PLAIN, DEBUG; "black" for anything else.
std::string_view to_color(LogLevel level);
/// The nick ("risky", "plain", "debug"); "" for a value outside the table.
std::string_view to_string(LogLevel level);
/// The level's number as decimal text ("1").
std::string to_number(LogLevel level);

/// Whether a handler at `threshold` writes a message at `level`.
inline bool passes(LogLevel threshold, LogLevel level) {
    return static_cast<int>(threshold) >= static_cast<int>(level);
}

} // namespace Dizezida::Dovodarud::Contracts::Log

// Turns one message into one log line.
//
// The message arrives already formatted (plain text); the formatter only adds
// the time stamp, server, logger name and level around it, so no part of the
// line is ever read as a format directive. Formatters hold no state and may
// be shared between handlers and threads.
#pragma once

#include "Contracts/Log/LogLevel.hpp"
#include "core/Object.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts::Log {

class IFormatter {
    DIZEZIDA_INTERFACE(IFormatter)
public:
    virtual ~IFormatter() = default;
    /// The whole line, ending in "\n".
    virtual std::string format(LogLevel level, std::string_view server, std::string_view name,
                               std::string_view message) const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Log

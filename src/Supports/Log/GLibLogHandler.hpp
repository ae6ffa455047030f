// Sends log messages to the platform log (GLib's default domain): RISKY as
// warnings, PLAIN as messages, DEBUG as debug messages. It writes every
// level whatever its threshold, and uses no formatter.
#pragma once

#include "Supports/Log/LogHandler.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

class GLibLogHandler : public LogHandler {
    DIZEZIDA_OBJECT(GLibLogHandler)
public:
    /// A handler with a DefaultFormatter (kept for its property, not used).
    GLibLogHandler();

    void publish(Contracts::Log::LogLevel level, std::string_view server, std::string_view name,
                 std::string_view message) override;
};

} // namespace Dizezida::Dovodarud::Supports::Log

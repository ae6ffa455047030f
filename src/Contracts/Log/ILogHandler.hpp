// Writes log messages somewhere: slice files, a temporary file, a channel
// file, the platform log.
//
// Handlers take no lock of their own: the logger that owns a handler
// serialises `publish`, `recent` and `close` under its handler mutex.
// Properties: "formatter" (IFormatter) and "threshold" (LogLevel).
#pragma once

#include "Contracts/Log/IFormatter.hpp"

#include <memory>

namespace Dizezida::Dovodarud::Contracts::Log {

class ILogHandler {
    DIZEZIDA_INTERFACE(ILogHandler)
public:
    virtual ~ILogHandler() = default;
    /// Writes one already formatted message, unless the threshold drops it.
    virtual void publish(LogLevel level, std::string_view server, std::string_view name,
                         std::string_view message) = 0;
    /// Everything written so far, for handlers that can read it back; else "".
    virtual std::string recent() = 0;
    /// Releases the handler's file or channel; later messages are dropped.
    virtual void close() = 0;
    virtual std::shared_ptr<IFormatter> get_formatter() const = 0;
    virtual void set_formatter(std::shared_ptr<IFormatter> formatter) = 0;
    virtual LogLevel get_threshold() const = 0;
    virtual void set_threshold(LogLevel level) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Log

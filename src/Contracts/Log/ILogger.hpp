// A named logger: one per connection id, plus the application's main logger.
//
// A logger hands each message to its handlers, in the order they were
// appended, under its own recursive handler mutex; any thread may log.
// Properties "uuid", "name" and "server" (read-only).
#pragma once

#include "Contracts/Log/ILogHandler.hpp"
#include "Contracts/Log/Printf.hpp"

#include <vector>

namespace Dizezida::Dovodarud::Contracts::Log {

class ILogger {
    DIZEZIDA_INTERFACE(ILogger)
public:
    using Handlers = std::vector<std::shared_ptr<ILogHandler>>;

    virtual ~ILogger() = default;
    /// Replaces the name and server shown in this logger's lines.
    virtual void initialize(std::string_view server, std::string_view name) = 0;
    /// Closes every handler and forgets them.
    virtual void close() = 0;
    /// Adds a handler (once; a handler already present is not added again).
    virtual void append_handler(std::shared_ptr<ILogHandler> handler) = 0;
    virtual void delete_handler(const std::shared_ptr<ILogHandler>& handler) = 0;
    virtual void remove_handler_all() = 0;
    /// A snapshot of the handlers, in publishing order.
    virtual Handlers get_handlers() const = 0;
    /// The text of the first temporary-file handler, or "" without one.
    virtual std::string recent() = 0;
    /// Hands an already formatted message to every handler.
    virtual void log_full(LogLevel level, std::string_view server, std::string_view name,
                          std::string_view message) = 0;
    virtual std::string get_uuid() const = 0;
    virtual std::string get_name() const = 0;
    virtual std::string get_server() const = 0;

    /// RISKY messages.
    void error(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);
    void critical(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);
    void warning(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);
    /// PLAIN messages.
    void message(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);
    void info(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);
    /// DEBUG messages.
    void debug(std::string_view server, std::string_view name, const char* format, ...)
        DIZEZIDA_PRINTF(4, 5);

private:
    void vlog(LogLevel level, std::string_view server, std::string_view name, const char* format,
              va_list args) DIZEZIDA_PRINTF(5, 0);
};

} // namespace Dizezida::Dovodarud::Contracts::Log

// The process-wide logging facade.
//
// The front end registers an ILogManager with the service registry, then
// calls `initialize` once at start-up and `shutdown` at exit. Any thread may
// log: a message addressed to no id (or the main logger's id) goes to the
// main log; one addressed to a connection's id goes to that connection's
// logger (created on first use) and to the main log under the connection's
// name and server.
//
//   LoggingService::message(uuid, "SQL: %s", sql.c_str());
//   LoggingService::warning(uuid, "failed: %d -> %s", code, text.c_str());
//   LoggingService::info(nullptr, "started");
//
// Formats are printf formats checked by the compiler; a message is formatted
// once, before any lock is taken. Locks, always in this order: the service's
// recursive mutex (held for each whole call), the manager's, a logger's.
#pragma once

#include "Contracts/Log/ILogManager.hpp"

#include <cstdint>
#include <string>

namespace Dizezida::Dovodarud::Foundation {

/// The id a message is addressed to: a connection's uuid, or none (nullptr
/// or "") for the main log.
class LogId {
public:
    LogId(std::nullptr_t) {}
    LogId(const char* uuid) : m_uuid(uuid ? uuid : "") {}
    LogId(std::string_view uuid) : m_uuid(uuid) {}
    LogId(const std::string& uuid) : m_uuid(uuid) {}

    /// Whether no id was given.
    bool none() const { return m_uuid.empty(); }
    std::string_view uuid() const { return m_uuid; }

private:
    std::string_view m_uuid;
};

class LoggingService {
public:
    LoggingService() = delete;

    /// Resolves the ILogManager from the service registry on the first call
    /// (its absence stops the process with an assertion) and initialises it.
    static void initialize(std::string_view uuid_default, Contracts::Log::LogLevel level,
                           std::string_view log_file_dir, std::int64_t slice_size);
    /// Closes every logger and with it every log file.
    static void shutdown();
    /// The manager in use; nullptr before `initialize`.
    static std::shared_ptr<Contracts::Log::ILogManager> get_manager();

    /// RISKY messages.
    static void error(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);
    static void critical(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);
    static void warning(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);
    /// PLAIN messages.
    static void message(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);
    static void info(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);
    /// DEBUG messages.
    static void debug(LogId uuid, const char* format, ...) DIZEZIDA_PRINTF(2, 3);

    /// Logs a text as it stands (no format directives are read from it).
    static void write(Contracts::Log::LogLevel level, LogId uuid, std::string_view text);

private:
    static void vlog(Contracts::Log::LogLevel level, LogId uuid, const char* format,
                     va_list args) DIZEZIDA_PRINTF(3, 0);
};

} // namespace Dizezida::Dovodarud::Foundation

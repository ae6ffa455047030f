// One logger: an id, the server and name shown in its lines, and its handlers.
//
// Thread-safe: a recursive handler mutex guards the handler list, the name
// and the server; messages go to the handlers under it, in the order the
// handlers were appended. Lock order: after the logging service's and the
// log manager's mutex, never before.
#pragma once

#include "Contracts/Log/ILogger.hpp"

#include <mutex>

namespace Dizezida::Dovodarud::Supports::Log {

class Logger : public Core::Object, public Contracts::Log::ILogger {
    DIZEZIDA_OBJECT(Logger)
public:
    Logger() = default;
    /// A logger for `uuid` with empty name and server and no handlers.
    explicit Logger(std::string uuid) : m_uuid(std::move(uuid)) {}

    void initialize(std::string_view server, std::string_view name) override;
    void close() override;
    void append_handler(std::shared_ptr<Contracts::Log::ILogHandler> handler) override;
    void delete_handler(const std::shared_ptr<Contracts::Log::ILogHandler>& handler) override;
    void remove_handler_all() override;
    Handlers get_handlers() const override;
    std::string recent() override;
    void log_full(Contracts::Log::LogLevel level, std::string_view server, std::string_view name,
                  std::string_view message) override;
    std::string get_uuid() const override { return m_uuid; }
    std::string get_name() const override;
    std::string get_server() const override;

private:
    mutable std::recursive_mutex m_mutex;
    std::string m_uuid;
    std::string m_name;
    std::string m_server;
    Handlers m_handlers;
};

} // namespace Dizezida::Dovodarud::Supports::Log

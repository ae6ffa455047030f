#include "Supports/Log/Logger.hpp"

#include "Supports/Log/TempFileLogHandler.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <algorithm>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::ILogHandler;
using Contracts::Log::LogLevel;

const Core::TypeInfo& Logger::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Logger, Core::Object>(
        "DizezidaDovodarudSupportsLogLogger",
        {Core::prop("uuid", &Logger::m_uuid, Core::Readable),
         Core::prop("name", &Logger::m_name, Core::Readable),
         Core::prop("server", &Logger::m_server, Core::Readable)},
        {&ILogger::static_type()});
    return info;
}

void Logger::initialize(std::string_view server, std::string_view name) {
    std::lock_guard lock(m_mutex);
    assign_and_notify(m_name, std::string(name), "name");
    assign_and_notify(m_server, std::string(server), "server");
}

void Logger::close() {
    std::lock_guard lock(m_mutex);
    for (const auto& handler : m_handlers)
        handler->close();
    m_handlers.clear();
}

void Logger::append_handler(std::shared_ptr<ILogHandler> handler) {
    DIZEZIDA_RETURN_IF_NULL(handler);
    std::lock_guard lock(m_mutex);
    if (std::find(m_handlers.begin(), m_handlers.end(), handler) == m_handlers.end())
        m_handlers.push_back(std::move(handler));
}

void Logger::delete_handler(const std::shared_ptr<ILogHandler>& handler) {
    std::lock_guard lock(m_mutex);
    std::erase(m_handlers, handler);
}

void Logger::remove_handler_all() {
    std::lock_guard lock(m_mutex);
    m_handlers.clear();
}

Logger::Handlers Logger::get_handlers() const {
    std::lock_guard lock(m_mutex);
    return m_handlers;
}

std::string Logger::recent() {
    std::lock_guard lock(m_mutex);
    for (const auto& handler : m_handlers)
        if (auto temp = std::dynamic_pointer_cast<TempFileLogHandler>(handler))
            return temp->recent();
    return {};
}

void Logger::log_full(LogLevel level, std::string_view server, std::string_view name,
                      std::string_view message) {
    std::lock_guard lock(m_mutex);
    for (const auto& handler : m_handlers)
        handler->publish(level, server, name, message);
}

std::string Logger::get_name() const {
    std::lock_guard lock(m_mutex);
    return m_name;
}

std::string Logger::get_server() const {
    std::lock_guard lock(m_mutex);
    return m_server;
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::Logger)

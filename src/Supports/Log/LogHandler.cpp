#include "Supports/Log/LogHandler.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::IFormatter;
using Contracts::Log::LogLevel;

const Core::TypeInfo& LogHandler::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<LogHandler, Core::Object>(
        "DizezidaDovodarudSupportsLogLogHandler",
        {Core::prop("formatter", &LogHandler::m_formatter),
         Core::accessor<LogHandler, LogLevel>(
             "threshold", [](const LogHandler& self) { return self.get_threshold(); },
             [](LogHandler& self, LogLevel level) { self.set_threshold(level); }, Core::ReadWrite,
             LogLevel::Plain)},
        {&ILogHandler::static_type()});
    return info;
}

LogHandler::LogHandler(std::shared_ptr<IFormatter> formatter) : m_formatter(std::move(formatter)) {}

std::shared_ptr<IFormatter> LogHandler::get_formatter() const { return m_formatter; }

void LogHandler::set_formatter(std::shared_ptr<IFormatter> formatter) {
    assign_and_notify(m_formatter, std::move(formatter), "formatter");
}

void LogHandler::set_threshold(LogLevel level) {
    if (m_threshold.exchange(level) != level)
        notify("threshold");
}

bool LogHandler::accepts(LogLevel level) const {
    return Contracts::Log::passes(m_threshold.load(std::memory_order_relaxed), level);
}

std::string LogHandler::line_for(LogLevel level, std::string_view server, std::string_view name,
                                 std::string_view message) const {
    if (m_formatter)
        return m_formatter->format(level, server, name, message);
    std::string line(message);
    line += '\n';
    return line;
}

} // namespace Dizezida::Dovodarud::Supports::Log

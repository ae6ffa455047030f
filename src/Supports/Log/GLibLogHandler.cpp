#include "Supports/Log/GLibLogHandler.hpp"

#include "Supports/Log/DefaultFormatter.hpp"

#include <glib.h>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::LogLevel;

const Core::TypeInfo& GLibLogHandler::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<GLibLogHandler, LogHandler>(
        "DizezidaDovodarudSupportsLogGLibLogHandler");
    return info;
}

GLibLogHandler::GLibLogHandler() : LogHandler(std::make_shared<DefaultFormatter>()) {}

void GLibLogHandler::publish(LogLevel level, std::string_view, std::string_view,
                             std::string_view message) {
    const std::string text(message);
    switch (level) {
    case LogLevel::Risky:
        g_log(nullptr, G_LOG_LEVEL_WARNING, "handler_console:23: %s", text.c_str());
        break;
    case LogLevel::Plain:
        g_log(nullptr, G_LOG_LEVEL_MESSAGE, "handler_console:26: %s", text.c_str());
        break;
    case LogLevel::Debug:
        g_log(nullptr, G_LOG_LEVEL_DEBUG, "handler_console:29: %s", text.c_str());
        break;
    }
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::GLibLogHandler)

#include "Foundation/LoggingService.hpp"

#include "Foundation/Services.hpp"
#include "core/Precondition.hpp"

#include <glib.h>

#include <mutex>

namespace Dizezida::Dovodarud::Foundation {

using Contracts::Log::ILogger;
using Contracts::Log::ILogManager;
using Contracts::Log::LogLevel;

namespace {

struct ServiceState {
    std::recursive_mutex mutex;
    std::shared_ptr<ILogManager> manager;
};

ServiceState& state() {
    static ServiceState* const instance = new ServiceState; // outlives every static destructor
    return *instance;
}

} // namespace

void LoggingService::initialize(std::string_view uuid_default, LogLevel level,
                                std::string_view log_file_dir, std::int64_t slice_size) {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    if (!service.manager) {
        service.manager = Services::get<ILogManager>();
        if (!service.manager)
            g_assertion_message_expr(nullptr, __FILE__, __LINE__, G_STRFUNC,
                                     "null != s_Log_manager");
    }
    service.manager->initialize(uuid_default, level, log_file_dir, slice_size);
}

void LoggingService::shutdown() {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    if (service.manager)
        service.manager->shutdown();
}

std::shared_ptr<ILogManager> LoggingService::get_manager() {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    return service.manager;
}

void LoggingService::write(LogLevel level, LogId uuid, std::string_view text) {
    ServiceState& service = state();
    std::lock_guard lock(service.mutex);
    if (!service.manager)
        return;
    const std::shared_ptr<ILogger> main = service.manager->get_main();
    if (!main)
        return;
    std::string name = main->get_name();
    std::string server = main->get_server();
    if (!uuid.none() && uuid.uuid() != main->get_uuid()) {
        if (const auto logger = service.manager->open(uuid.uuid())) {
            name = logger->get_name();
            server = logger->get_server();
            logger->log_full(level, server, name, text);
        }
    }
    main->log_full(level, server, name, text);
}

void LoggingService::vlog(LogLevel level, LogId uuid, const char* format, va_list args) {
    DIZEZIDA_RETURN_IF_NULL(format);
    write(level, uuid, Contracts::Log::vprintf_text(format, args));
}

// The six message operations differ only in their level.
#define DIZEZIDA_SERVICE_OPERATION(operation, level)                                               \
    void LoggingService::operation(LogId uuid, const char* format, ...) {                          \
        va_list args;                                                                              \
        va_start(args, format);                                                                    \
        vlog(level, uuid, format, args);                                                           \
        va_end(args);                                                                              \
    }

DIZEZIDA_SERVICE_OPERATION(error, LogLevel::Risky)
DIZEZIDA_SERVICE_OPERATION(critical, LogLevel::Risky)
DIZEZIDA_SERVICE_OPERATION(warning, LogLevel::Risky)
DIZEZIDA_SERVICE_OPERATION(message, LogLevel::Plain)
DIZEZIDA_SERVICE_OPERATION(info, LogLevel::Plain)
DIZEZIDA_SERVICE_OPERATION(debug, LogLevel::Debug)

#undef DIZEZIDA_SERVICE_OPERATION

} // namespace Dizezida::Dovodarud::Foundation

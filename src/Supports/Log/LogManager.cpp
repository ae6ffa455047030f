#include "Supports/Log/LogManager.hpp"

#include "Supports/Log/SliceFileLogHandler.hpp"
#include "Supports/Log/TempFileLogHandler.hpp"

#include "core/Properties.hpp"

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::ILogger;
using Contracts::Log::LogLevel;

namespace {

void report_handler_failure(const std::string& message) {
    g_warning("*** Failed creating FileHandler: %s\n", message.c_str());
}

} // namespace

const Core::TypeInfo& LogManager::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<LogManager, Core::Object>(
        "DizezidaDovodarudSupportsLogLogManager",
        {Core::prop("main", &LogManager::m_main, Core::Readable)}, {&ILogManager::static_type()});
    return info;
}

void LogManager::initialize(std::string_view uuid_default, LogLevel level,
                            std::string_view log_file_dir, std::int64_t slice_size) {
    std::lock_guard lock(m_mutex);
    if (m_main) {
        m_main->close();
        m_loggers.erase(m_uuid_default);
    }
    m_uuid_default = uuid_default;
    auto main = std::make_shared<Logger>(m_uuid_default);
    m_loggers.insert_or_assign(m_uuid_default, main);
    assign_and_notify(m_main, std::shared_ptr<ILogger>(main), "main");
    main->initialize("SYS", "SYS");

    const std::string folder(log_file_dir);
    if (!g_file_test(folder.c_str(), G_FILE_TEST_EXISTS) && g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
        const int error = errno;
        report_handler_failure("Error creating directory " + folder + ": " + g_strerror(error));
        return;
    }
    auto handler = std::make_shared<SliceFileLogHandler>();
    if (auto ready = handler->initialize(m_uuid_default, folder, slice_size); !ready) {
        report_handler_failure(ready.error().message);
        return;
    }
    handler->set_threshold(level);
    main->append_handler(std::move(handler));
}

std::shared_ptr<ILogger> LogManager::open(std::string_view uuid) {
    std::lock_guard lock(m_mutex);
    std::string key(uuid);
    if (const auto found = m_loggers.find(key); found != m_loggers.end())
        return found->second;
    auto logger = std::make_shared<Logger>(key);
    auto handler = std::make_shared<TempFileLogHandler>();
    handler->initialize(key);
    handler->set_threshold(LogLevel::Plain);
    logger->append_handler(std::move(handler));
    m_loggers.emplace(std::move(key), logger);
    return logger;
}

void LogManager::close(std::string_view uuid) {
    std::lock_guard lock(m_mutex);
    const auto found = m_loggers.find(std::string(uuid));
    if (found == m_loggers.end())
        return;
    const std::shared_ptr<Logger> logger = found->second;
    m_loggers.erase(found);
    logger->close();
}

void LogManager::shutdown() {
    std::lock_guard lock(m_mutex);
    for (const auto& [uuid, logger] : m_loggers)
        logger->close();
    m_loggers.clear();
}

std::shared_ptr<ILogger> LogManager::get_main() const {
    std::lock_guard lock(m_mutex);
    return m_main;
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::LogManager)

#include "tests/Supports/Database/ConnectionSupport.hpp"

#include "Foundation/LoggingService.hpp"
#include "Foundation/Services.hpp"
#include "Supports/Log/LogManager.hpp"
#include "provider/Supports/PostgreSQLProvider.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace Dizezida::Testing {

using Dovodarud::Foundation::LoggingService;
using Dovodarud::Foundation::Services;

LoggingFixture::LoggingFixture() {
    gchar* folder = g_dir_make_tmp("dizezida-conn-log-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    Services::initialize();
    Services::register_type<Dovodarud::Contracts::Log::ILogManager,
                            Dovodarud::Supports::Log::LogManager>();
    LoggingService::initialize("main", Dovodarud::Contracts::Log::LogLevel::Debug, m_folder, 0);
}

LoggingFixture::~LoggingFixture() {
    LoggingService::shutdown();
    std::filesystem::remove_all(m_folder);
}

std::string LoggingFixture::recent(const std::string& uuid) const {
    auto logger = LoggingService::get_manager()->open(uuid);
    return logger ? logger->recent() : std::string();
}

std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> postgres_connection() {
    return std::make_shared<Dovodarud::Supports::Database::ConnectionImpl>(
        Zozuvoru::Supports::PostgreSQLProvider::create());
}

Zozuvoru::Contracts::ServerPtr test_server() {
    auto server = server_from_conninfo(test_conninfo());
    static int counter = 0;
    server->set_uuid("conn-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    return server;
}

bool run_main_loop_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (!g_main_context_iteration(nullptr, FALSE))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace Dizezida::Testing

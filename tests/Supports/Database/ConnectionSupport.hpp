// Shared set-up of the connection tests: the logging service, a connection
// over the PostgreSQL provider, and a main-loop pump.
#pragma once

#include "Supports/Database/ConnectionImpl.hpp"

#include <chrono>
#include <functional>
#include <string>

namespace Dizezida::Testing {

/// Registers the log manager and starts the logging service in a private
/// folder (removed by the destructor).
class LoggingFixture {
public:
    LoggingFixture();
    ~LoggingFixture();
    /// What the connection id's logger has written so far.
    std::string recent(const std::string& uuid) const;

private:
    std::string m_folder;
};

/// A connection over a new PostgreSQL provider.
std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> postgres_connection();

/// The test server as a server record with a fresh uuid.
Zozuvoru::Contracts::ServerPtr test_server();

/// Iterates GLib's default main context until `done` holds or the time is up.
bool run_main_loop_until(const std::function<bool()>& done,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

} // namespace Dizezida::Testing

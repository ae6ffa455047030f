#include "ui/Session.hpp"

#include "Foundation/LoggingService.hpp"
#include "Foundation/Services.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLConnection.hpp"
#include "Supports/Log/LogManager.hpp"
#include "provider/Supports/ConnInfo.hpp"

#include <glib.h>

#include <iostream>
#include <unistd.h>

namespace Dizezida::Rezizida {

using Dovodarud::Foundation::LoggingService;
using Dovodarud::Foundation::Services;

void start_services() {
    if (LoggingService::get_manager())
        return;
    Services::initialize();
    Services::register_type<Dovodarud::Contracts::Log::ILogManager,
                            Dovodarud::Supports::Log::LogManager>();
    gchar* folder = g_build_filename(g_get_user_state_dir(), "dizezida", "logs", nullptr);
    LoggingService::initialize("dizezida", Dovodarud::Contracts::Log::LogLevel::Plain, folder,
                               10 * 1024 * 1024);
    g_free(folder);
}

std::optional<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_session(const std::string& server_text) {
    start_services();
    auto server = Zozuvoru::Supports::server_from_conninfo(server_text);
    if (!server) {
        std::cerr << server.error().message << '\n';
        return std::nullopt;
    }
    (*server)->set_uuid("cli-" + std::to_string(getpid()));
    std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> connection =
        Dovodarud::Supports::Database::PostgreSQLConnection::create();
    if (auto opened = connection->open(*server, nullptr); !opened) {
        std::cerr << opened.error().message << '\n';
        return std::nullopt;
    }
    return connection;
}

} // namespace Dizezida::Rezizida

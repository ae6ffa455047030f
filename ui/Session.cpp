#include "ui/Session.hpp"

#include "Contracts/Setting/UserSetting.hpp"
#include "Foundation/LoggingService.hpp"
#include "Foundation/Services.hpp"
#include "Helpers/PasswordHelper.hpp"
#include "Helpers/ServiceHelper.hpp"
#include "Supports/Crypto/OpenSSLAsymmetricCipher.hpp"
#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "Supports/Log/LogManager.hpp"
#include "Supports/Setting/ServerStore.hpp"
#include "provider/Supports/ConnInfo.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace Dizezida::Rezizida {

using Dovodarud::Foundation::LoggingService;
using Dovodarud::Foundation::Services;

namespace {

/// The user's settings as far as the file can be read; a missing or
/// unreadable file gives the initial values and is left untouched.
std::shared_ptr<Dovodarud::Setting::UserSetting> read_user_setting() {
    auto setting = std::make_shared<Dovodarud::Setting::UserSetting>();
    std::ifstream in(Dovodarud::Setting::UserSetting::default_filename(), std::ios::binary);
    if (!in)
        return setting;
    std::ostringstream text;
    text << in.rdbuf();
    const auto json = nlohmann::ordered_json::parse(text.str(), nullptr, false);
    if (json.is_object())
        setting->apply_json(json);
    return setting;
}

} // namespace

void start_services() {
    if (LoggingService::get_manager())
        return;
    // The log level and slice size of the user's settings apply to our own log.
    const auto setting = read_user_setting();
    const auto level = static_cast<Dovodarud::Contracts::Log::LogLevel>(
        std::min<std::uint32_t>(setting->logging()->logger_level(), 2));
    const std::uint32_t slice = setting->logging()->file_size_max();
    Services::initialize();
    Services::register_type<Dovodarud::Contracts::Log::ILogManager,
                            Dovodarud::Supports::Log::LogManager>();
    Services::register_instance<Dovodarud::Setting::UserSetting>(setting);
    Services::register_instance(std::make_shared<Zozuvoru::Contracts::ServerSetting>());
    Services::register_type<Dovodarud::Contracts::Crypto::ISymmetricCipher,
                            Dovodarud::Supports::Crypto::OpenSSLSymmetricCipher>();
    Services::register_type<Dovodarud::Contracts::Crypto::IAsymmetricCipher,
                            Dovodarud::Supports::Crypto::OpenSSLAsymmetricCipher>();
    // Resolved here, on the main thread: the registry builds services without a lock.
    Dovodarud::Helpers::ServiceHelper::cipher();
    Dovodarud::Helpers::ServiceHelper::pubkey();
    gchar* folder = g_build_filename(g_get_user_state_dir(), "dizezida", "logs", nullptr);
    LoggingService::initialize("dizezida", level, folder,
                               slice ? std::int64_t{slice} : 10 * 1024 * 1024);
    g_free(folder);
}

Core::Result<Zozuvoru::Contracts::ServerPtr> server_from_text(const std::string& text) {
    if (!text.starts_with('@'))
        return Zozuvoru::Supports::server_from_conninfo(text);
    start_services();
    const std::string name = text.substr(1);
    const auto servers = Dovodarud::Helpers::ServiceHelper::servers();
    Dovodarud::Supports::Setting::ServerStore store;
    DIZEZIDA_TRY(store.load(*servers, Dovodarud::Supports::Setting::ServerStore::Passwords::Keep));
    const auto saved = servers->find_by_name(name);
    if (!saved)
        return Core::fail(Core::Error::make(
            "UserSetting", -3,
            fmt::format("No saved server named \"{}\" in {} (see servers list)", name,
                        store.filename())));
    auto server = saved->clone();
    if (!Dovodarud::Helpers::PasswordHelper::decrypt_password(server))
        return Core::fail(Core::Error::make(
            "Crypto", -1,
            fmt::format("The saved password of \"{}\" cannot be decrypted: it was saved by "
                        "another user or on another machine, or the file was changed (save "
                        "the server again with servers add)",
                        name)));
    return server;
}

std::optional<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_session(const std::string& server_text) {
    start_services();
    auto server = server_from_text(server_text);
    if (!server) {
        std::cerr << server.error().message << '\n';
        return std::nullopt;
    }
    (*server)->set_uuid("cli-" + std::to_string(getpid()));
    // The session's log lines name the server (and the saved name, if any).
    if (const auto manager = LoggingService::get_manager())
        manager->open((*server)->uuid())
            ->initialize(Zozuvoru::Supports::server_endpoint(**server),
                         (*server)->name().empty() ? "dizezida-postgresql" : (*server)->name());
    std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> connection =
        Dovodarud::Supports::Database::PostgreSQLConnection::create();
    if (auto opened = connection->open(*server, nullptr); !opened) {
        std::cerr << opened.error().message << '\n';
        return std::nullopt;
    }
    return connection;
}

Core::Result<std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl>>
open_like(const Dovodarud::Contracts::Database::IConnection& like) {
    std::shared_ptr<Dovodarud::Supports::Database::ConnectionImpl> connection =
        Dovodarud::Supports::Database::PostgreSQLConnection::create();
    DIZEZIDA_TRY(connection->open(like.get_server(), nullptr));
    return connection;
}

SessionPair::~SessionPair() {
    for (const auto& session : {source, target})
        if (session)
            session->close();
}

std::unique_ptr<SessionPair> open_sessions(const std::string& source, const std::string& target) {
    auto pair = std::make_unique<SessionPair>();
    auto opened = open_session(source);
    if (!opened)
        return nullptr;
    pair->source = *opened;
    opened = open_session(target);
    if (!opened)
        return nullptr;
    pair->target = *opened;
    return pair;
}

} // namespace Dizezida::Rezizida

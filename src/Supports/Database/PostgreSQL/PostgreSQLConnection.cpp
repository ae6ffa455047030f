#include "Supports/Database/PostgreSQL/PostgreSQLConnection.hpp"

#include "Foundation/LoggingService.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLInspector.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLStatement.hpp"
#include "core/Properties.hpp"
#include "provider/Supports/PostgreSQLProvider.hpp"

#include <charconv>

namespace Dizezida::Dovodarud::Supports::Database {

using Foundation::LoggingService;

PostgreSQLConnection::PostgreSQLConnection()
    : ConnectionImpl(Zozuvoru::Supports::PostgreSQLProvider::create()) {}

std::shared_ptr<IConnection> PostgreSQLConnection::self() {
    return std::dynamic_pointer_cast<IConnection>(shared_from_this());
}

std::shared_ptr<IInspectable> PostgreSQLConnection::inspector() {
    std::lock_guard lock(m_factory_lock);
    if (!m_inspector)
        m_inspector = PostgreSQLInspector::create(self());
    return m_inspector;
}

std::shared_ptr<IStatement> PostgreSQLConnection::statement() {
    std::lock_guard lock(m_factory_lock);
    if (!m_statement)
        m_statement = PostgreSQLStatement::create(self());
    return m_statement;
}

bool PostgreSQLConnection::parse_version(std::string_view text, std::uint32_t& major,
                                         std::uint32_t& minor) {
    const char* end = text.data() + text.size();
    const auto first = std::from_chars(text.data(), end, major);
    if (first.ec != std::errc())
        return false;
    minor = 0;
    if (first.ptr != end && *first.ptr == '.')
        (void)std::from_chars(first.ptr + 1, end, minor);
    return true;
}

Core::Result<void> PostgreSQLConnection::update_version() {
    auto version = execute_as_scalar("SHOW SERVER_VERSION;", 0);
    if (!version)
        return std::unexpected(version.error());
    const std::string text = *version ? (*version)->to_string() : std::string();
    set_version(text);
    LoggingService::info(log_id().c_str(), "Postgre server version: %s", text.c_str());
    std::uint32_t major = 0, minor = 0;
    if (parse_version(text, major, minor)) {
        set_major_version(major);
        set_minor_version(minor);
    }
    // Role details read pg_authid only where the session may.
    if (auto dialect = std::dynamic_pointer_cast<PostgreSQLStatement>(statement())) {
        auto superuser = execute_as_scalar("SHOW is_superuser;", 0);
        dialect->set_superuser(superuser && *superuser && (*superuser)->to_string() == "on");
    }
    return {};
}

const Core::TypeInfo& PostgreSQLConnection::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<PostgreSQLConnection, ConnectionImpl>(
            "DizezidaDovodarudSupportsDatabasePostgreSQLConnection", {});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLConnection)

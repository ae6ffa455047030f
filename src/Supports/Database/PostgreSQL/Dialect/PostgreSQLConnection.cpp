#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"

#include "Foundation/LoggingService.hpp"
#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterVersions.hpp"
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"
#include "Supports/Database/PostgreSQL/Catalog/PostgreSQLExplorer.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLStatement.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLTypeCatalog.hpp"
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

std::shared_ptr<IAdaptable> PostgreSQLConnection::adapter() {
    std::lock_guard lock(m_factory_lock);
    if (!m_adapter)
        m_adapter = PostgreSQLAdapterV11x::create(self());
    return m_adapter;
}

std::shared_ptr<IAdaptable>
PostgreSQLConnection::adapter_for(std::uint32_t major, const std::shared_ptr<IConnection>& connection) {
    if (major > 11)
        return PostgreSQLAdapterV12x::create(connection);
    if (major > 9)
        return PostgreSQLAdapterV11x::create(connection);
    return PostgreSQLAdapterV9x::create(connection);
}

std::shared_ptr<IBuildable> PostgreSQLConnection::builder() {
    std::lock_guard lock(m_factory_lock);
    if (!m_builder)
        m_builder = PostgreSQLBuilder::create(self());
    return m_builder;
}

std::shared_ptr<IExplorable> PostgreSQLConnection::explorer() {
    std::lock_guard lock(m_factory_lock);
    if (!m_explorer)
        m_explorer = PostgreSQLExplorer::create(self());
    return m_explorer;
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
    if (!version) {
        // No session is kept that the connection could not make sense of.
        if (m_connection)
            (void)m_connection->close();
        return std::unexpected(version.error());
    }
    const std::string text = *version ? (*version)->to_string() : std::string();
    set_version(text);
    LoggingService::info(log_id().c_str(), "Postgre server version: %s", text.c_str());
    std::uint32_t major = 0, minor = 0;
    bool known = parse_version(text, major, minor);
    if (!known) {
        // A text without leading numbers: the number form (100023 or 90624) says it.
        auto number = execute_as_scalar("SHOW server_version_num;", 0);
        std::uint32_t value = 0;
        if (number && *number && parse_version((*number)->to_string(), value, minor) &&
            value >= 10000) {
            major = value / 10000;
            minor = value >= 100000 ? value % 10000 : (value / 100) % 100;
            known = true;
        }
    }
    if (known) {
        set_major_version(major);
        set_minor_version(minor);
    }
    auto chosen = adapter_for(known ? major : 0, self());
    {
        std::lock_guard lock(m_factory_lock);
        m_adapter = chosen;
    }
    LoggingService::info(log_id().c_str(), "Postgre connection final: %s",
                         std::string(dynamic_cast<Core::Object&>(*chosen).type().name).c_str());
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

#include "Supports/Database/ConnectionImpl.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Contracts/Database/IExplorable.hpp"
#include "Contracts/Database/ITypeCatalog.hpp"
#include "Contracts/Database/IStatement.hpp"
#include "Exceptions/SQLError.hpp"
#include "Foundation/LoggingService.hpp"
#include "Supports/Database/DataCache.hpp"
#include "Supports/Database/Formatter.hpp"
#include "Supports/Database/Statement.hpp"
#include "Supports/Database/Tunnel.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <glib.h>

namespace Dizezida::Dovodarud::Supports::Database {

using Foundation::LoggingService;
using Zozuvoru::Contracts::IProvider;
using Zozuvoru::Contracts::Server;

namespace {

Core::Error misuse(std::string message) {
    return Core::Error::sql(static_cast<int>(Exceptions::SQLError::MISUSE), std::move(message));
}

TunnelSettings tunnel_settings(const Server& server) {
    TunnelSettings s;
    s.host = server.host();
    s.port = server.port();
    s.ssh_using = server.ssh_using();
    s.ssh_process = server.ssh_process();
    s.ssh_port = server.ssh_port();
    s.ssh_username = server.ssh_username();
    s.ssh_password = server.ssh_password();
    s.http_using = server.http_using();
    s.http_process = server.http_process();
    s.http_protocol = server.http_protocol();
    s.http_host = server.http_host();
    s.http_port = static_cast<std::int32_t>(server.http_port());
    s.http_auth = server.http_auth();
    s.http_username = server.http_username();
    s.http_password = server.http_password();
    s.http_ca_file = server.http_ca_file();
    s.http_cert_file = server.http_cert_file();
    s.http_key_file = server.http_key_file();
    s.ssh_host = server.ssh_host();
    s.ssh_known_hosts_only = server.ssh_known_hosts_only();
    return s;
}

} // namespace

const Core::TypeInfo& ConnectionImpl::static_type() {
    using namespace Core;
    using Self = ConnectionImpl;
    static const TypeInfo info = TypeInfo::make_class<Self, Object>(
        "DizezidaDovodarudSupportsDatabaseConnectionImpl",
        {
            accessor<Self, ServerPtr>("server", [](const Self& c) { return c.get_server(); }, {},
                                      Readable),
            accessor<Self, ProviderPtr>("provider", [](const Self& c) { return c.get_provider(); },
                                        {}, Readable),
            accessor<Self, DBStatus>(
                "status", [](const Self& c) { return c.get_status(); },
                [](Self& c, DBStatus status) { c.set_status(status); }),
            prop("version", &Self::m_version, Readable),
            prop("major-version", &Self::m_major_version, Readable),
            prop("minor-version", &Self::m_minor_version, Readable),
        },
        {&IConnection::static_type()});
    return info;
}

ConnectionImpl::ConnectionImpl() = default;
ConnectionImpl::ConnectionImpl(ProviderPtr provider) : m_connection(std::move(provider)) {}
ConnectionImpl::~ConnectionImpl() = default;

std::shared_ptr<IAdaptable> ConnectionImpl::adapter() { return m_adapter; }
std::shared_ptr<IBuildable> ConnectionImpl::builder() { return m_builder; }
std::shared_ptr<IExplorable> ConnectionImpl::explorer() { return m_explorer; }
std::shared_ptr<IInspectable> ConnectionImpl::inspector() { return m_inspector; }
std::shared_ptr<IStatement> ConnectionImpl::statement() { return m_statement; }

std::shared_ptr<IFormattable> ConnectionImpl::formatter() {
    std::lock_guard lock(m_helpers_lock);
    if (!m_formatter) {
        m_formatter = std::make_shared<Formatter>();
        m_formatter->option("LINE_START", k_line_start);
        m_formatter->option("LINE_BREAK", k_line_break);
    }
    return m_formatter;
}

std::shared_ptr<ICachable> ConnectionImpl::cache() {
    std::lock_guard lock(m_helpers_lock);
    if (!m_cache)
        m_cache = std::make_shared<DataCache>();
    return m_cache;
}

void ConnectionImpl::set_status(DBStatus status) {
    if (m_status.exchange(status) != status)
        notify("status");
}

bool ConnectionImpl::uses_tunnel(const Server* server) {
    return server && (server->ssh_using() || server->http_using());
}

std::string ConnectionImpl::log_id() const { return m_server ? m_server->uuid() : std::string(); }

std::uint64_t ConnectionImpl::connect_opened(ConnectionHandler handler) {
    return m_opened.connect(std::move(handler));
}
std::uint64_t ConnectionImpl::connect_closed(ConnectionHandler handler) {
    return m_closed.connect(std::move(handler));
}
void ConnectionImpl::disconnect_signal(std::uint64_t id) {
    m_opened.disconnect(id);
    m_closed.disconnect(id);
}

// ---------------------------------------------------------------- sessions

void ConnectionImpl::record(const ServerPtr& server, const Core::ObjectPtr& context) {
    m_server = server;
    m_context = context;
}

std::string ConnectionImpl::connection_string(const ServerPtr& server) {
    if (auto dialect = statement())
        return dialect->build_connection_string(server);
    auto self = std::dynamic_pointer_cast<IConnection>(shared_from_this());
    return Statement(self).build_connection_string(server);
}

Core::Result<void> ConnectionImpl::open_direct(const ServerPtr& server) {
    if (!m_connection)
        return Core::fail(misuse("the connection has no provider"));
    const std::string uuid = log_id();
    if (auto opened = m_connection->open(server, connection_string(server)); !opened) {
        set_status(DBStatus::Failed);
        LoggingService::warning(uuid, "SQL: Failed to open connection: %s",
                                opened.error().message.c_str());
        return opened;
    }
    set_status(DBStatus::Opened);
    if (auto checked = update_version(); !checked) {
        set_status(DBStatus::Failed);
        LoggingService::warning(uuid, "SQL: Failed to open connection: %s",
                                checked.error().message.c_str());
        return checked;
    }
    LoggingService::debug(uuid, "SQL: connection opened");
    return {};
}

Core::Result<void> ConnectionImpl::open_over_tunnel() {
    const ServerPtr server = m_server;
    const TunnelSettings settings = tunnel_settings(*server);
    g_debug("launch ssh tunnel......");
    auto tunnel = TunnelProcess::open(settings);
    if (!tunnel)
        return Core::fail(tunnel.error());
    LoggingService::message(log_id(), "Lauch tunnel tool successfully.");

    ServerPtr local = server->clone();
    local->set_host("127.0.0.1");
    local->set_port((*tunnel)->local_port());
    g_debug("connect to server: %s:%u......", local->host().c_str(), local->port());
    if (auto opened = open_direct(local); !opened) {
        // What the tunnel client said names the cause better than the session.
        const std::string cause = explain_tunnel_failure(settings, (*tunnel)->said());
        if (cause.empty())
            return opened; // a failed open stops the tunnel with `tunnel`
        Core::Error error = opened.error();
        error.message = cause + ": " + error.message;
        return Core::fail(std::move(error));
    }
    std::lock_guard lock(m_helpers_lock);
    m_tunnel = std::move(*tunnel);
    return {};
}

Core::Result<void> ConnectionImpl::open_recorded() {
    return uses_tunnel(m_server.get()) ? open_over_tunnel() : open_direct(m_server);
}

Core::Result<void> ConnectionImpl::open(const ServerPtr& server, const Core::ObjectPtr& context) {
    DIZEZIDA_RETURN_VAL_IF_NULL(server, Core::fail(misuse("server != NULL")));
    record(server, context);
    DIZEZIDA_TRY(open_recorded());
    m_opened.emit(*this);
    return {};
}

Core::Result<void> ConnectionImpl::reopen() {
    const ServerPtr server = get_server();
    DIZEZIDA_RETURN_VAL_IF_NULL(server, Core::fail(misuse("server != NULL")));
    DIZEZIDA_TRY(open_recorded());
    m_opened.emit(*this);
    return {};
}

void ConnectionImpl::close() {
    if (!provider_opened())
        return;
    if (auto closed = m_connection->close(); !closed)
        LoggingService::write(Contracts::Log::LogLevel::Risky, log_id(), closed.error().message);
    std::unique_ptr<TunnelProcess> tunnel;
    {
        std::lock_guard lock(m_helpers_lock);
        if (m_cache)
            m_cache->clear();
        tunnel = std::move(m_tunnel);
    }
    tunnel.reset(); // stops the tunnel child
    set_status(DBStatus::Closed);
    m_closed.emit(*this);
}

Core::Result<void> ConnectionImpl::update_version() { return {}; }

// ---------------------------------------------------------------- transactions

bool ConnectionImpl::require_opened(const char* function) const {
    if (provider_opened())
        return true;
    Core::precondition_failed(function, "m_connection.is_opened");
    return false;
}

Core::Result<void> ConnectionImpl::transaction() {
    if (!require_opened(__func__))
        return Core::fail(misuse("m_connection.is_opened"));
    return m_connection->transaction();
}

Core::Result<void> ConnectionImpl::rollback() {
    if (!require_opened(__func__))
        return Core::fail(misuse("m_connection.is_opened"));
    return m_connection->rollback();
}

Core::Result<void> ConnectionImpl::commit() {
    if (!require_opened(__func__))
        return Core::fail(misuse("m_connection.is_opened"));
    return m_connection->commit();
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::ConnectionImpl)

#include "provider/Contracts/Server.hpp"
#include "provider/Contracts/ServerSetting.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <glib.h>

#include <algorithm>

namespace Dizezida::Zozuvoru::Contracts {

Server::Server() {
    gchar* uuid = g_uuid_string_random();
    m_uuid = uuid;
    g_free(uuid);
}

std::shared_ptr<Server> Server::clone() const {
    return std::static_pointer_cast<Server>(Core::clone_object(*this));
}

const Core::TypeInfo& Server::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<Server, Object>(
        "DizezidaZozuvoruContractsServer",
        {
            prop("uuid", &Server::m_uuid),
            prop("name", &Server::m_name),
            prop("driver", &Server::m_driver, ReadWrite, std::string("PostgreSQL")),
            prop("host", &Server::m_host),
            prop("port", &Server::m_port, ReadWrite, 5432u),
            prop("username", &Server::m_username),
            prop("password", &Server::m_password),
            prop("initial", &Server::m_initial),
            prop("ssh-using", &Server::m_ssh_using),
            prop("ssh-process", &Server::m_ssh_process),
            prop("ssh-port", &Server::m_ssh_port, ReadWrite, 22u),
            prop("ssh-username", &Server::m_ssh_username),
            prop("ssh-password", &Server::m_ssh_password),
            prop("http-using", &Server::m_http_using),
            prop("http-process", &Server::m_http_process),
            prop("http-protocol", &Server::m_http_protocol),
            prop("http-host", &Server::m_http_host),
            prop("http-port", &Server::m_http_port),
            prop("http-auth", &Server::m_http_auth),
            prop("http-username", &Server::m_http_username),
            prop("http-password", &Server::m_http_password),
            prop("http-ca-file", &Server::m_http_ca_file),
            prop("http-cert-file", &Server::m_http_cert_file),
            prop("http-key-file", &Server::m_http_key_file),
            prop("ssl-using", &Server::m_ssl_using),
            prop("ssl-password", &Server::m_ssl_password),
            prop("ssh-host", &Server::m_ssh_host),
            prop("ssh-known-hosts-only", &Server::m_ssh_known_hosts_only),
        });
    return info;
}

void ServerSetting::add(ServerPtr server) {
    DIZEZIDA_RETURN_IF_NULL(server);
    for (ServerPtr& existing : m_servers)
        if (existing->uuid() == server->uuid()) {
            existing = std::move(server);
            notify("servers");
            return;
        }
    m_servers.push_back(std::move(server));
    notify("servers");
}

bool ServerSetting::remove(std::string_view uuid) {
    const auto removed = std::erase_if(
        m_servers, [uuid](const ServerPtr& server) { return server->uuid() == uuid; });
    if (removed)
        notify("servers");
    return removed > 0;
}

ServerPtr ServerSetting::find(std::string_view uuid) const {
    const auto found =
        std::find_if(m_servers.begin(), m_servers.end(),
                     [uuid](const ServerPtr& server) { return server->uuid() == uuid; });
    return found == m_servers.end() ? nullptr : *found;
}

ServerPtr ServerSetting::find_by_name(std::string_view name) const {
    const auto found =
        std::find_if(m_servers.begin(), m_servers.end(),
                     [name](const ServerPtr& server) { return server->name() == name; });
    return found == m_servers.end() ? nullptr : *found;
}

void ServerSetting::clear() {
    if (m_servers.empty())
        return;
    m_servers.clear();
    notify("servers");
}

const Core::TypeInfo& ServerSetting::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<ServerSetting, Core::Object>(
        "DizezidaZozuvoruContractsServerSetting",
        {Core::prop("servers", &ServerSetting::m_servers, Core::Readable)});
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::Server)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ServerSetting)

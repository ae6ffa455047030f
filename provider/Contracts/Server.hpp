// One saved server: where and how to open a session, with its tunnels and TLS.
//
// Every field is a read-write property (so settings files, the default clone
// and comparisons walk them); typed accessors are the short road. A new
// server gets a random uuid. Not synchronised: one thread at a time.
#pragma once

#include "core/Object.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace Dizezida::Zozuvoru::Contracts {

class Server : public Core::Object {
    DIZEZIDA_OBJECT(Server)
public:
    Server();
    static std::shared_ptr<Server> create() { return std::make_shared<Server>(); }
    /// An independent copy: every field, uuid included.
    std::shared_ptr<Server> clone() const;

    const std::string& uuid() const { return m_uuid; }
    const std::string& name() const { return m_name; }
    const std::string& driver() const { return m_driver; }
    const std::string& host() const { return m_host; }
    std::uint32_t port() const { return m_port; }
    const std::string& username() const { return m_username; }
    const std::string& password() const { return m_password; }
    /// The initial database.
    const std::string& initial() const { return m_initial; }

    bool ssh_using() const { return m_ssh_using; }
    const std::string& ssh_process() const { return m_ssh_process; }
    std::uint32_t ssh_port() const { return m_ssh_port; }
    const std::string& ssh_username() const { return m_ssh_username; }
    const std::string& ssh_password() const { return m_ssh_password; }
    /// The SSH server (a bastion) to log in to; "" means the server's own host.
    const std::string& ssh_host() const { return m_ssh_host; }
    /// Whether the SSH server's key must be known already (else a first key
    /// is accepted and remembered; a changed one is always refused).
    bool ssh_known_hosts_only() const { return m_ssh_known_hosts_only; }

    bool http_using() const { return m_http_using; }
    const std::string& http_process() const { return m_http_process; }
    const std::string& http_protocol() const { return m_http_protocol; }
    const std::string& http_host() const { return m_http_host; }
    std::int32_t http_port() const { return m_http_port; }
    bool http_auth() const { return m_http_auth; }
    const std::string& http_username() const { return m_http_username; }
    const std::string& http_password() const { return m_http_password; }
    const std::string& http_ca_file() const { return m_http_ca_file; }
    const std::string& http_cert_file() const { return m_http_cert_file; }
    const std::string& http_key_file() const { return m_http_key_file; }

    bool ssl_using() const { return m_ssl_using; }
    /// The pass phrase of the client key, for TLS.
    const std::string& ssl_password() const { return m_ssl_password; }

    void set_uuid(std::string v) { assign_and_notify(m_uuid, std::move(v), "uuid"); }
    void set_name(std::string v) { assign_and_notify(m_name, std::move(v), "name"); }
    void set_driver(std::string v) { assign_and_notify(m_driver, std::move(v), "driver"); }
    void set_host(std::string v) { assign_and_notify(m_host, std::move(v), "host"); }
    void set_port(std::uint32_t v) { assign_and_notify(m_port, v, "port"); }
    void set_username(std::string v) { assign_and_notify(m_username, std::move(v), "username"); }
    void set_password(std::string v) { assign_and_notify(m_password, std::move(v), "password"); }
    void set_initial(std::string v) { assign_and_notify(m_initial, std::move(v), "initial"); }
    void set_ssh_using(bool v) { assign_and_notify(m_ssh_using, v, "ssh-using"); }
    void set_ssh_process(std::string v) {
        assign_and_notify(m_ssh_process, std::move(v), "ssh-process");
    }
    void set_ssh_port(std::uint32_t v) { assign_and_notify(m_ssh_port, v, "ssh-port"); }
    void set_ssh_username(std::string v) {
        assign_and_notify(m_ssh_username, std::move(v), "ssh-username");
    }
    void set_ssh_password(std::string v) {
        assign_and_notify(m_ssh_password, std::move(v), "ssh-password");
    }
    void set_ssh_host(std::string v) { assign_and_notify(m_ssh_host, std::move(v), "ssh-host"); }
    void set_ssh_known_hosts_only(bool v) {
        assign_and_notify(m_ssh_known_hosts_only, v, "ssh-known-hosts-only");
    }
    void set_http_using(bool v) { assign_and_notify(m_http_using, v, "http-using"); }
    void set_http_process(std::string v) {
        assign_and_notify(m_http_process, std::move(v), "http-process");
    }
    void set_http_protocol(std::string v) {
        assign_and_notify(m_http_protocol, std::move(v), "http-protocol");
    }
    void set_http_host(std::string v) { assign_and_notify(m_http_host, std::move(v), "http-host"); }
    void set_http_port(std::int32_t v) { assign_and_notify(m_http_port, v, "http-port"); }
    void set_http_auth(bool v) { assign_and_notify(m_http_auth, v, "http-auth"); }
    void set_http_username(std::string v) {
        assign_and_notify(m_http_username, std::move(v), "http-username");
    }
    void set_http_password(std::string v) {
        assign_and_notify(m_http_password, std::move(v), "http-password");
    }
    void set_http_ca_file(std::string v) {
        assign_and_notify(m_http_ca_file, std::move(v), "http-ca-file");
    }
    void set_http_cert_file(std::string v) {
        assign_and_notify(m_http_cert_file, std::move(v), "http-cert-file");
    }
    void set_http_key_file(std::string v) {
        assign_and_notify(m_http_key_file, std::move(v), "http-key-file");
    }
    void set_ssl_using(bool v) { assign_and_notify(m_ssl_using, v, "ssl-using"); }
    void set_ssl_password(std::string v) {
        assign_and_notify(m_ssl_password, std::move(v), "ssl-password");
    }

private:
    std::string m_uuid;
    std::string m_name;
    std::string m_driver = "PostgreSQL";
    std::string m_host;
    std::uint32_t m_port = 5432;
    std::string m_username;
    std::string m_password;
    std::string m_initial;
    bool m_ssh_using = false;
    std::string m_ssh_process;
    std::uint32_t m_ssh_port = 22;
    std::string m_ssh_username;
    std::string m_ssh_password;
    std::string m_ssh_host;
    bool m_ssh_known_hosts_only = false;
    bool m_http_using = false;
    std::string m_http_process;
    std::string m_http_protocol;
    std::string m_http_host;
    std::int32_t m_http_port = 0;
    bool m_http_auth = false;
    std::string m_http_username;
    std::string m_http_password;
    std::string m_http_ca_file;
    std::string m_http_cert_file;
    std::string m_http_key_file;
    bool m_ssl_using = false;
    std::string m_ssl_password;
};

using ServerPtr = std::shared_ptr<Server>;

} // namespace Dizezida::Zozuvoru::Contracts

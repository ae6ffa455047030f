// Local tunnels to a server: an SSH client or an HTTP tunnel client started as
// a child process that forwards 127.0.0.1:(port + 10000) to the server.
//
// build_tunnel_command turns the tunnel settings of a saved server into the
// child's argument vector (one option, one value per element) and the
// environment that carries its secrets: passwords never appear in the
// argument vector. TunnelProcess starts the child, waits until the local end
// accepts connections, and stops the child when it is destroyed.
// Thread-safety: a TunnelProcess belongs to one connection; it is not shared.
#pragma once

#include "core/Error.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

/// The tunnel fields of a saved server.
struct TunnelSettings {
    std::string host;
    std::uint32_t port = 0;
    bool ssh_using = false;
    std::string ssh_process;
    std::uint32_t ssh_port = 22;
    std::string ssh_username;
    std::string ssh_password;
    bool http_using = false;
    std::string http_process;
    std::string http_protocol;
    std::string http_host;
    std::int32_t http_port = 0;
    bool http_auth = false;
    std::string http_username;
    std::string http_password;
    std::string http_ca_file;
    std::string http_cert_file;
    std::string http_key_file;

    bool uses_tunnel() const { return ssh_using || http_using; }
    /// The local forwarding port: the server's port + 10000 (32-bit unsigned).
    std::uint32_t local_port() const { return port + 10000u; }
};

/// What to start: the argument vector, extra environment entries, and a
/// secret to hand over in a private file (the file's path replaces the
/// element "{PASSWORD_FILE}" of the vector).
struct TunnelCommand {
    std::vector<std::string> argv;
    std::vector<std::pair<std::string, std::string>> environment;
    std::string password_file_content;

    bool empty() const { return argv.empty(); }
    static constexpr const char* k_password_file_marker = "{PASSWORD_FILE}";
};

/// The child to start for these settings; empty when no tunnel is in use.
/// The HTTP tunnel wins when both are set.
TunnelCommand build_tunnel_command(const TunnelSettings& settings);

/// A running tunnel child.
class TunnelProcess {
public:
    ~TunnelProcess();
    TunnelProcess(const TunnelProcess&) = delete;
    TunnelProcess& operator=(const TunnelProcess&) = delete;

    /// Starts the child and waits until 127.0.0.1:local_port accepts a TCP
    /// connection. Fails with the platform's error when the child cannot be
    /// started, and with a "can-not-open" SQL error (carrying what the child
    /// wrote to stderr) when it exits or the wait times out; the child is
    /// stopped in both cases.
    [[nodiscard]] static Core::Result<std::unique_ptr<TunnelProcess>>
    start(const TunnelCommand& command, std::uint32_t local_port,
          std::chrono::milliseconds timeout = std::chrono::seconds(15));

    /// Stops the child (terminate, then kill after a grace period).
    void stop();
    bool running() const;

private:
    struct State;
    explicit TunnelProcess(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace Dizezida::Dovodarud::Supports::Database

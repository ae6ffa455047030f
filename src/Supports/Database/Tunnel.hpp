// Local tunnels to a server: an SSH client or an HTTP tunnel client started as
// a child process that forwards a loopback port to the server.
//
// build_tunnel_command turns the tunnel settings of a saved server into the
// child's argument vector (one option, one value per element) and the
// environment that carries its secrets: passwords never appear in the
// argument vector. An SSH client logs in to `ssh_host` (a bastion; the
// server's own host when empty), gives up when it cannot listen on the local
// port (ExitOnForwardFailure), accepts and remembers an unknown host key
// unless only known hosts are allowed (a changed key is always refused), and
// runs without sshpass and in batch mode when there is no password (a key
// login).
//
// TunnelProcess::open picks the local port (the server's port + 10000 when
// free and held by no other tunnel of this process, else a free one;
// LocalPort.hpp), starts the child in its own process group, and waits until
// the child itself (or a process below it) listens there: a port some other
// program listens on is never used. It stops the whole group when it goes.
// Thread-safety: a TunnelProcess belongs to one connection; it is not shared.
#pragma once

#include "core/Error.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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
    std::string ssh_host; ///< the SSH server; "" for `host`
    bool ssh_known_hosts_only = false;

    bool uses_tunnel() const { return ssh_using || http_using; }
    /// The first choice of local port: the server's port + 10000 (32-bit unsigned).
    std::uint32_t local_port() const { return port + 10000u; }
    /// The SSH server to log in to.
    const std::string& ssh_destination() const { return ssh_host.empty() ? host : ssh_host; }
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

/// The child to start for these settings, listening on `local_port` (the
/// first choice when 0); empty when no tunnel is in use. The HTTP tunnel wins
/// when both are set.
TunnelCommand build_tunnel_command(const TunnelSettings& settings, std::uint32_t local_port = 0);

/// What a failed tunnel's client said, as a user can act on it: the SSH
/// server unreachable, the login or the host key refused, forwarding
/// refused; "" when the text says none of these, or the tunnel is not SSH.
std::string explain_tunnel_failure(const TunnelSettings& settings, std::string_view said);

/// A running tunnel child.
class TunnelProcess {
public:
    ~TunnelProcess();
    TunnelProcess(const TunnelProcess&) = delete;
    TunnelProcess& operator=(const TunnelProcess&) = delete;

    /// Opens the tunnel the settings describe on a local port of its own
    /// (another one when the client cannot listen on the first). Fails with
    /// a "can-not-open" SQL error that names the cause (the client missing
    /// from the search path, the SSH server unreachable, the login refused,
    /// ...); nothing is left running.
    [[nodiscard]] static Core::Result<std::unique_ptr<TunnelProcess>>
    open(const TunnelSettings& settings, std::chrono::milliseconds timeout = std::chrono::seconds(15));

    /// Starts the child and waits until it (or a process below it) listens
    /// on 127.0.0.1:local_port. Fails with the platform's error when the
    /// child cannot be started, and with a "can-not-open" SQL error (carrying
    /// what the child wrote to stderr) when it exits or the wait times out;
    /// the child is stopped in both cases.
    [[nodiscard]] static Core::Result<std::unique_ptr<TunnelProcess>>
    start(const TunnelCommand& command, std::uint32_t local_port,
          std::chrono::milliseconds timeout = std::chrono::seconds(15));

    /// The loopback port the tunnel listens on.
    std::uint32_t local_port() const;
    /// What the client wrote to its standard error so far.
    std::string said() const;

    /// Stops the child (terminate, then kill after a grace period).
    void stop();
    bool running() const;

private:
    struct State;
    explicit TunnelProcess(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace Dizezida::Dovodarud::Supports::Database

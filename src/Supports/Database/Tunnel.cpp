#include "Supports/Database/Tunnel.hpp"

#include "Exceptions/SQLError.hpp"
#include "Supports/Database/LocalPort.hpp"

#include <fmt/format.h>
#include <gio/gio.h>
#include <glib/gstdio.h>

#include <unistd.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

using Exceptions::SQLError;

Core::Error cannot_open(std::string message) {
    return Core::Error::sql(static_cast<int>(SQLError::CAN_NOT_OPEN), std::move(message));
}

std::string forwarding(const TunnelSettings& s, std::uint32_t local_port) {
    return fmt::format("127.0.0.1:{}:{}:{}", local_port, s.host, s.port);
}

TunnelCommand ssh_command(const TunnelSettings& s, std::uint32_t local_port) {
    TunnelCommand command;
    if (s.ssh_process.find("plink") != std::string::npos) {
        // plink never asks (-batch): a host key it does not know yet ends it.
        command.argv = {s.ssh_process, s.ssh_destination(), "-P", std::to_string(s.ssh_port), "-l",
                        s.ssh_username, "-batch"};
        if (!s.ssh_password.empty()) {
            command.argv.insert(command.argv.end(), {"-pwfile", TunnelCommand::k_password_file_marker});
            command.password_file_content = s.ssh_password;
        }
        command.argv.insert(command.argv.end(), {"-N", "-L", forwarding(s, local_port)});
        return command;
    }
    const bool key_login = s.ssh_password.empty();
    if (!key_login) {
        command.argv = {"sshpass", "-e"};
        command.environment.emplace_back("SSHPASS", s.ssh_password);
    }
    const std::string ssh = s.ssh_process.empty() ? std::string("ssh") : s.ssh_process;
    command.argv.insert(command.argv.end(),
                        {ssh, s.ssh_destination(), "-p", std::to_string(s.ssh_port), "-l", s.ssh_username,
                         "-o", "ExitOnForwardFailure=yes", "-o",
                         s.ssh_known_hosts_only ? "StrictHostKeyChecking=yes"
                                                : "StrictHostKeyChecking=accept-new",
                         "-o", "ConnectTimeout=10", "-o", "ServerAliveInterval=30"});
    if (key_login)
        command.argv.insert(command.argv.end(), {"-o", "BatchMode=yes"});
    command.argv.insert(command.argv.end(), {"-N", "-L", forwarding(s, local_port)});
    return command;
}

TunnelCommand http_command(const TunnelSettings& s, std::uint32_t local_port) {
    TunnelCommand command;
    const std::string server = fmt::format("{}://{}:{}", s.http_protocol, s.http_host, s.http_port);
    if (s.http_process.find("wstunnel") != std::string::npos) {
        command.argv = {s.http_process, "client", "-L",
                        fmt::format("tcp://{}:{}:{}", local_port, s.host, s.port), server};
        return command;
    }
    command.argv = {s.http_process, "client"};
    if (s.http_auth)
        command.environment.emplace_back("AUTH", s.http_username + ":" + s.http_password);
    if (s.http_protocol == "https" || s.http_protocol == "wss") {
        for (const auto& [option, value] : {std::pair{"--tls-ca", s.http_ca_file},
                                            std::pair{"--tls-cert", s.http_cert_file},
                                            std::pair{"--tls-key", s.http_key_file}}) {
            command.argv.emplace_back(option);
            command.argv.push_back(value);
        }
    }
    command.argv.push_back(server);
    command.argv.push_back(forwarding(s, local_port));
    return command;
}

std::string read_text(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    std::string result = text.str();
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return result;
}

/// A file only the user can read, removed with this object.
struct PrivateFile {
    std::string path;
    ~PrivateFile() {
        if (!path.empty())
            g_unlink(path.c_str());
    }
    bool create(const char* name_template, const std::string& content) {
        GError* error = nullptr;
        gchar* name = nullptr;
        const int fd = g_file_open_tmp(name_template, &name, &error);
        g_clear_error(&error);
        if (fd < 0)
            return false;
        path = name;
        g_free(name);
        fchmod(fd, 0600);
        const bool written = write(fd, content.data(), content.size()) ==
                             static_cast<ssize_t>(content.size());
        close(fd);
        return written;
    }
};

/// The child leads a process group of its own: a terminal's Ctrl-C does not
/// reach it (the session is closed first), and stopping the group stops
/// what it started (sshpass runs ssh).
void own_process_group(gpointer) {
    setpgid(0, 0);
}

bool contains(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
        if (text.find(part) != std::string_view::npos)
            return true;
    return false;
}

/// Whether the client said it could not listen on the local port.
bool could_not_listen(std::string_view said) {
    return contains(said, {"Address already in use", "cannot listen to port",
                           "Could not request local forwarding"});
}

} // namespace

TunnelCommand build_tunnel_command(const TunnelSettings& settings, std::uint32_t local_port) {
    if (local_port == 0)
        local_port = settings.local_port();
    if (settings.http_using)
        return http_command(settings, local_port);
    if (settings.ssh_using)
        return ssh_command(settings, local_port);
    return {};
}

std::string explain_tunnel_failure(const TunnelSettings& s, std::string_view said) {
    if (s.http_using || !s.ssh_using)
        return {}; // the words below are an SSH client's
    const std::string where = fmt::format("{}:{}", s.ssh_destination(), s.ssh_port);
    if (contains(said, {"REMOTE HOST IDENTIFICATION HAS CHANGED", "Host key verification failed",
                        "host key is not cached", "POTENTIAL SECURITY BREACH"}))
        return fmt::format("the SSH server {} has a host key that is not the known one, or not "
                           "known yet where only known hosts are allowed",
                           where);
    if (contains(said, {"Permission denied", "Authentication failed", "Access denied",
                        "Too many authentication failures", "authentication"}))
        return fmt::format("the SSH server {} refused the login of {}", where, s.ssh_username);
    if (contains(said, {"Could not resolve hostname", "Name or service not known", "Connection refused",
                        "Connection timed out", "No route to host", "Network is unreachable",
                        "Connection closed by", "Host does not exist", "Connection reset"}))
        return fmt::format("the SSH server {} cannot be reached", where);
    if (contains(said, {"open failed", "administratively prohibited", "forwarding failed",
                        "Forwarded connection refused"}))
        return fmt::format("the SSH server {} refused to forward to {}:{}", where, s.host, s.port);
    return {};
}

struct TunnelProcess::State {
    GSubprocess* child = nullptr;
    int pid = -1;
    std::uint32_t local_port = 0;
    std::optional<PortReservation> reservation;
    PrivateFile stderr_file;
    PrivateFile password_file;

    ~State() {
        if (child)
            g_object_unref(child);
    }
};

TunnelProcess::TunnelProcess(std::unique_ptr<State> state) : m_state(std::move(state)) {}

TunnelProcess::~TunnelProcess() { stop(); }

std::uint32_t TunnelProcess::local_port() const { return m_state ? m_state->local_port : 0; }

std::string TunnelProcess::said() const {
    return m_state ? read_text(m_state->stderr_file.path) : std::string();
}

bool TunnelProcess::running() const {
    return m_state && m_state->child && g_subprocess_get_identifier(m_state->child) != nullptr;
}

void TunnelProcess::stop() {
    if (!running())
        return;
    // The whole group: sshpass and the ssh it started.
    ::kill(-m_state->pid, SIGTERM);
    for (int i = 0; i < 40 && running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (running())
        ::kill(-m_state->pid, SIGKILL);
    g_subprocess_wait(m_state->child, nullptr, nullptr);
}

Core::Result<std::unique_ptr<TunnelProcess>>
TunnelProcess::start(const TunnelCommand& command, std::uint32_t local_port,
                     std::chrono::milliseconds timeout) {
    auto state = std::make_unique<State>();
    state->local_port = local_port;
    std::vector<std::string> argv = command.argv;
    for (auto& element : argv) {
        if (element != TunnelCommand::k_password_file_marker)
            continue;
        if (!state->password_file.create("dizezida-tunnel-XXXXXX", command.password_file_content))
            return Core::fail(Core::Error::sql(static_cast<int>(SQLError::IO),
                                               "cannot write the tunnel password file"));
        element = state->password_file.path;
    }
    state->stderr_file.create("dizezida-tunnel-err-XXXXXX", "");

    GSubprocessLauncher* launcher = g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
        G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDIN_PIPE));
    g_subprocess_launcher_set_stderr_file_path(launcher, state->stderr_file.path.empty()
                                                             ? nullptr
                                                             : state->stderr_file.path.c_str());
    g_subprocess_launcher_set_child_setup(launcher, own_process_group, nullptr, nullptr);
    for (const auto& [name, value] : command.environment)
        g_subprocess_launcher_setenv(launcher, name.c_str(), value.c_str(), TRUE);
    std::vector<const gchar*> raw;
    for (const auto& element : argv)
        raw.push_back(element.c_str());
    raw.push_back(nullptr);
    GError* error = nullptr;
    state->child = g_subprocess_launcher_spawnv(launcher, raw.data(), &error);
    g_object_unref(launcher);
    if (!state->child) {
        Core::Error failure{g_quark_to_string(error->domain), error->code, error->message};
        g_error_free(error);
        return Core::fail(std::move(failure));
    }
    state->pid = std::atoi(g_subprocess_get_identifier(state->child));

    std::unique_ptr<TunnelProcess> process(new TunnelProcess(std::move(state)));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (port_listener(local_port, process->m_state->pid) != Listener::ours) {
        if (!process->running()) {
            const std::string said = process->said();
            process->stop();
            return Core::fail(cannot_open(fmt::format("the tunnel tool {} exited before 127.0.0.1:{} was open{}{}",
                                                      argv[0], local_port, said.empty() ? "" : ": ", said)));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            const std::string said = process->said();
            process->stop();
            return Core::fail(cannot_open(fmt::format("the tunnel tool {} did not open 127.0.0.1:{} within {} ms{}{}",
                                                      argv[0], local_port, timeout.count(),
                                                      said.empty() ? "" : ": ", said)));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return process;
}

Core::Result<std::unique_ptr<TunnelProcess>> TunnelProcess::open(const TunnelSettings& settings,
                                                                 std::chrono::milliseconds timeout) {
    auto reservation = PortReservation::reserve(settings.local_port());
    for (int attempt = 0;; ++attempt) {
        if (!reservation)
            return Core::fail(std::move(reservation).error());
        const TunnelCommand command = build_tunnel_command(settings, reservation->port());
        auto started = start(command, reservation->port(), timeout);
        if (started) {
            (*started)->m_state->reservation.emplace(std::move(*reservation));
            return started;
        }
        const Core::Error& failure = started.error();
        if (failure.domain == "g-exec-error-quark" || failure.domain == "g-spawn-error-quark" ||
            failure.message.find("Failed to run command") != std::string::npos) // sshpass's
            return Core::fail(cannot_open(fmt::format(
                "the tunnel client {} cannot be started (is it installed and on the search path?): {}",
                command.argv.empty() ? std::string() : command.argv[0], failure.message)));
        // Something took the port between the check and the client's bind.
        if (attempt < 2 && could_not_listen(failure.message)) {
            reservation = PortReservation::reserve_other();
            continue;
        }
        const std::string cause = explain_tunnel_failure(settings, failure.message);
        if (cause.empty())
            return Core::fail(failure);
        return Core::fail(cannot_open(cause + " (" + failure.message + ")"));
    }
}

} // namespace Dizezida::Dovodarud::Supports::Database

#include "Supports/Database/Tunnel.hpp"

#include "Exceptions/SQLError.hpp"

#include <fmt/format.h>
#include <gio/gio.h>
#include <glib/gstdio.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

using Exceptions::SQLError;

std::string forwarding(const TunnelSettings& s) {
    return fmt::format("127.0.0.1:{}:{}:{}", s.local_port(), s.host, s.port);
}

TunnelCommand ssh_command(const TunnelSettings& s) {
    TunnelCommand command;
    if (s.ssh_process.find("plink") != std::string::npos) {
        command.argv = {s.ssh_process, s.host, "-P", std::to_string(s.ssh_port), "-l",
                        s.ssh_username, "-pwfile", TunnelCommand::k_password_file_marker,
                        "-N", "-L", forwarding(s)};
        command.password_file_content = s.ssh_password;
    } else {
        command.argv = {"sshpass", "-e", s.ssh_process, s.host, "-p", std::to_string(s.ssh_port),
                        "-l", s.ssh_username, "-N", "-L", forwarding(s)};
        command.environment.emplace_back("SSHPASS", s.ssh_password);
    }
    return command;
}

TunnelCommand http_command(const TunnelSettings& s) {
    TunnelCommand command;
    const std::string server = fmt::format("{}://{}:{}", s.http_protocol, s.http_host, s.http_port);
    if (s.http_process.find("wstunnel") != std::string::npos) {
        command.argv = {s.http_process, "client", "-L",
                        fmt::format("tcp://{}:{}:{}", s.local_port(), s.host, s.port), server};
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
    command.argv.push_back(forwarding(s));
    return command;
}

bool port_accepts(std::uint32_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
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

} // namespace

TunnelCommand build_tunnel_command(const TunnelSettings& settings) {
    if (settings.http_using)
        return http_command(settings);
    if (settings.ssh_using)
        return ssh_command(settings);
    return {};
}

struct TunnelProcess::State {
    GSubprocess* child = nullptr;
    PrivateFile stderr_file;
    PrivateFile password_file;

    ~State() {
        if (child)
            g_object_unref(child);
    }
};

TunnelProcess::TunnelProcess(std::unique_ptr<State> state) : m_state(std::move(state)) {}

TunnelProcess::~TunnelProcess() { stop(); }

bool TunnelProcess::running() const {
    return m_state && m_state->child && g_subprocess_get_identifier(m_state->child) != nullptr;
}

void TunnelProcess::stop() {
    if (!running())
        return;
    g_subprocess_send_signal(m_state->child, SIGTERM);
    for (int i = 0; i < 40 && running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (running())
        g_subprocess_force_exit(m_state->child);
    g_subprocess_wait(m_state->child, nullptr, nullptr);
}

Core::Result<std::unique_ptr<TunnelProcess>>
TunnelProcess::start(const TunnelCommand& command, std::uint32_t local_port,
                     std::chrono::milliseconds timeout) {
    auto state = std::make_unique<State>();
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

    GSubprocessLauncher* launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDOUT_SILENCE);
    g_subprocess_launcher_set_stderr_file_path(launcher, state->stderr_file.path.empty()
                                                             ? nullptr
                                                             : state->stderr_file.path.c_str());
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

    std::unique_ptr<TunnelProcess> process(new TunnelProcess(std::move(state)));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!port_accepts(local_port)) {
        if (!process->running()) {
            const std::string said = read_text(process->m_state->stderr_file.path);
            return Core::fail(Core::Error::sql(
                static_cast<int>(SQLError::CAN_NOT_OPEN),
                fmt::format("the tunnel tool {} exited before 127.0.0.1:{} was open{}{}", argv[0],
                            local_port, said.empty() ? "" : ": ", said)));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            process->stop();
            return Core::fail(Core::Error::sql(
                static_cast<int>(SQLError::CAN_NOT_OPEN),
                fmt::format("the tunnel tool {} did not open 127.0.0.1:{} within {} ms", argv[0],
                            local_port, timeout.count())));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return process;
}

} // namespace Dizezida::Dovodarud::Supports::Database

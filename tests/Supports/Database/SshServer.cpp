#include "tests/Supports/Database/SshServer.hpp"

#include <glib.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace Dizezida::Testing {
namespace {

int run(const std::string& command) { return std::system(command.c_str()); }

bool accepts(unsigned port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

} // namespace

SshServer::SshServer() {
    m_lock = open("/tmp/dizezida-tunnel-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0666);
    if (m_lock >= 0)
        flock(m_lock, LOCK_EX);
    if (geteuid() != 0) {
        m_failure = "the sshd test needs root";
        return;
    }
    if (!std::filesystem::exists("/usr/sbin/sshd") || !g_find_program_in_path("sshpass")) {
        m_failure = "openssh-server or sshpass is missing (scripts/deps.sh installs them)";
        return;
    }
    gchar* folder = g_dir_make_tmp("dizezida-sshd-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    std::filesystem::create_directories("/run/sshd");
    if (run("id -u " + std::string(user) + " >/dev/null 2>&1 || useradd -M -s /bin/sh " + user) != 0 ||
        run("echo '" + std::string(user) + ":tun;nel=pass '\\''word\"' | chpasswd") != 0 ||
        run("ssh-keygen -q -t ed25519 -N '' -f " + m_folder + "/host_key") != 0 ||
        run("ssh-keygen -q -t ed25519 -N '' -f " + m_folder + "/user_key") != 0 ||
        run("cp " + m_folder + "/user_key.pub " + m_folder + "/authorized_keys") != 0 ||
        run("chmod 0755 " + m_folder + " && chmod 0644 " + m_folder + "/authorized_keys") != 0) {
        m_failure = "cannot prepare the test user or the host key";
        return;
    }
    m_client = m_folder + "/ssh-client";
    std::ofstream(m_client) << "#!/bin/sh\nexec ssh -o StrictHostKeyChecking=no "
                               "-o UserKnownHostsFile=/dev/null -o LogLevel=ERROR \"$@\"\n";
    std::filesystem::permissions(m_client, std::filesystem::perms::owner_all);
    m_key_client = m_folder + "/ssh-key-client";
    std::ofstream(m_key_client) << "#!/bin/sh\nexec ssh -i " << m_folder
                                << "/user_key -o IdentitiesOnly=yes -o StrictHostKeyChecking=no "
                                   "-o UserKnownHostsFile=/dev/null -o LogLevel=ERROR \"$@\"\n";
    std::filesystem::permissions(m_key_client, std::filesystem::perms::owner_all);

    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 10 && m_pid < 0; ++attempt) {
        m_port = 20000 + random() % 30000;
        const std::string config = m_folder + "/sshd_config";
        std::ofstream(config) << "Port " << m_port << "\nListenAddress 127.0.0.1\n"
                              << "HostKey " << m_folder << "/host_key\n"
                              << "PidFile " << m_folder << "/sshd.pid\n"
                              << "PasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
                              << "UsePAM no\nStrictModes no\nAllowTcpForwarding yes\n"
                              << "PermitRootLogin no\n"
                              << "AuthorizedKeysFile " << m_folder << "/authorized_keys\n";
        const pid_t pid = fork();
        if (pid == 0) {
            execl("/usr/sbin/sshd", "/usr/sbin/sshd", "-D", "-e", "-f", config.c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (accepts(m_port)) {
                m_pid = pid;
                break;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (m_pid < 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    if (m_pid < 0)
        m_failure = "sshd did not start";
}

SshServer::~SshServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder);
    if (m_lock >= 0)
        close(m_lock); // releases the lock
}

Squatter::Squatter(unsigned port) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 4) != 0) {
        close(fd);
        fd = -1;
    }
}

Squatter::~Squatter() {
    if (fd >= 0)
        close(fd);
}

} // namespace Dizezida::Testing

#include "Supports/Database/LocalPort.hpp"

#include "Exceptions/SQLError.hpp"

#include <fmt/format.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

struct HeldPorts {
    std::mutex lock;
    std::set<std::uint32_t> ports;
};

HeldPorts& held() {
    static HeldPorts instance;
    return instance;
}

/// Binds 127.0.0.1:port (0: any) without SO_REUSEADDR; the bound port, or 0
/// when something listens there (or holds it).
std::uint32_t try_bind(std::uint32_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::uint32_t bound = 0;
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        bound = ntohs(address.sin_port);
    close(fd);
    return bound;
}

Core::Error no_port() {
    return Core::Error::sql(static_cast<int>(Exceptions::SQLError::CAN_NOT_OPEN),
                            "no free local port for the tunnel");
}

/// Inodes of the sockets listening on `port` (IPv4 and IPv6).
std::set<std::string> listening_inodes(std::uint32_t port) {
    std::set<std::string> inodes;
    const std::string wanted = fmt::format(":{:04X}", port);
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line); // the header
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::vector<std::string> field;
            for (std::string each; fields >> each && field.size() < 10;)
                field.push_back(each);
            // sl local remote state queues timer retransmits uid timeout inode
            if (field.size() == 10 && field[3] == "0A" && field[1].ends_with(wanted))
                inodes.insert(field[9]);
        }
    }
    return inodes;
}

/// `pid` and every process below it.
std::set<int> process_tree(int pid) {
    std::multimap<int, int> children;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc)) {
            const int child = std::atoi(entry->d_name);
            if (child <= 0)
                continue;
            std::ifstream stat(fmt::format("/proc/{}/stat", child));
            std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
            const auto end_of_name = text.rfind(')');
            if (end_of_name == std::string::npos)
                continue;
            std::istringstream rest(text.substr(end_of_name + 1));
            std::string state;
            int parent = 0;
            if (rest >> state >> parent)
                children.emplace(parent, child);
        }
        closedir(proc);
    }
    std::set<int> tree{pid};
    std::vector<int> open{pid};
    while (!open.empty()) {
        const int current = open.back();
        open.pop_back();
        const auto [first, last] = children.equal_range(current);
        for (auto it = first; it != last; ++it)
            if (tree.insert(it->second).second)
                open.push_back(it->second);
    }
    return tree;
}

bool holds_socket(int pid, const std::set<std::string>& inodes) {
    const std::string folder = fmt::format("/proc/{}/fd", pid);
    DIR* fds = opendir(folder.c_str());
    if (!fds)
        return false;
    bool found = false;
    char target[64];
    while (const dirent* entry = readdir(fds)) {
        if (entry->d_name[0] == '.')
            continue;
        const ssize_t size = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (size <= 0)
            continue;
        const std::string_view link(target, static_cast<std::size_t>(size));
        if (link.starts_with("socket:[") && link.ends_with("]") &&
            inodes.contains(std::string(link.substr(8, link.size() - 9)))) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

} // namespace

Core::Result<PortReservation> PortReservation::reserve(std::uint32_t preferred) {
    {
        HeldPorts& registry = held();
        std::lock_guard lock(registry.lock);
        if (preferred > 0 && preferred < 65536 && !registry.ports.contains(preferred) &&
            try_bind(preferred) == preferred) {
            registry.ports.insert(preferred);
            return PortReservation(preferred);
        }
    }
    return reserve_other();
}

Core::Result<PortReservation> PortReservation::reserve_other() {
    HeldPorts& registry = held();
    std::lock_guard lock(registry.lock);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::uint32_t port = try_bind(0);
        if (port != 0 && !registry.ports.contains(port)) {
            registry.ports.insert(port);
            return PortReservation(port);
        }
    }
    return Core::fail(no_port());
}

PortReservation::PortReservation(PortReservation&& other) noexcept
    : m_port(std::exchange(other.m_port, 0)) {}

PortReservation& PortReservation::operator=(PortReservation&& other) noexcept {
    if (this != &other) {
        PortReservation released(std::move(*this));
        m_port = std::exchange(other.m_port, 0);
    }
    return *this;
}

PortReservation::~PortReservation() {
    if (m_port == 0)
        return;
    HeldPorts& registry = held();
    std::lock_guard lock(registry.lock);
    registry.ports.erase(m_port);
}

Listener port_listener(std::uint32_t port, int pid) {
    const std::set<std::string> inodes = listening_inodes(port);
    if (inodes.empty())
        return Listener::none;
    for (const int member : process_tree(pid))
        if (holds_socket(member, inodes))
            return Listener::ours;
    return Listener::other;
}

} // namespace Dizezida::Dovodarud::Supports::Database

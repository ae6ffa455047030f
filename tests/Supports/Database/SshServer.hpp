// A throw-away sshd on a free loopback port, for tunnel tests: its own host
// key, a test user with a password, forwarding allowed. Needs root (password
// authentication of another user) and openssh-server.
//
// Tunnel tests forward the same local port (the test cluster's + 10000) and
// edit the same system user, so an SshServer holds a lock file for its whole
// life: test processes that run at the same time take turns.
#pragma once

#include <string>

namespace Dizezida::Testing {

class SshServer {
public:
    SshServer();
    ~SshServer();
    SshServer(const SshServer&) = delete;
    SshServer& operator=(const SshServer&) = delete;

    /// Empty when the server runs, else why it could not start.
    const std::string& failure() const { return m_failure; }
    unsigned port() const { return m_port; }
    static constexpr const char* user = "dizezidatunnel";
    static constexpr const char* password = "tun;nel=pass 'word\"";
    /// An ssh client wrapper that trusts the throw-away host key.
    const std::string& client() const { return m_client; }
    /// The same with the test user's private key (its public key is authorised).
    const std::string& key_client() const { return m_key_client; }
    int pid() const { return m_pid; }

private:
    std::string m_folder;
    std::string m_client;
    std::string m_key_client;
    std::string m_failure;
    unsigned m_port = 0;
    int m_pid = -1;
    int m_lock = -1; ///< held while the server lives: one tunnel test at a time
};

/// A listener on 127.0.0.1:port for its life (`fd` -1 when it could not
/// bind), standing where a tunnel would listen. It reuses the address: a
/// tunnel that just used the port may leave connections in TIME_WAIT.
struct Squatter {
    explicit Squatter(unsigned port);
    ~Squatter();
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;
    int fd = -1;
};

} // namespace Dizezida::Testing

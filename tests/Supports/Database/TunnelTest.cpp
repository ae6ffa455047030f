#include "Supports/Database/Tunnel.hpp"

#include "Supports/Database/LocalPort.hpp"

#include "tests/Supports/Database/SshServer.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>

using namespace Dizezida::Dovodarud::Supports::Database;
using Strings = std::vector<std::string>;

namespace {

TunnelSettings ssh_settings(std::string program) {
    TunnelSettings s;
    s.host = "db.example";
    s.port = 5432;
    s.ssh_using = true;
    s.ssh_process = std::move(program);
    s.ssh_port = 22;
    s.ssh_username = "alice";
    s.ssh_password = "se;cret";
    return s;
}

TunnelSettings http_settings(std::string program, std::string protocol, bool auth) {
    TunnelSettings s;
    s.host = "db.example";
    s.port = 5432;
    s.http_using = true;
    s.http_process = std::move(program);
    s.http_protocol = std::move(protocol);
    s.http_host = "gw.example";
    s.http_port = 8443;
    s.http_auth = auth;
    s.http_username = "bob";
    s.http_password = "pw";
    s.http_ca_file = "/ca.pem";
    s.http_cert_file = "/cert.pem";
    s.http_key_file = "/key.pem";
    return s;
}

bool mentions(const TunnelCommand& command, const std::string& secret) {
    for (const auto& element : command.argv)
        if (element.find(secret) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(TunnelCommand, NoTunnelBuildsNothing) {
    TunnelSettings s;
    s.host = "h";
    s.port = 5432;
    EXPECT_TRUE(build_tunnel_command(s).empty());
    EXPECT_EQ(s.local_port(), 15432u);
}

TEST(TunnelCommand, SshThroughSshpassKeepsThePasswordInTheEnvironment) {
    const TunnelCommand command = build_tunnel_command(ssh_settings("/usr/bin/ssh"));
    EXPECT_EQ(command.argv,
              (Strings{"sshpass", "-e", "/usr/bin/ssh", "db.example", "-p", "22", "-l", "alice", "-o",
                       "ExitOnForwardFailure=yes", "-o", "StrictHostKeyChecking=accept-new", "-o",
                       "ConnectTimeout=10", "-o", "ServerAliveInterval=30", "-N", "-L",
                       "127.0.0.1:15432:db.example:5432"}));
    ASSERT_EQ(command.environment.size(), 1u);
    EXPECT_EQ(command.environment[0].first, "SSHPASS");
    EXPECT_EQ(command.environment[0].second, "se;cret");
    EXPECT_FALSE(mentions(command, "se;cret"));
}

TEST(TunnelCommand, KeyLoginThroughABastionOnAChosenPort) {
    TunnelSettings s = ssh_settings("");
    s.ssh_password.clear();
    s.ssh_host = "bastion.example";
    s.ssh_port = 2222;
    s.ssh_known_hosts_only = true;
    const TunnelCommand command = build_tunnel_command(s, 40001);
    EXPECT_EQ(command.argv,
              (Strings{"ssh", "bastion.example", "-p", "2222", "-l", "alice", "-o",
                       "ExitOnForwardFailure=yes", "-o", "StrictHostKeyChecking=yes", "-o",
                       "ConnectTimeout=10", "-o", "ServerAliveInterval=30", "-o", "BatchMode=yes", "-N",
                       "-L", "127.0.0.1:40001:db.example:5432"}));
    EXPECT_TRUE(command.environment.empty());
}

TEST(TunnelCommand, PlinkReadsThePasswordFromAPrivateFile) {
    const TunnelCommand command = build_tunnel_command(ssh_settings("C:/tools/plink.exe"));
    EXPECT_EQ(command.argv,
              (Strings{"C:/tools/plink.exe", "db.example", "-P", "22", "-l", "alice", "-batch",
                       "-pwfile", TunnelCommand::k_password_file_marker, "-N", "-L",
                       "127.0.0.1:15432:db.example:5432"}));
    EXPECT_EQ(command.password_file_content, "se;cret");
    EXPECT_FALSE(mentions(command, "se;cret"));
}

TEST(TunnelCommand, FailuresAreNamedFromWhatTheClientSaid) {
    const TunnelSettings s = ssh_settings("ssh");
    const auto cause = [&](std::string_view said) { return explain_tunnel_failure(s, said); };
    EXPECT_EQ(cause("alice@db.example: Permission denied (publickey,password)."),
              "the SSH server db.example:22 refused the login of alice");
    EXPECT_EQ(cause("ssh: connect to host db.example port 22: Connection refused"),
              "the SSH server db.example:22 cannot be reached");
    EXPECT_EQ(cause("ssh: Could not resolve hostname db.example: Name or service not known"),
              "the SSH server db.example:22 cannot be reached");
    EXPECT_NE(cause("@@@ WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED! @@@\nHost key "
                    "verification failed.")
                  .find("host key"),
              std::string::npos);
    EXPECT_EQ(cause("channel 2: open failed: administratively prohibited: open failed"),
              "the SSH server db.example:22 refused to forward to db.example:5432");
    EXPECT_EQ(cause("something else"), "");
}

TEST(TunnelCommand, HttpWinsOverSsh) {
    TunnelSettings s = http_settings("/opt/wstunnel", "wss", false);
    s.ssh_using = true;
    s.ssh_process = "ssh";
    const TunnelCommand command = build_tunnel_command(s);
    EXPECT_EQ(command.argv, (Strings{"/opt/wstunnel", "client", "-L",
                                     "tcp://15432:db.example:5432", "wss://gw.example:8443"}));
}

TEST(TunnelCommand, OtherHttpClientWithAuthAndTls) {
    const TunnelCommand command = build_tunnel_command(http_settings("/opt/tunnel", "wss", true));
    EXPECT_EQ(command.argv,
              (Strings{"/opt/tunnel", "client", "--tls-ca", "/ca.pem", "--tls-cert", "/cert.pem",
                       "--tls-key", "/key.pem", "wss://gw.example:8443",
                       "127.0.0.1:15432:db.example:5432"}));
    ASSERT_EQ(command.environment.size(), 1u);
    EXPECT_EQ(command.environment[0], (std::pair<std::string, std::string>{"AUTH", "bob:pw"}));
    EXPECT_FALSE(mentions(command, "bob:pw"));
}

TEST(TunnelCommand, OtherHttpClientWithoutTlsOrAuth) {
    for (const char* protocol : {"http", "ws"}) {
        const TunnelCommand command =
            build_tunnel_command(http_settings("/opt/tunnel", protocol, false));
        EXPECT_EQ(command.argv, (Strings{"/opt/tunnel", "client",
                                         std::string(protocol) + "://gw.example:8443",
                                         "127.0.0.1:15432:db.example:5432"}));
        EXPECT_TRUE(command.environment.empty());
    }
}

TEST(TunnelProcess, MissingProgramFailsWithThePlatformError) {
    TunnelCommand command;
    command.argv = {"/nonexistent/tunnel-tool", "client"};
    auto started = TunnelProcess::start(command, 1);
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().domain, "g-exec-error-quark");
}

TEST(TunnelProcess, ChildThatExitsEarlyReportsWhatItSaid) {
    TunnelCommand command;
    command.argv = {"sh", "-c", "echo 'no route to gateway' >&2; exit 3"};
    auto started = TunnelProcess::start(command, 1);
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().code, 30015);
    EXPECT_NE(started.error().message.find("no route to gateway"), std::string::npos);
}

TEST(TunnelProcess, ChildThatNeverListensTimesOutAndIsStopped) {
    TunnelCommand command;
    command.argv = {"sleep", "30"};
    const auto begin = std::chrono::steady_clock::now();
    auto started = TunnelProcess::start(command, 1, std::chrono::milliseconds(300));
    ASSERT_FALSE(started);
    EXPECT_NE(started.error().message.find("did not open"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

namespace {

std::uint32_t test_port() {
    std::smatch port_match;
    const std::string conninfo = Dizezida::Testing::test_conninfo();
    EXPECT_TRUE(std::regex_search(conninfo, port_match, std::regex("port=(\\d+)")));
    return static_cast<std::uint32_t>(std::stoul(port_match[1]));
}

TunnelSettings sshd_settings(const Dizezida::Testing::SshServer& sshd) {
    TunnelSettings s;
    s.host = "127.0.0.1";
    s.port = test_port();
    s.ssh_using = true;
    s.ssh_process = sshd.client();
    s.ssh_port = sshd.port();
    s.ssh_username = Dizezida::Testing::SshServer::user;
    s.ssh_password = Dizezida::Testing::SshServer::password;
    return s;
}

/// The system identifier of the cluster listening on 127.0.0.1:port ("" when none answers).
std::string system_identifier(std::uint32_t port) {
    const std::string through = "host=127.0.0.1 port=" + std::to_string(port) +
                                " user=postgres dbname=postgres connect_timeout=10";
    std::unique_ptr<PGconn, decltype(&PQfinish)> session(PQconnectdb(through.c_str()), PQfinish);
    if (PQstatus(session.get()) != CONNECTION_OK)
        return {};
    std::unique_ptr<PGresult, decltype(&PQclear)> result(
        PQexec(session.get(), "SELECT system_identifier FROM pg_catalog.pg_control_system()"), PQclear);
    return PQntuples(result.get()) == 1 ? PQgetvalue(result.get(), 0, 0) : "";
}

/// Tunnel clients of this sshd still running.
int clients_left(const Dizezida::Testing::SshServer& sshd) {
    int count = 0;
    const std::string port = std::to_string(sshd.port());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline");
        std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (line.find("ExitOnForwardFailure") != std::string::npos &&
            line.find(std::string(1, '\0') + port + std::string(1, '\0')) != std::string::npos)
            ++count;
    }
    return count;
}

} // namespace

TEST(LocalPort, ReservationsAvoidListenersAndEachOther) {
    auto first = PortReservation::reserve(0);
    ASSERT_TRUE(first);
    const std::uint32_t free_port = first->port();
    first = PortReservation::reserve_other(); // frees free_port
    ASSERT_TRUE(first);
    auto preferred = PortReservation::reserve(free_port);
    ASSERT_TRUE(preferred);
    EXPECT_EQ(preferred->port(), free_port);
    // Held by this process's other tunnel: another port.
    auto second = PortReservation::reserve(free_port);
    ASSERT_TRUE(second);
    EXPECT_NE(second->port(), free_port);

    // Something else listens there: another port, and the listener is not ours.
    Dizezida::Testing::Squatter squatter(second->port());
    ASSERT_GE(squatter.fd, 0);
    const std::uint32_t taken = second->port();
    second = PortReservation::reserve_other();
    auto avoided = PortReservation::reserve(taken);
    ASSERT_TRUE(avoided);
    EXPECT_NE(avoided->port(), taken);
    EXPECT_EQ(port_listener(taken, getpid()), Listener::ours);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t stranger = fork(); // a process that holds no socket
    if (stranger == 0) {
        close(squatter.fd);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(port_listener(taken, stranger), Listener::other);
    kill(stranger, SIGKILL);
    waitpid(stranger, nullptr, 0);
    EXPECT_EQ(port_listener(avoided->port(), getpid()), Listener::none);
}

TEST(TunnelProcess, RealSshTunnelAvoidsATakenPortAndReachesItsOwnServer) {
    Dizezida::Testing::SshServer sshd;
    ASSERT_TRUE(sshd.failure().empty()) << sshd.failure();
    const TunnelSettings s = sshd_settings(sshd);
    const std::string expected = system_identifier(s.port);
    ASSERT_FALSE(expected.empty());

    // Another program listens on the first choice of port.
    Dizezida::Testing::Squatter squatter(s.local_port());
    ASSERT_GE(squatter.fd, 0) << "cannot take " << s.local_port();
    auto tunnel = TunnelProcess::open(s);
    ASSERT_TRUE(tunnel) << tunnel.error().message;
    EXPECT_NE((*tunnel)->local_port(), s.local_port());
    EXPECT_EQ(system_identifier((*tunnel)->local_port()), expected);

    // A second tunnel of this process with the same settings gets its own port.
    auto second = TunnelProcess::open(s);
    ASSERT_TRUE(second) << second.error().message;
    EXPECT_NE((*second)->local_port(), (*tunnel)->local_port());
    EXPECT_EQ(system_identifier((*second)->local_port()), expected);

    (*tunnel)->stop();
    (*second)->stop();
    EXPECT_FALSE((*tunnel)->running());
    EXPECT_EQ(clients_left(sshd), 0);
}

TEST(TunnelProcess, KeyLoginNeedsNoPassword) {
    Dizezida::Testing::SshServer sshd;
    ASSERT_TRUE(sshd.failure().empty()) << sshd.failure();
    TunnelSettings s = sshd_settings(sshd);
    s.ssh_process = sshd.key_client();
    s.ssh_password.clear();
    auto tunnel = TunnelProcess::open(s);
    ASSERT_TRUE(tunnel) << tunnel.error().message;
    EXPECT_EQ(system_identifier((*tunnel)->local_port()), system_identifier(s.port));
}

TEST(TunnelProcess, RefusedLoginsAndUnreachableServersAreNamedAndLeaveNothingRunning) {
    Dizezida::Testing::SshServer sshd;
    ASSERT_TRUE(sshd.failure().empty()) << sshd.failure();
    TunnelSettings wrong = sshd_settings(sshd);
    wrong.ssh_password = "not the password";
    auto refused = TunnelProcess::open(wrong);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("refused the login of dizezidatunnel"), std::string::npos)
        << refused.error().message;

    TunnelSettings no_key = sshd_settings(sshd);
    no_key.ssh_password.clear(); // batch mode: no prompt, a refusal
    auto keyless = TunnelProcess::open(no_key);
    ASSERT_FALSE(keyless);
    EXPECT_NE(keyless.error().message.find("refused the login"), std::string::npos)
        << keyless.error().message;

    TunnelSettings down = sshd_settings(sshd);
    down.ssh_port = 1; // nothing listens there
    auto unreachable = TunnelProcess::open(down);
    ASSERT_FALSE(unreachable);
    EXPECT_NE(unreachable.error().message.find("cannot be reached"), std::string::npos)
        << unreachable.error().message;

    TunnelSettings missing = sshd_settings(sshd);
    missing.ssh_process = "/nonexistent/ssh";
    missing.ssh_password.clear();
    auto absent = TunnelProcess::open(missing);
    ASSERT_FALSE(absent);
    EXPECT_NE(absent.error().message.find("cannot be started"), std::string::npos)
        << absent.error().message;
    EXPECT_EQ(clients_left(sshd), 0);
}

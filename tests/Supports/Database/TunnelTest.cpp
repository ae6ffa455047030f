#include "Supports/Database/Tunnel.hpp"

#include "tests/Supports/Database/SshServer.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

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
    EXPECT_EQ(command.argv, (Strings{"sshpass", "-e", "/usr/bin/ssh", "db.example", "-p", "22", "-l",
                                     "alice", "-N", "-L", "127.0.0.1:15432:db.example:5432"}));
    ASSERT_EQ(command.environment.size(), 1u);
    EXPECT_EQ(command.environment[0].first, "SSHPASS");
    EXPECT_EQ(command.environment[0].second, "se;cret");
    EXPECT_FALSE(mentions(command, "se;cret"));
}

TEST(TunnelCommand, PlinkReadsThePasswordFromAPrivateFile) {
    const TunnelCommand command = build_tunnel_command(ssh_settings("C:/tools/plink.exe"));
    EXPECT_EQ(command.argv,
              (Strings{"C:/tools/plink.exe", "db.example", "-P", "22", "-l", "alice", "-pwfile",
                       TunnelCommand::k_password_file_marker, "-N", "-L",
                       "127.0.0.1:15432:db.example:5432"}));
    EXPECT_EQ(command.password_file_content, "se;cret");
    EXPECT_FALSE(mentions(command, "se;cret"));
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

TEST(TunnelProcess, RealSshTunnelReachesTheTestServer) {
    Dizezida::Testing::SshServer sshd;
    ASSERT_TRUE(sshd.failure().empty()) << sshd.failure();
    const std::string conninfo = Dizezida::Testing::test_conninfo();
    std::smatch port_match;
    ASSERT_TRUE(std::regex_search(conninfo, port_match, std::regex("port=(\\d+)")));

    TunnelSettings s;
    s.host = "127.0.0.1";
    s.port = static_cast<std::uint32_t>(std::stoul(port_match[1]));
    s.ssh_using = true;
    s.ssh_process = sshd.client();
    s.ssh_port = sshd.port();
    s.ssh_username = Dizezida::Testing::SshServer::user;
    s.ssh_password = Dizezida::Testing::SshServer::password;
    auto tunnel = TunnelProcess::start(build_tunnel_command(s), s.local_port());
    ASSERT_TRUE(tunnel) << tunnel.error().message;

    const std::string through = "host=127.0.0.1 port=" + std::to_string(s.local_port()) +
                                " user=postgres dbname=postgres connect_timeout=10";
    std::unique_ptr<PGconn, decltype(&PQfinish)> session(PQconnectdb(through.c_str()), PQfinish);
    ASSERT_EQ(PQstatus(session.get()), CONNECTION_OK) << PQerrorMessage(session.get());
    std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(session.get(), "SELECT 42"), PQclear);
    EXPECT_STREQ(PQgetvalue(result.get(), 0, 0), "42");
    session.reset();

    (*tunnel)->stop();
    EXPECT_FALSE((*tunnel)->running());
}

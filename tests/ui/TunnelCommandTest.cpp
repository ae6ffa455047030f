// Saved servers behind SSH tunnels, from the front end: `servers add --ssh`,
// commands through the tunnel with a password and with a key, a busy local
// port, two tunnels to one port in one job, the same database reached by two
// texts, and logins that fail.
#include "tests/Supports/Database/SshServer.hpp"
#include "tests/support/TestServer.hpp"
#include "tests/ui/CommandRun.hpp"
#include "tests/ui/ConfigHome.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

using Dizezida::Testing::run_command;
using Dizezida::Testing::run_sql_on;
using Dizezida::Testing::SshServer;

namespace {

std::string test_port() {
    std::smatch match;
    const std::string conninfo = Dizezida::Testing::test_conninfo();
    EXPECT_TRUE(std::regex_search(conninfo, match, std::regex("port=(\\d+)")));
    return match[1];
}

/// The connection string of a database as the bastion sees it (TCP on its loopback).
std::string behind_bastion(const std::string& database) {
    return "host=127.0.0.1 port=" + test_port() + " user=postgres dbname=" + database;
}

std::string system_identifier(const std::string& server) {
    const auto run = run_command(
        "query", {"--server", server, "--format", "csv", "SELECT system_identifier FROM pg_control_system()"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

/// Tunnel clients of this sshd still running.
int clients_left(const SshServer& sshd) {
    int count = 0;
    const std::string port = std::string(1, '\0') + std::to_string(sshd.port()) + std::string(1, '\0');
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline");
        const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (line.find("ExitOnForwardFailure") != std::string::npos && line.find(port) != std::string::npos)
            ++count;
    }
    return count;
}

class TunnelCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_sshd.failure().empty()) << m_sshd.failure(); }

    /// `servers add NAME --server CONN --ssh ...` with the SSH password on stdin (or a key).
    void add(const std::string& name, const std::string& conninfo, bool key = false,
             const std::string& password = SshServer::password) {
        std::vector<std::string> arguments = {
            "add", name, "--server", conninfo, "--ssh",
            std::string(SshServer::user) + "@127.0.0.1:" + std::to_string(m_sshd.port()),
            "--ssh-program", key ? m_sshd.key_client() : m_sshd.client()};
        if (!key)
            arguments.push_back("--ssh-password-stdin");
        const auto added = run_command("servers", arguments, key ? "" : password + "\n");
        ASSERT_EQ(added.status, 0) << added.err;
    }

    Dizezida::Testing::ScratchConfigHome m_home;
    SshServer m_sshd;
};

TEST_F(TunnelCommands, QueriesGoThroughTheTunnelWithAPasswordOrAKeyWhateverHoldsThePort) {
    const std::string direct = system_identifier(Dizezida::Testing::test_conninfo());
    add("pw", behind_bastion("postgres"));
    add("key", behind_bastion("postgres"), true);

    const auto shown = run_command("servers", {"show", "pw"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("ssh-host: 127.0.0.1\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("ssh-port: " + std::to_string(m_sshd.port()) + "\n"), std::string::npos);
    EXPECT_NE(shown.out.find("ssh-username: dizezidatunnel\n"), std::string::npos);
    EXPECT_NE(shown.out.find("ssh-password: (saved)\n"), std::string::npos);
    EXPECT_EQ(shown.out.find("pass 'word"), std::string::npos);
    std::ifstream stored(m_home.folder() / "dizezida" / "servers.json");
    const std::string file((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
    EXPECT_EQ(file.find("pass 'word"), std::string::npos);

    EXPECT_EQ(system_identifier("@pw"), direct);
    EXPECT_EQ(system_identifier("@key"), direct);

    // Something else listens where the tunnel would go first.
    {
        const Dizezida::Testing::Squatter squatter(
            static_cast<unsigned>(std::stoul(test_port()) + 10000));
        ASSERT_GE(squatter.fd, 0);
        EXPECT_EQ(system_identifier("@pw"), direct);
    }
    EXPECT_EQ(clients_left(m_sshd), 0);
}

TEST_F(TunnelCommands, TwoTunnelsToOnePortEachReachTheirOwnDatabaseAndOneDatabaseIsKnownWhateverItsText) {
    Dizezida::Testing::ScratchDatabase source("tunnel_src"), target("tunnel_dst");
    run_sql_on(source.conninfo(), "CREATE SCHEMA s; CREATE TABLE s.t (id int PRIMARY KEY, v text);"
                                  "INSERT INTO s.t SELECT g, 'v' || g FROM generate_series(1, 100) g");
    add("a", behind_bastion(source.name()));
    add("b", behind_bastion(target.name()));
    const auto copied = run_command("transfer", {"--source", "@a", "--target", "@b", "--schema", "s"});
    ASSERT_EQ(copied.status, 0) << copied.err;
    EXPECT_EQ(run_sql_on(target.conninfo(), "SELECT count(*) FROM s.t"), "100");

    // The source again, through the tunnel and directly over its socket: one database.
    const auto dropped = run_command(
        "transfer", {"--source", "@a", "--target", source.conninfo(), "--schema", "s", "--drop"});
    EXPECT_NE(dropped.status, 0);
    EXPECT_NE(dropped.err.find("is a source schema of the same database"), std::string::npos)
        << dropped.err;
    EXPECT_EQ(run_sql_on(source.conninfo(), "SELECT count(*) FROM s.t"), "100");
    const std::string by_ip = "host=127.0.0.1 port=" + test_port() + " user=postgres dbname=" + source.name();
    for (const char* kind : {"--data", "--structure"}) {
        const auto synced = run_command("sync", {"--source", by_ip, "--target", source.conninfo(), kind,
                                                 "--schema", "s"});
        EXPECT_EQ(synced.status, 1) << kind;
        EXPECT_NE(synced.err.find("the same schema s of the same database"), std::string::npos)
            << synced.err;
    }
    EXPECT_EQ(clients_left(m_sshd), 0);
}

TEST_F(TunnelCommands, RefusedLoginsAndDownBastionsAreNamedAndLeaveNothingRunning) {
    add("wrong", behind_bastion("postgres"), false, "not the password");
    const auto refused = run_command("query", {"--server", "@wrong", "SELECT 1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("refused the login of dizezidatunnel"), std::string::npos) << refused.err;

    const auto down = run_command("servers", {"add", "down", "--server", behind_bastion("postgres"),
                                              "--ssh", "127.0.0.1:1", "--ssh-program", m_sshd.client()});
    ASSERT_EQ(down.status, 0) << down.err;
    const auto unreachable = run_command("query", {"--server", "@down", "SELECT 1"});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_NE(unreachable.err.find("cannot be reached"), std::string::npos) << unreachable.err;
    EXPECT_EQ(clients_left(m_sshd), 0);
}

TEST_F(TunnelCommands, TunnelOptionsAreCheckedAndHttpTunnelsSaved) {
    const std::string conninfo = behind_bastion("postgres");
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--ssh", "me@"}, {"--ssh", "host:99999"}, {"--ssh", "[::1"},
          {"--http-tunnel", "gw.example:8443"}, {"--http-tunnel", "ftp://gw:21"},
          {"--ssh", "bastion", "--http-tunnel", "wss://gw:443"}}) {
        std::vector<std::string> arguments = {"add", "bad", "--server", conninfo};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        EXPECT_EQ(run_command("servers", arguments).status, 2) << bad[1];
    }
    // Two passwords, one line each; the second is missing.
    EXPECT_EQ(run_command("servers", {"add", "bad", "--server", conninfo, "--password-stdin", "--ssh",
                                      "bastion", "--ssh-password-stdin"},
                          "server-password\n")
                  .status,
              2);
    const auto added = run_command(
        "servers", {"add", "web", "--server", conninfo, "--http-tunnel", "wss://gw.example:8443",
                    "--http-user", "bob", "--http-password-stdin", "--http-ca-file", "/ca.pem"},
        "http secret\n");
    ASSERT_EQ(added.status, 0) << added.err;
    const auto shown = run_command("servers", {"show", "web"});
    for (const char* line : {"http-using: true\n", "http-protocol: wss\n", "http-host: gw.example\n",
                             "http-port: 8443\n", "http-username: bob\n", "http-password: (saved)\n",
                             "http-ca-file: /ca.pem\n", "http-process: wstunnel\n"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line << shown.out;
    EXPECT_EQ(shown.out.find("http secret"), std::string::npos);
}

} // namespace

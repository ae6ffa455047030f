#include "tests/support/TestServer.hpp"
#include "tests/ui/CommandRun.hpp"
#include "tests/ui/ConfigHome.hpp"

#include "tests/support/OlderPasswordForm.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using Dizezida::Testing::run_command;
using Dizezida::Testing::run_sql;
namespace fs = std::filesystem;

namespace {

class ServersCommand : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("PGPASSWORD"); }
    void TearDown() override {
        if (!m_role.empty())
            run_sql("DROP ROLE IF EXISTS " + m_role);
    }

    std::string file_text() const {
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    /// A login role with a password, reached over TCP where the test
    /// cluster asks for it; returns its connection string without password.
    std::string password_role(const std::string& password) {
        m_role = "saved_login_" + std::to_string(::getpid());
        run_sql("DROP ROLE IF EXISTS " + m_role);
        run_sql("CREATE ROLE " + m_role + " LOGIN PASSWORD '" + password + "'");
        const std::string conninfo = Dizezida::Testing::test_conninfo();
        const auto port_at = conninfo.find("port=") + 5;
        const auto port = conninfo.substr(port_at, conninfo.find(' ', port_at) - port_at);
        return "host=127.0.0.1 port=" + port + " user=" + m_role + " dbname=postgres";
    }

    Dizezida::Testing::ScratchConfigHome m_home;
    const fs::path m_folder = m_home.folder();
    const std::string m_file = (m_folder / "dizezida" / "servers.json").string();
    std::string m_role;
};

} // namespace

TEST_F(ServersCommand, AddListShowRemoveWithoutEverPrintingAPassword) {
    EXPECT_EQ(run_command("servers", {"path"}).out, m_file + "\n");
    const auto added = run_command(
        "servers",
        {"add", "prod", "--server",
         "host=db.example port=6543 user=me dbname=shop password=s3cret sslmode=require"});
    ASSERT_EQ(added.status, 0) << added.err;
    ASSERT_EQ(run_command("servers", {"add", "local", "--server", "dbname=scratch"}).status, 0);

    struct stat info {};
    ASSERT_EQ(::stat(m_file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(file_text().find("s3cret"), std::string::npos);
    EXPECT_NE(file_text().find("\"password\": \"v2:"), std::string::npos);

    const auto list = run_command("servers", {"list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, " Name  |    Host    | Port | User | Database | SSL | SSH | Password \n"
                        "-------+------------+------+------+----------+-----+-----+----------\n"
                        " prod  | db.example | 6543 | me   | shop     | yes | no  | saved\n"
                        " local |            |      |      | scratch  | no  | no  | \n"
                        "(2 rows)\n");
    const auto csv = run_command("servers", {"list", "--format", "csv"});
    EXPECT_EQ(csv.out, "Name,Host,Port,User,Database,SSL,SSH,Password\r\n"
                       "prod,db.example,6543,me,shop,yes,no,saved\r\n"
                       "local,,,,scratch,no,no,\r\n");
    const auto json = run_command("servers", {"list", "--format", "json"});
    EXPECT_NE(json.out.find("\"Port\": 6543"), std::string::npos) << json.out;

    const auto show = run_command("servers", {"show", "prod"});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("\nhost: db.example\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("\npassword: (saved)\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("\nssl-using: true\n"), std::string::npos) << show.out;
    for (const auto& output : {added.out, added.err, list.out, csv.out, json.out, show.out})
        EXPECT_EQ(output.find("s3cret"), std::string::npos);
    EXPECT_EQ(show.out.find("v2:"), std::string::npos);

    ASSERT_EQ(run_command("servers", {"remove", "prod"}).status, 0);
    EXPECT_EQ(run_command("servers", {"list", "--format", "csv"}).out,
              "Name,Host,Port,User,Database,SSL,SSH,Password\r\nlocal,,,,scratch,no,no,\r\n");
}

TEST_F(ServersCommand, RefusalsSayWhy) {
    ASSERT_EQ(run_command("servers", {"add", "prod", "--server", "dbname=a"}).status, 0);
    const auto twice = run_command("servers", {"add", "prod", "--server", "dbname=b"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("saved already"), std::string::npos);
    EXPECT_EQ(run_command("servers", {"add", "", "--server", "dbname=b"}).status, 2);
    EXPECT_EQ(run_command("servers", {"add", "x", "--server", "host='unterminated"}).status, 2);
    const auto no_input =
        run_command("servers", {"add", "x", "--server", "dbname=b", "--password-stdin"});
    EXPECT_EQ(no_input.status, 2);
    EXPECT_NE(no_input.err.find("standard input"), std::string::npos);
    for (const char* verb : {"show", "remove"}) {
        const auto missing = run_command("servers", {verb, "nope"});
        EXPECT_EQ(missing.status, 1) << verb;
        EXPECT_NE(missing.err.find("no saved server named \"nope\""), std::string::npos) << verb;
    }
    EXPECT_EQ(run_command("servers", {}).status, 2);

    // A file that is not a server list is reported, and left alone.
    std::ofstream(m_file) << "{broken";
    const auto broken = run_command("servers", {"list"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find(m_file), std::string::npos);
    EXPECT_EQ(run_command("servers", {"add", "y", "--server", "dbname=c"}).status, 1);
    EXPECT_EQ(file_text(), "{broken");
}

TEST_F(ServersCommand, QueryReachesASavedServerWithItsPassword) {
    const std::string conninfo = password_role("Pa55-word");
    const auto added = run_command(
        "servers", {"add", "app", "--server", conninfo, "--password-stdin"}, "Pa55-word\n");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(file_text().find("Pa55-word"), std::string::npos);

    const auto query = run_command("query", {"--server", "@app", "SELECT current_user AS who"});
    EXPECT_EQ(query.status, 0) << query.err;
    EXPECT_NE(query.out.find(m_role), std::string::npos) << query.out;
    EXPECT_NE(run_command("browse", {"--server", "@app", "schemas"}).out.find("public"),
              std::string::npos);

    // Without its password the same server is refused by the cluster.
    ASSERT_EQ(run_command("servers", {"add", "nopass", "--server", conninfo}).status, 0);
    EXPECT_EQ(run_command("query", {"--server", "@nopass", "SELECT 1"}).status, 1);

    const auto unknown = run_command("query", {"--server", "@nope", "SELECT 1"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("No saved server named \"nope\""), std::string::npos) << unknown.err;
}

TEST_F(ServersCommand, FileOfAnOlderVersionAndPasswordsFromElsewhere) {
    const std::string conninfo = password_role("legacy-pw");
    // An older version stored the password as bare Base64 of AES-256-CBC.
    const std::string base64 = Dizezida::Testing::older_password_form("legacy-pw");
    const auto port_at = conninfo.find("port=") + 5;
    const std::string port = conninfo.substr(port_at, conninfo.find(' ', port_at) - port_at);
    fs::create_directories(m_folder / "dizezida");
    std::ofstream(m_file)
        << R"({"servers": [{"uuid": "1", "name": "legacy", "host": "127.0.0.1", "port": )" << port
        << R"(, "username": ")" << m_role << R"(", "password": ")" << base64
        << R"(", "initial": "postgres"},
        {"uuid": "2", "name": "elsewhere", "host": "127.0.0.1", "port": )"
        << port << R"(, "username": ")" << m_role
        << R"(", "password": "v2:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}]})";
    const std::string before = file_text();

    const auto query = run_command("query", {"--server", "@legacy", "SELECT current_user AS who"});
    EXPECT_EQ(query.status, 0) << query.err;
    EXPECT_NE(query.out.find(m_role), std::string::npos);

    const auto foreign = run_command("query", {"--server", "@elsewhere", "SELECT 1"});
    EXPECT_EQ(foreign.status, 1);
    EXPECT_NE(foreign.err.find("cannot be decrypted"), std::string::npos) << foreign.err;
    EXPECT_EQ(file_text(), before); // using a saved server never rewrites the file

    // Adding a server keeps the stored texts of the others as they were.
    ASSERT_EQ(run_command("servers", {"add", "more", "--server", "dbname=x"}).status, 0);
    EXPECT_NE(file_text().find("v2:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"),
              std::string::npos);
    EXPECT_EQ(run_command("query", {"--server", "@legacy", "SELECT 1"}).status, 0);
}

TEST(PasswordCommand, GeneratesPasswordsOfTheAskedLength) {
    const auto plain = run_command("password", {"generate"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(plain.out.size(), 17u);
    EXPECT_EQ(plain.out.back(), '\n');
    const auto longer = run_command("password", {"generate", "40"});
    EXPECT_EQ(longer.out.size(), 41u);
    EXPECT_NE(longer.out, run_command("password", {"generate", "40"}).out);
    EXPECT_EQ(run_command("password", {"generate", "0"}).status, 2);
    EXPECT_EQ(run_command("password", {"generate", "-3"}).status, 2);
}

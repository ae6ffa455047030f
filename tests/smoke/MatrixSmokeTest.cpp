// The version matrix: each smoke run must reach the server of the version its
// fixture names, set up like every test cluster.
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

using Dizezida::Testing::run_sql;
using Dizezida::Testing::test_conninfo;

TEST(TestServer, RunsTheMajorVersionOfItsFixture) {
    const char* expected = std::getenv("DIZEZIDA_TEST_PG_MAJOR");
    ASSERT_TRUE(expected && *expected) << "DIZEZIDA_TEST_PG_MAJOR names no version";
    const std::string version_num = run_sql("SHOW server_version_num");
    ASSERT_FALSE(version_num.empty());
    EXPECT_EQ(std::stoi(version_num) / 10000, std::stoi(expected)) << "server_version_num " << version_num;
}

// pg_hba asks roles other than postgres for a SCRAM password over TCP; servers
// before 14 store md5 passwords unless told otherwise, and those never log in.
TEST(TestServer, PasswordRoleLogsInOverTcp) {
    const std::string role = "smoke_login_" + std::to_string(getpid());
    run_sql("DROP ROLE IF EXISTS " + role);
    run_sql("CREATE ROLE " + role + " LOGIN PASSWORD 'pass word'");
    const std::string conninfo =
        test_conninfo() + " host=127.0.0.1 user=" + role + " password='pass word'";
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(conninfo.c_str()), PQfinish);
    EXPECT_EQ(PQstatus(connection.get()), CONNECTION_OK) << PQerrorMessage(connection.get());
    connection.reset();
    run_sql("DROP ROLE " + role);
}

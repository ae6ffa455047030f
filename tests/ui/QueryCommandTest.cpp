#include "ui/FrontEnd.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

struct QueryRun {
    int status;
    std::string out;
    std::string err;
};

QueryRun run_query(const std::string& server, const std::string& sql) {
    std::ostringstream out, err;
    std::streambuf* saved_out = std::cout.rdbuf(out.rdbuf());
    std::streambuf* saved_err = std::cerr.rdbuf(err.rdbuf());
    const int status = Dizezida::Rezizida::run_front_end(
        {"dizezida-postgresql", "query", "--server", server, sql}, "/tmp");
    std::cout.rdbuf(saved_out);
    std::cerr.rdbuf(saved_err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(QueryCommand, PrintsAnAlignedTableAndTheRowCount) {
    const QueryRun run = run_query(Dizezida::Testing::test_conninfo(),
                                   "SELECT 1 AS id, 'alice' AS name UNION ALL SELECT 10, 'bob'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, " id | name\n"
                       "----+-------\n"
                       "  1 | alice\n"
                       " 10 | bob\n"
                       "(2 rows)\n");
}

TEST(QueryCommand, MultiLineValuesNullsAndWideCharacters) {
    const QueryRun run = run_query(Dizezida::Testing::test_conninfo(),
                                   "SELECT E'a\\nbc' AS x, NULL::int AS n, 'ÄÖü' AS \"wörd\"");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, " x  | n | wörd\n"
                       "----+---+------\n"
                       " a +|   | ÄÖü\n"
                       " bc |   |\n"
                       "(1 row)\n");
}

TEST(QueryCommand, UriServerAndFailures) {
    // A URI naming the socket folder and port of the test server.
    const std::string conninfo = Dizezida::Testing::test_conninfo();
    const auto host = conninfo.substr(5, conninfo.find(' ') - 5);
    const auto port_at = conninfo.find("port=") + 5;
    const auto port = conninfo.substr(port_at, conninfo.find(' ', port_at) - port_at);
    const std::string uri = "postgresql://postgres@:" + port + "/postgres?host=" + host;
    const QueryRun ok = run_query(uri, "SELECT count(*) AS n FROM generate_series(1, 3)");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, " n\n---\n 3\n(1 row)\n");

    const QueryRun bad_sql = run_query(conninfo, "SELEC 1");
    EXPECT_EQ(bad_sql.status, 1);
    EXPECT_NE(bad_sql.err.find("42601"), std::string::npos);
    EXPECT_EQ(bad_sql.out, "");

    const QueryRun bad_server = run_query("host=/nonexistent port=1", "SELECT 1");
    EXPECT_EQ(bad_server.status, 1);
    EXPECT_FALSE(bad_server.err.empty());
}

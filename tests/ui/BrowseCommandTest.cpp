#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <iostream>
#include <sstream>

namespace {

using Dizezida::Testing::CommandRun;

CommandRun run_browse(std::vector<std::string> arguments) {
    return Dizezida::Testing::run_command("browse", std::move(arguments));
}

class BrowseCommand : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sql :
             {"CREATE SCHEMA shop", "CREATE TABLE shop.orders (id int PRIMARY KEY)",
              "CREATE VIEW shop.\"big, \"\"quoted\"\"\" AS SELECT 1 AS one",
              "COMMENT ON VIEW shop.\"big, \"\"quoted\"\"\" IS 'line one'"})
            Dizezida::Testing::run_sql_on(m_conninfo, sql);
    }
    Dizezida::Testing::ScratchDatabase m_database{"browse_cli"};
    std::string m_conninfo = m_database.conninfo();
};

TEST_F(BrowseCommand, ListsAKindInEachFormat) {
    const CommandRun table = run_browse({"--server", m_conninfo, "views", "--schema", "shop"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out, "     Name      |  Owner   | Comment  \n"
                         "---------------+----------+----------\n"
                         " big, \"quoted\" | postgres | line one\n"
                         "(1 row)\n");

    const CommandRun csv =
        run_browse({"--server", m_conninfo, "views", "--schema", "shop", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "Name,Owner,Comment\r\n\"big, \"\"quoted\"\"\",postgres,line one\r\n");

    const CommandRun json =
        run_browse({"--server", m_conninfo, "tables", "--schema", "shop", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto rows = nlohmann::json::parse(json.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Name"), "orders");
    EXPECT_EQ(rows[0].at("Has indexes"), true);
    EXPECT_TRUE(rows[0].at("Comment").is_null());
}

TEST_F(BrowseCommand, RefusesUnknownKindsAndReportsServerErrors) {
    const CommandRun unknown = run_browse({"--server", m_conninfo, "columns"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown kind"), std::string::npos);
    const CommandRun down = run_browse({"--server", "host=127.0.0.1 port=1 connect_timeout=2", "tables"});
    EXPECT_EQ(down.status, 1);
}

} // namespace

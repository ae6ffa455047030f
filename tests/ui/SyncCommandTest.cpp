// `sync` through the front end between two scratch databases, with schema
// and table names that hold the characters the job's option keys use.
#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

namespace {

using Dizezida::Testing::CommandRun;
using Dizezida::Testing::run_sql_on;

constexpr const char* k_tables =
    "CREATE SCHEMA \"p|q.r\"; CREATE TABLE \"p|q.r\".\"a|b\" (id int PRIMARY KEY, v text);"
    "CREATE TABLE \"p|q.r\".\"a.b\" (id int PRIMARY KEY, v text);"
    "CREATE TABLE \"p|q.r\".other (id int PRIMARY KEY, v text);";

class SyncCommand : public ::testing::Test {
protected:
    void SetUp() override {
        run_sql_on(m_source.conninfo(), k_tables);
        run_sql_on(m_target.conninfo(), k_tables);
    }
    CommandRun sync(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--source", m_source.conninfo(), "--target",
                                             m_target.conninfo(), "--schema", "p|q.r"});
        return Dizezida::Testing::run_command("sync", std::move(arguments));
    }
    std::string target(const std::string& sql) { return run_sql_on(m_target.conninfo(), sql); }

    Dizezida::Testing::ScratchDatabase m_source{"sync_cli_src"};
    Dizezida::Testing::ScratchDatabase m_target{"sync_cli_dst"};
};

TEST_F(SyncCommand, DataOfTheNamedTablesOnly) {
    run_sql_on(m_source.conninfo(), "INSERT INTO \"p|q.r\".\"a|b\" VALUES (1, 'bar');"
                                    "INSERT INTO \"p|q.r\".\"a.b\" VALUES (2, 'point');"
                                    "INSERT INTO \"p|q.r\".other VALUES (3, 'other')");
    const CommandRun run = sync({"--data", "--table", "a|b", "--table", "a.b"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(target("SELECT string_agg(v, ',' ORDER BY id) FROM (SELECT * FROM \"p|q.r\".\"a|b\" "
                     "UNION ALL SELECT * FROM \"p|q.r\".\"a.b\" UNION ALL SELECT * FROM "
                     "\"p|q.r\".other) t"),
              "bar,point");
}

TEST_F(SyncCommand, StructureOfTheNamedTablesOrOfEveryObject) {
    run_sql_on(m_source.conninfo(), "ALTER TABLE \"p|q.r\".\"a|b\" ADD COLUMN added int;"
                                    "ALTER TABLE \"p|q.r\".other ADD COLUMN added int");
    const auto added = [&] {
        return target(
            "SELECT string_agg(attrelid::regclass::text, ',' ORDER BY attrelid::regclass::text) "
            "FROM pg_attribute WHERE attname = 'added'");
    };
    const CommandRun named = sync({"--structure", "--table", "a|b"});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(added(), "\"p|q.r\".\"a|b\"");
    const CommandRun every = sync({"--structure"});
    ASSERT_EQ(every.status, 0) << every.err;
    EXPECT_EQ(added(), "\"p|q.r\".\"a|b\",\"p|q.r\".other");
}

} // namespace

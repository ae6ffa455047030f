#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

using Dizezida::Testing::CommandRun;

CommandRun run_ddl(std::vector<std::string> arguments) {
    return Dizezida::Testing::run_command("ddl", std::move(arguments));
}

TEST(DdlCommand, ScriptsASchemaThatAppliesToAnEmptyDatabase) {
    Dizezida::Testing::ScratchDatabase source("ddl_cli");
    for (const char* sql : {"CREATE SCHEMA shop", "CREATE TABLE shop.orders (id serial PRIMARY KEY,"
                                                  " what text NOT NULL DEFAULT 'it''s')",
                            "COMMENT ON TABLE shop.orders IS 'all ''orders'''"})
        Dizezida::Testing::run_sql_on(source.conninfo(), sql);
    const CommandRun run = run_ddl({"--server", source.conninfo(), "--schema", "shop"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("CREATE SCHEMA IF NOT EXISTS \"shop\""), std::string::npos);
    EXPECT_NE(run.out.find("ALTER SEQUENCE \"shop\".\"orders_id_seq\" OWNED BY"), std::string::npos);

    // The script runs as one text on an empty database.
    Dizezida::Testing::ScratchDatabase target("ddl_cli_target");
    Dizezida::Testing::run_sql_on(target.conninfo(), run.out);
    EXPECT_EQ(Dizezida::Testing::run_sql_on(
                  target.conninfo(), "SELECT obj_description('shop.orders'::regclass, 'pg_class')"),
              "all 'orders'");

    const CommandRun missing = run_ddl({"--server", source.conninfo(), "--schema", "nothing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no schema nothing"), std::string::npos);
}

} // namespace

#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using Dizezida::Testing::CommandRun;

CommandRun run_catalog(std::vector<std::string> arguments) {
    return Dizezida::Testing::run_command("catalog", std::move(arguments));
}

class CatalogCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_conninfo = m_database.conninfo();
        for (const char* sql :
             {"CREATE SCHEMA shop", "CREATE TABLE shop.orders (id int PRIMARY KEY, what text)",
              "CREATE VIEW shop.recent AS SELECT id FROM shop.orders",
              "CREATE SCHEMA other", "CREATE TABLE other.t (x int)"})
            run_on_scratch(sql);
    }
    void run_on_scratch(const std::string& sql) {
        Dizezida::Testing::run_sql_on(m_conninfo, sql);
    }
    Dizezida::Testing::ScratchDatabase m_database{"catalog_cli"};
    std::string m_conninfo;
};

TEST_F(CatalogCommand, WritesTheDatabaseOrTheChosenPartsAsJson) {
    const CommandRun whole = run_catalog({"--server", m_conninfo});
    ASSERT_EQ(whole.status, 0) << whole.err;
    const auto database = nlohmann::json::parse(whole.out);
    std::vector<std::string> schemas;
    for (const auto& schema : database.at("schemas"))
        schemas.push_back(schema.at("name"));
    EXPECT_NE(std::find(schemas.begin(), schemas.end(), "shop"), schemas.end());

    const CommandRun one = run_catalog({"--server", m_conninfo, "--schema", "shop"});
    ASSERT_EQ(one.status, 0) << one.err;
    const auto shop = nlohmann::json::parse(one.out).at("schemas");
    ASSERT_EQ(shop.size(), 1u);
    EXPECT_EQ(shop[0].at("tables")[0].at("name"), "orders");
    EXPECT_EQ(shop[0].at("tables")[0].at("columns").size(), 2u);
    EXPECT_EQ(shop[0].at("views")[0].at("name"), "recent");

    const std::string file = ::testing::TempDir() + "catalog-table.json";
    const CommandRun table = run_catalog({"--server", m_conninfo, "--table", "shop.orders", "-o", file});
    ASSERT_EQ(table.status, 0) << table.err;
    std::ifstream written(file);
    const auto orders = nlohmann::json::parse(written);
    EXPECT_EQ(orders.at("name"), "orders");
    EXPECT_EQ(orders.at("columns")[0].at("is-primary-key"), true);
    std::remove(file.c_str());
}

TEST_F(CatalogCommand, FailsOnWhatDoesNotExist) {
    const CommandRun table = run_catalog({"--server", m_conninfo, "--table", "shop.nothing"});
    EXPECT_EQ(table.status, 1);
    EXPECT_NE(table.err.find("no table shop.nothing"), std::string::npos);
    const CommandRun schema = run_catalog({"--server", m_conninfo, "--schema", "nothing"});
    EXPECT_EQ(schema.status, 1);
    EXPECT_NE(schema.err.find("no schema nothing"), std::string::npos);
    const CommandRun server = run_catalog({"--server", "host=127.0.0.1 port=1 connect_timeout=2"});
    EXPECT_EQ(server.status, 1);
    EXPECT_FALSE(server.err.empty());
}

} // namespace

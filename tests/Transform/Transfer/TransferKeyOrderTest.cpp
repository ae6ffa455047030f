// Transfer into tables that exist on the target with their foreign keys, by
// a role that may not turn the keys off: parents are copied first, a cycle
// of deferrable keys goes in one transaction, any other cycle is refused.
// Schema src is copied to dst of one scratch database.
#include "Supports/Database/SqlText.hpp"
#include "tests/Transform/Transfer/TransferTesting.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Supports::Database::sql_name;
using Dovodarud::Transform::Transfer;

/// The same tables in src and dst; "@" is the schema.
std::string both(const std::string& ddl) {
    std::string sql;
    for (const std::string schema : {"src", "dst"}) {
        std::string text = ddl;
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
            text.replace(at, 1, schema);
        sql += text;
    }
    return sql;
}

class TransferKeyOrder : public ::testing::Test {
protected:
    void SetUp() override {
        m_role = unique_name("transfer_writer");
        const std::string role = sql_name(m_role);
        run_sql("CREATE ROLE " + role + " LOGIN");
        // The role owns both schemas (the target's is created with the
        // source's owner) and may create in the database.
        run("GRANT CREATE ON DATABASE " + sql_name(m_database.name()) + " TO " + role + ";" +
            "CREATE SCHEMA src AUTHORIZATION " + role + "; CREATE SCHEMA dst AUTHORIZATION " +
            role);
    }
    void TearDown() override {
        run("DROP SCHEMA src, dst CASCADE; DROP OWNED BY " + sql_name(m_role));
        run_sql("DROP ROLE " + sql_name(m_role));
    }

    std::string run(const std::string& sql) { return run_sql_on(m_database.conninfo(), sql); }

    /// Gives the role the target's tables.
    void hand_over(std::initializer_list<const char*> tables) {
        for (const char* table : tables)
            run(std::string("ALTER TABLE dst.") + table + " OWNER TO " + sql_name(m_role));
    }

    /// Copies the tables of src to dst, the target's session as the role.
    std::unique_ptr<Transfer> transfer(std::initializer_list<const char*> tables,
                                       const std::string& batch = "1000") {
        Transfer::Options map{{"OPTION|SOURCE|DATABASE", m_database.name()},
                              {"schema|src|MODE", "true"},
                              {"schema|src|NAME", "dst"}};
        for (const char* table : tables) {
            map[std::string("table|src.") + table + "|MODE"] = "true";
            map[std::string("table|src.") + table + "|BATCH"] = batch;
        }
        return run_transfer(std::move(map), m_database.conninfo(),
                            m_database.conninfo() + " user=" + m_role);
    }

    /// "a/b": rows of src.T missing from dst.T and back.
    std::string difference(const std::string& table) {
        return run("SELECT (SELECT count(*) FROM (TABLE src." + table + " EXCEPT ALL TABLE dst." +
                   table + ") x) || '/' || (SELECT count(*) FROM (TABLE dst." + table +
                   " EXCEPT ALL TABLE src." + table + ") y)");
    }

    ScratchDatabase m_database{"transferkeys"};
    std::string m_role;
};

TEST_F(TransferKeyOrder, ParentsAreCopiedBeforeTheirChildren) {
    // Names that sort against the chain.
    run(both("CREATE TABLE @.region (id int PRIMARY KEY, name text);"
             "CREATE TABLE @.customer (id int PRIMARY KEY, region_id int NOT NULL "
             "REFERENCES @.region, name text);"
             "CREATE TABLE @.orders (id int PRIMARY KEY, customer_id int NOT NULL "
             "REFERENCES @.customer);"
             "CREATE TABLE @.line (order_id int REFERENCES @.orders, n int, PRIMARY KEY (order_id, "
             "n));"));
    run("INSERT INTO src.region SELECT g, 'r' || g FROM generate_series(1, 5) g;"
        "INSERT INTO src.customer SELECT g, g % 5 + 1, 'c' || g FROM generate_series(1, 20) g;"
        "INSERT INTO src.orders SELECT g, g % 20 + 1 FROM generate_series(1, 50) g;"
        "INSERT INTO src.line SELECT o, n FROM generate_series(1, 50) o, generate_series(1, 3) n;"
        // Stale rows the copy replaces.
        "INSERT INTO dst.region VALUES (100, 'stale'); INSERT INTO dst.customer VALUES (100, 100, "
        "'stale');");
    hand_over({"region", "customer", "orders", "line"});
    const auto job = transfer({"customer", "line", "orders", "region"}, "7");
    EXPECT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    for (const char* table : {"region", "customer", "orders", "line"})
        EXPECT_EQ(difference(table), "0/0") << table;
    // The results keep the tables' own order.
    const auto results = job->table_results();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0].target_table, "customer");
    EXPECT_EQ(results[3].target_table, "region");
}

TEST_F(TransferKeyOrder, CycleOfDeferrableKeysIsOneTransaction) {
    run(both("CREATE TABLE @.alpha (id int PRIMARY KEY, beta_id int NOT NULL);"
             "CREATE TABLE @.beta (id int PRIMARY KEY, alpha_id int NOT NULL REFERENCES @.alpha "
             "DEFERRABLE);"
             "ALTER TABLE @.alpha ADD FOREIGN KEY (beta_id) REFERENCES @.beta DEFERRABLE;"
             // Rows refer to rows of later pages.
             "CREATE TABLE @.node (id int PRIMARY KEY, parent_id int REFERENCES @.node "
             "DEFERRABLE INITIALLY IMMEDIATE);"));
    run("BEGIN; SET CONSTRAINTS ALL DEFERRED;"
        "INSERT INTO src.alpha SELECT g, g FROM generate_series(1, 30) g;"
        "INSERT INTO src.beta SELECT g, g FROM generate_series(1, 30) g;"
        "INSERT INTO dst.alpha VALUES (99, 99); INSERT INTO dst.beta VALUES (99, 99); COMMIT;"
        "INSERT INTO src.node SELECT g, nullif(g + 1, 31) FROM generate_series(1, 30) g;");
    hand_over({"alpha", "beta", "node"});
    const auto job = transfer({"alpha", "beta", "node"}, "4");
    EXPECT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    for (const char* table : {"alpha", "beta", "node"})
        EXPECT_EQ(difference(table), "0/0") << table;
    for (const auto& table : job->table_results())
        EXPECT_TRUE(table.done) << table.target_table << ": " << table.message;

    // A row the keys reject at the commit loses the copy of every table.
    run("ALTER TABLE src.beta DROP CONSTRAINT beta_alpha_id_fkey;"
        "INSERT INTO src.beta VALUES (31, 999);");
    const auto lost = transfer({"alpha", "beta"}, "4");
    EXPECT_GE(lost->get_progress()->failed, 1u);
    EXPECT_NE(job_messages(*lost).find("beta_alpha_id_fkey"), std::string::npos)
        << job_messages(*lost);
    for (const auto& table : lost->table_results()) {
        EXPECT_FALSE(table.done) << table.target_table;
        EXPECT_EQ(table.copied, 0u) << table.target_table;
    }
    EXPECT_EQ(difference("alpha"), "0/0"); // as the first copy left it
    EXPECT_EQ(difference("beta"), "1/0");
}

TEST_F(TransferKeyOrder, CycleOfFixedKeysIsRefusedBeforeAnythingChanges) {
    run(both("CREATE TABLE @.alpha (id int PRIMARY KEY, beta_id int);"
             "CREATE TABLE @.beta (id int PRIMARY KEY, alpha_id int REFERENCES @.alpha);"
             "ALTER TABLE @.alpha ADD FOREIGN KEY (beta_id) REFERENCES @.beta;") +
        "CREATE TABLE src.fresh (id int PRIMARY KEY);"
        "INSERT INTO src.alpha VALUES (1, NULL); INSERT INTO src.beta VALUES (1, 1);"
        "INSERT INTO dst.alpha VALUES (9, NULL);");
    hand_over({"alpha", "beta"});
    const auto job = transfer({"alpha", "beta", "fresh"});
    EXPECT_EQ(job->get_progress()->failed, 1u);
    const std::string said = job_messages(*job);
    EXPECT_NE(said.find(R"(the foreign keys "dst"."alpha" -> "dst"."beta" -> "dst"."alpha" )"
                        "form a cycle"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("nothing was copied"), std::string::npos) << said;
    EXPECT_EQ(run("SELECT string_agg(id::text, ',') FROM dst.alpha"), "9");
    EXPECT_EQ(run("SELECT to_regclass('dst.fresh') IS NULL"), "t");
}

} // namespace

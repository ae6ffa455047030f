// The transfer job on a real server: one scratch database, schema src
// copied to schema dst (a renamed schema) through two sessions, so that
// every check compares both sides in one query.
#include "Transform/Transfer.hpp"

#include "tests/support/AwkwardValues.hpp"
#include "tests/Transform/TransformTesting.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Transform::Transfer;

constexpr const char* k_corpus = R"(
CREATE TABLE src.parent (id serial PRIMARY KEY, "Name" text NOT NULL UNIQUE);
CREATE TABLE src."order" (id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  parent_id integer REFERENCES src.parent (id), n integer, total numeric(12, 2),
  twice numeric @GENERATED@, CHECK (n >= 0));
CREATE TABLE src.audit (id serial PRIMARY KEY, what text);
CREATE FUNCTION src.audit_order() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO src.audit (what) VALUES ('order;' || NEW.id); -- a ";" in a text and here;
  RETURN NEW;
END; $$;
CREATE TRIGGER audited AFTER INSERT ON src."order" FOR EACH ROW EXECUTE PROCEDURE src.audit_order();
CREATE VIEW src.big_orders AS SELECT id, total, twice FROM src."order" WHERE total > 100;
CREATE TABLE src.skipped (id integer PRIMARY KEY);
INSERT INTO src.parent ("Name") SELECT 'p' || g FROM generate_series(1, 30) g;
INSERT INTO src."order" (parent_id, n, total) SELECT g % 30 + 1, g % 4, g * 1.25 FROM generate_series(1, 2500) g;
)";

class TransferJob : public ::testing::Test {
protected:
    void SetUp() override {
        run("CREATE SCHEMA src;");
        // Generated columns came with PostgreSQL 12.
        const bool generated = std::stoi(run("SHOW server_version_num")) >= 120000;
        std::string corpus = k_corpus;
        corpus.replace(corpus.find("@GENERATED@"), 11,
                       generated ? "GENERATED ALWAYS AS (total * 2) STORED" : "");
        run(corpus);
        run(awkward_table_sql("src.awkward"));
        m_source = open();
        m_target = open();
    }
    void TearDown() override {
        m_source->close();
        m_target->close();
    }

    std::string run(const std::string& sql) { return run_sql_on(m_database.conninfo(), sql); }

    std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection> open() {
        return open_postgresql(m_database.conninfo(), "transfer");
    }

    /// Options that take schema src to dst with the tables and views named
    /// (each with MODE "true"), plus `extra`.
    Transfer::Options options(const std::vector<std::string>& objects, Transfer::Options extra = {}) {
        Transfer::Options map{{"OPTION|SOURCE|DATABASE", m_database.name()},
                              {"schema|src|MODE", "true"},
                              {"schema|src|NAME", "dst"}};
        for (const auto& object : objects)
            map["table|src." + object + "|MODE"] = "true";
        for (auto& [key, value] : extra)
            map[key] = value;
        return map;
    }

    /// Runs a job to its end; checks the progress invariants on the way.
    std::unique_ptr<Transfer> transfer(Transfer::Options map) {
        auto job = std::make_unique<Transfer>(std::move(map));
        job->set_server_source(m_source);
        job->set_server_target(m_target);
        job->set_progress(Dovodarud::Contracts::ThreadProgress::create());
        job->handle();
        const auto& progress = *job->get_progress();
        EXPECT_EQ(progress.state, Dizezida::Dovodarud::Contracts::JobState::ended);
        EXPECT_EQ(progress.processed, progress.succeeded + progress.failed);
        return job;
    }

    /// "a/b": rows of src.T missing from dst.T2 and back.
    std::string difference(const std::string& table, const std::string& target,
                           const std::string& columns = "t.*") {
        const auto rows = [&](const std::string& name) {
            return "SELECT (" + columns + ")::text FROM " + name + " t";
        };
        return run("SELECT (SELECT count(*) FROM (" + rows("src." + table) + " EXCEPT ALL " +
                   rows("dst." + target) + ") x) || '/' || (SELECT count(*) FROM (" +
                   rows("dst." + target) + " EXCEPT ALL " + rows("src." + table) + ") y)");
    }

    ScratchDatabase m_database{"transfer"};
    std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection> m_source, m_target;
};

TEST_F(TransferJob, CopiesEveryRowAndWhatDependsOnThemComesAfter) {
    const auto job = transfer(options({"parent", "order", "audit", "awkward", "big_orders"}));
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    for (const char* table : {"parent", "\"order\"", "audit", "awkward"})
        EXPECT_EQ(difference(table, table), "0/0") << table;
    for (const auto& table : job->table_results()) {
        EXPECT_TRUE(table.done) << table.source_table;
        EXPECT_EQ(table.failed, 0u);
    }
    // The trigger came after the rows: the audit table holds the source's rows only.
    EXPECT_EQ(run("SELECT count(*) FROM dst.audit"), run("SELECT count(*) FROM src.audit"));
    // Sequences and identities go on after the copied values.
    EXPECT_EQ(run("INSERT INTO dst.parent (\"Name\") VALUES ('new') RETURNING id"), "31");
    EXPECT_EQ(run("INSERT INTO dst.\"order\" (parent_id, n, total) VALUES (31, 1, 5) RETURNING id"),
              "2501");
    EXPECT_EQ(run("SELECT count(*) FROM dst.audit"), run("SELECT count(*) + 1 FROM src.audit"));
    // Keys point into the renamed schema; the routine and the view work there.
    EXPECT_EQ(run("SELECT confrelid::regclass::text FROM pg_constraint WHERE contype = 'f' AND "
                  "conrelid = 'dst.\"order\"'::regclass"),
              "dst.parent");
    EXPECT_NE(run("SELECT prosrc FROM pg_proc WHERE oid = 'dst.audit_order'::regproc")
                  .find("'order;' || NEW.id); -- a \";\" in a text and here;"),
              std::string::npos);
    EXPECT_EQ(run("SELECT count(*) FROM dst.big_orders"), run("SELECT count(*) FROM src.big_orders"));
    EXPECT_EQ(run("SELECT to_regclass('dst.skipped') IS NULL"), "t");
}

TEST_F(TransferJob, RenamesMapsColumnsFiltersRowsAndPages) {
    const auto job = transfer(
        options({"parent", "order"}, {{"table|src.parent|NAME", "owner"},
                                      {"table|src.parent|FIELDS", R"(["id", ["Name", "title"]])"},
                                      {"table|src.order|NAME", "orders"},
                                      {"table|src.order|BATCH", "0"}, // falls back to pages of 1000
                                      {"table|src.order|RECORDS", R"(["n = 1", "n = 3"])"}}));
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_EQ(run("SELECT string_agg(attname, ',' ORDER BY attnum) FROM pg_attribute WHERE "
                  "attrelid = 'dst.owner'::regclass AND attnum > 0"),
              "id,title");
    EXPECT_EQ(difference("parent", "owner"), "0/0"); // same shape: id and the renamed text
    EXPECT_EQ(run("SELECT count(*) FROM dst.orders"),
              run("SELECT count(*) FROM src.\"order\" WHERE n IN (1, 3)"));
    EXPECT_EQ(run("SELECT count(*) FROM dst.orders WHERE n NOT IN (1, 3)"), "0");
    // The key followed both renames.
    EXPECT_EQ(run("SELECT pg_get_constraintdef(oid) FROM pg_constraint WHERE contype = 'f' AND "
                  "conrelid = 'dst.orders'::regclass"),
              "FOREIGN KEY (parent_id) REFERENCES dst.owner(id)");
    const auto tables = job->table_results();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[1].batch, Transfer::k_default_batch);
}

TEST_F(TransferJob, ViewBecomesATableOfItsColumnTypes) {
    const auto job = transfer(options({"order", "big_orders"},
                                      {{"table|src.big_orders|VIEW2TABLE", "true"},
                                       {"table|src.big_orders|NAME", "big_copy"}}));
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_EQ(run("SELECT relkind FROM pg_class WHERE oid = 'dst.big_copy'::regclass"), "r");
    EXPECT_EQ(run("SELECT string_agg(format_type(atttypid, atttypmod), ',' ORDER BY attnum) FROM "
                  "pg_attribute WHERE attrelid = 'dst.big_copy'::regclass AND attnum > 0"),
              "integer,numeric(12,2),numeric");
    EXPECT_EQ(run("SELECT to_regclass('dst.big_orders') IS NULL"), "t");
}

TEST_F(TransferJob, RejectedRowsFailTheTableAndAreReported) {
    run("CREATE SCHEMA dst; CREATE TABLE dst.parent (id integer PRIMARY KEY, \"Name\" text "
        "CHECK (\"Name\" <> 'p17')); INSERT INTO dst.parent VALUES (1000, 'stale');");
    const auto going_on = transfer(options({"parent"}, {{"OPTION|RESULT|CONTINUE", "true"}}));
    const auto table = going_on->table_results().at(0);
    EXPECT_FALSE(table.done);
    EXPECT_EQ(table.copied, 29u);
    EXPECT_EQ(table.failed, 1u);
    EXPECT_EQ(table.message, "1 of 30 rows failed");
    EXPECT_NE(job_messages(*going_on).find("p17"), std::string::npos) << job_messages(*going_on);
    // The existing table was emptied first, not added to.
    EXPECT_EQ(run("SELECT count(*) FROM dst.parent WHERE id = 1000"), "0");

    const auto stopping = transfer(options({"parent"}));
    EXPECT_FALSE(stopping->table_results().at(0).done);
    EXPECT_EQ(stopping->get_progress()->failed, 1u);
    EXPECT_NE(job_messages(*stopping).find("p17"), std::string::npos);
}

TEST_F(TransferJob, NeverCopiesATableOntoItselfNorDropsItsSource) {
    auto same = options({"parent"}, {{"schema|src|NAME", "src"}});
    const auto kept = transfer(same);
    EXPECT_FALSE(kept->table_results().at(0).done);
    EXPECT_EQ(run("SELECT count(*) FROM src.parent"), "30");

    same["OPTION|RESULT|DROP_OBJECT"] = "true";
    const auto refused = transfer(same);
    EXPECT_GE(refused->get_progress()->failed, 1u);
    EXPECT_NE(job_messages(*refused).find("not dropped"), std::string::npos)
        << job_messages(*refused);
    EXPECT_EQ(run("SELECT count(*) FROM src.parent"), "30");
}

TEST_F(TransferJob, EndsOnEveryPath) {
    Transfer job(options({"parent"}));
    job.set_progress(Dovodarud::Contracts::ThreadProgress::create());
    job.handle(); // no connections
    EXPECT_EQ(job.get_progress()->state, Dizezida::Dovodarud::Contracts::JobState::ended);
    EXPECT_EQ(job.get_progress()->failed, 1u);

    const auto missing = transfer({{"OPTION|SOURCE|DATABASE", "no such database"}});
    EXPECT_EQ(missing->get_progress()->failed, 1u);
}

} // namespace

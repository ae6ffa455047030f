// Data synchronisation on a real server: one scratch database, the source
// rows in schema src, the target rows in schema dst, a session for each.
#include "Transform/UserdataSynchronizer.hpp"

#include "provider/Contracts/DataSetModel.hpp"
#include "tests/Transform/Data/DataSyncTesting.hpp"
#include "tests/Transform/FixedJob.hpp"
#include "tests/Transform/TransformTesting.hpp"
#include "tests/support/AwkwardValues.hpp"
#include "tests/ui/CommandRun.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Transform::UserdataSynchronizer;

/// A table of every type family, keyed by text and number together.
constexpr const char* k_families = R"(
CREATE TYPE src.mood AS ENUM ('sad', 'ok', 'happy');
CREATE TABLE src.families (code text, n integer, small smallint, big bigint, r real,
  num numeric, money_ money, d date, t time, tz timetz, ts timestamp, iv interval, u uuid,
  ip inet, net cidr, mac macaddr, bits bit varying, j json, x xml, ints int[], p point,
  m src.mood, r4 int4range, PRIMARY KEY (code, n));
INSERT INTO src.families
SELECT code, n, n, n * 10000000000, n / 3.0, n * 1.5, n::numeric::money, date '2024-02-29' + n,
  time '12:34:56.789' , timetz '01:02:03+05:30', timestamp '2000-01-01' + n * interval '1 hour',
  n * interval '1 min', md5(code || n)::uuid, ('10.0.0.' || n)::inet, ('10.' || n || '.0.0/16')::cidr,
  '08:00:2b:01:02:03', B'1011', '{"k": "v"}', '<a>&amp;</a>', ARRAY[n, NULL], point(n, -n),
  'ok', int4range(n, n + 5)
FROM unnest(ARRAY['O''Brien', 'é', 'z', 'A b', '"q"', '', '10', '9', E'tab\there',
                  E'back\\slash']) code,
     generate_series(1, 3) n;
)";

class DataSync : public ::testing::Test {
protected:
    void SetUp() override {
        run("CREATE SCHEMA src; CREATE SCHEMA dst;");
        run(awkward_table_sql("src.awkward"));
        run(k_families);
        run("CREATE TABLE dst.awkward (LIKE src.awkward INCLUDING ALL);"
            "CREATE TABLE dst.families (LIKE src.families INCLUDING ALL);"
            // The target's rows stand in the other order.
            "INSERT INTO dst.awkward SELECT * FROM src.awkward ORDER BY id DESC;"
            "INSERT INTO dst.families SELECT * FROM src.families ORDER BY code DESC, n DESC;"
            // Deleted, changed (NULL to '' and back, bytes, JSON), added.
            "DELETE FROM dst.awkward WHERE id IN (5, 20);"
            "UPDATE dst.awkward SET label = '' WHERE id = 1;"
            "UPDATE dst.awkward SET label = NULL WHERE id = 2;"
            "UPDATE dst.awkward SET data = '\\x00'::bytea, doc = '{}' WHERE id = 7;"
            "INSERT INTO dst.awkward (id, label) VALUES (100, 'only here'), (101, NULL);"
            "DELETE FROM dst.families WHERE code = 'O''Brien' AND n = 2;"
            "UPDATE dst.families SET x = '<b/>', p = point(0, 0) WHERE code = 'é';"
            "UPDATE dst.families SET ts = NULL WHERE code = '' AND n = 1;"
            "UPDATE dst.families SET j = '[]' WHERE code = E'tab\\there' AND n = 3;"
            "DELETE FROM dst.families WHERE code = E'back\\\\slash' AND n = 1;"
            "INSERT INTO dst.families (code, n) VALUES ('extra', 1);"
            // Counts every row the sync writes.
            "CREATE TABLE public.writes (tab text, op text);"
            "CREATE FUNCTION public.count_write() RETURNS trigger LANGUAGE plpgsql AS "
            "$$BEGIN INSERT INTO public.writes VALUES (TG_TABLE_NAME, TG_OP); RETURN NULL; END$$;"
            "CREATE TRIGGER counted AFTER INSERT OR UPDATE OR DELETE ON dst.awkward "
            "FOR EACH ROW EXECUTE PROCEDURE public.count_write();"
            "CREATE TRIGGER counted AFTER INSERT OR UPDATE OR DELETE ON dst.families "
            "FOR EACH ROW EXECUTE PROCEDURE public.count_write();");
        m_source = open();
        m_target = open();
    }
    void TearDown() override {
        m_source->close();
        m_target->close();
    }

    std::string run(const std::string& sql) { return run_sql_on(m_database.conninfo(), sql); }

    std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection> open() {
        return open_postgresql(m_database.conninfo(), "datasync");
    }

    std::unique_ptr<UserdataSynchronizer> job(std::vector<std::string> tables, bool go_on = false) {
        Dovodarud::Transform::SyncPlan plan;
        plan.source_schema = "src";
        plan.target_schema = "dst";
        plan.go_on = go_on;
        for (const auto& table : tables)
            plan.objects.emplace("table", table);
        auto made = std::make_unique<UserdataSynchronizer>(plan);
        made->set_server_source(m_source);
        made->set_server_target(m_target);
        made->set_progress(Dovodarud::Contracts::ThreadProgress::create());
        return made;
    }

    std::string equality(const std::string& table, const std::string& order) {
        return table_equality(m_database.conninfo(), table, order);
    }

    std::string writes() {
        return run("SELECT coalesce(string_agg(tab || ' ' || op || ' ' || n, ', ' ORDER BY tab, op), '') "
                   "FROM (SELECT tab, op, count(*) n FROM public.writes GROUP BY 1, 2) w");
    }

    ScratchDatabase m_database{"datasync"};
    std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection> m_source, m_target;
};

std::vector<std::string> sorted(std::vector<std::string> list) {
    std::sort(list.begin(), list.end());
    return list;
}

TEST_F(DataSync, HashComparisonGivesTheStatementsOfTheInMemoryComparison) {
    auto sync = job({});
    ASSERT_TRUE(sync->initialize().has_value());
    auto preview = sync->preview();
    ASSERT_TRUE(preview.has_value()) << preview.error().message;
    const auto reference = std::static_pointer_cast<Zozuvoru::Contracts::DataSetModel>(*preview);
    ASSERT_TRUE(reference);
    auto fast = sync->generate();
    ASSERT_TRUE(fast.has_value()) << fast.error().message;
    const auto expected = sync->statements(reference->get_tables());
    ASSERT_TRUE(expected.has_value()) << expected.error().message;
    EXPECT_EQ(sorted(*fast), sorted(*expected));
    EXPECT_EQ(fast->size(), 7u + 8u); // awkward, then families
    // Every statement is keyed.
    for (const auto& statement : *fast) {
        if (!statement.starts_with("INSERT")) {
            EXPECT_NE(statement.find(" WHERE "), std::string::npos) << statement;
        }
    }
}

TEST_F(DataSync, RowHashesTellApartWhatTheValuesTellApart) {
    // Rows that differ only where a careless row hash would not see it:
    // values swapped between columns or moved across their boundary, NULL
    // against '', texts that only the output function keeps apart (padding
    // of an unbounded bpchar, -0, a numeric's scale); and rows equal.
    run("CREATE TABLE src.near (id int PRIMARY KEY, a text, b text, c bpchar, f float8,"
        " n numeric, t text[]);"
        "CREATE TABLE dst.near (LIKE src.near INCLUDING ALL);"
        "INSERT INTO src.near VALUES (1, 'x', 'y', 'p', 0, 1.0, '{a}'),"
        " (2, 'ab', 'c', 'p', 0, 1.0, '{a}'), (3, '', NULL, 'p', 0, 1.0, '{a}'),"
        " (4, 'x', 'y', 'p ', 0, 1.0, '{a}'), (5, 'x', 'y', 'p', '-0', 1.0, '{a}'),"
        " (6, 'x', 'y', 'p', 0, 1.00, '{a}'), (7, 'x', 'y', 'p', 0, 1.0, '{\"a,b\"}'),"
        " (8, 'same', NULL, NULL, NULL, NULL, NULL), (9, 'x', 'y', 'p', 0, 1.0, '{a}');"
        "INSERT INTO dst.near VALUES (1, 'y', 'x', 'p', 0, 1.0, '{a}'),"
        " (2, 'a', 'bc', 'p', 0, 1.0, '{a}'), (3, NULL, '', 'p', 0, 1.0, '{a}'),"
        " (4, 'x', 'y', 'p', 0, 1.0, '{a}'), (5, 'x', 'y', 'p', 0, 1.0, '{a}'),"
        " (6, 'x', 'y', 'p', 0, 1.0, '{a}'), (7, 'x', 'y', 'p', 0, 1.0, '{a,b}'),"
        " (8, 'same', NULL, NULL, NULL, NULL, NULL), (9, 'x', 'y', 'p', 0, 1.0, '{a}');");
    auto sync = job({"near"});
    ASSERT_TRUE(sync->initialize().has_value());
    auto preview = sync->preview();
    ASSERT_TRUE(preview.has_value()) << preview.error().message;
    const auto reference = std::static_pointer_cast<Zozuvoru::Contracts::DataSetModel>(*preview);
    auto fast = sync->generate();
    ASSERT_TRUE(fast.has_value()) << fast.error().message;
    const auto expected = sync->statements(reference->get_tables());
    ASSERT_TRUE(expected.has_value()) << expected.error().message;
    EXPECT_EQ(sorted(*fast), sorted(*expected));
    std::vector<std::string> updated;
    for (const auto& statement : *fast)
        updated.push_back(statement.substr(statement.rfind(' ') + 1));
    EXPECT_EQ(sorted(updated), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
    // The statements run on the server and leave the target equal, -0 and padding included.
    sync->handle();
    EXPECT_EQ(sync->get_progress()->failed, 0u);
    EXPECT_EQ(equality("near", "id"), "0/0 same");
}

TEST_F(DataSync, SyncCommandMakesTheTablesEqualTouchingOnlyDifferingRows) {
    const std::string conninfo = m_database.conninfo();
    const auto dry = run_command("sync", {"--source", conninfo, "--target", conninfo, "--data",
                                          "--schema", "src", "--target-schema", "dst", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.err.find("awkward: 2 to insert, 3 to update, 2 to delete\n"
                           "sync: families: 2 to insert, 5 to update, 1 to delete\n"),
              std::string::npos)
        << dry.err;
    // The statements that would run, each ended by a semicolon.
    const auto expected = job({})->generate();
    ASSERT_TRUE(expected.has_value()) << expected.error().message;
    std::string script;
    for (const auto& statement : *expected)
        script += statement + ";\n";
    EXPECT_EQ(dry.out, script);
    EXPECT_EQ(writes(), "");

    const auto done = run_command("sync", {"--source", conninfo, "--target", conninfo, "--data",
                                           "--schema", "src", "--target-schema", "dst"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_NE(done.err.find("15 rows done, 0 failed"), std::string::npos) << done.err;
    EXPECT_EQ(equality("awkward", "id"), "0/0 same");
    EXPECT_EQ(equality("families", "code, n"), "0/0 same");
    EXPECT_EQ(writes(), "awkward DELETE 2, awkward INSERT 2, awkward UPDATE 3, "
                        "families DELETE 1, families INSERT 2, families UPDATE 5");

    // A second run finds nothing and writes nothing.
    run("TRUNCATE public.writes");
    const auto again = run_command("sync", {"--source", conninfo, "--target", conninfo, "--data",
                                            "--schema", "src", "--target-schema", "dst"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(writes(), "");
}

TEST_F(DataSync, RefusesATableWithoutAPrimaryKey) {
    run("CREATE TABLE src.loose (a int, b text); CREATE TABLE dst.loose (a int, b text);"
        "INSERT INTO src.loose VALUES (1, 'x');");
    const std::string conninfo = m_database.conninfo();
    const auto refused = run_command("sync", {"--source", conninfo, "--target", conninfo, "--data",
                                              "--schema", "src", "--target-schema", "dst",
                                              "--table", "loose"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("\"src\".\"loose\" has no primary key"), std::string::npos)
        << refused.err;
    EXPECT_EQ(run("SELECT count(*) FROM dst.loose"), "0");
    // A key on other columns on the target is refused too.
    run("ALTER TABLE src.loose ADD PRIMARY KEY (a); ALTER TABLE dst.loose ADD PRIMARY KEY (b)");
    auto sync = job({"loose"});
    const auto initialized = sync->initialize();
    ASSERT_FALSE(initialized);
    EXPECT_NE(initialized.error().message.find("another primary key"), std::string::npos);
}

TEST_F(DataSync, ProgressCountsEveryRowAndTheJobAlwaysEnds) {
    // The target refuses one of the source's rows (the one labelled "bell").
    run("DELETE FROM dst.awkward WHERE id = 17;"
        "ALTER TABLE dst.awkward ADD CONSTRAINT no_bell CHECK (label NOT LIKE 'bell%')");
    for (const bool go_on : {false, true}) {
        run("TRUNCATE public.writes");
        auto sync = job({"awkward"}, go_on);
        ASSERT_TRUE(sync->initialize().has_value());
        const auto progress = sync->get_progress();
        bool consistent = true;
        std::thread worker([&] { sync->handle(); });
        for (bool ended = false; !ended;) {
            {
                std::lock_guard lock(sync->progress_lock());
                consistent =
                    consistent && progress->processed == progress->succeeded + progress->failed;
                ended = progress->state == Dovodarud::Contracts::JobState::ended;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        worker.join();
        EXPECT_TRUE(consistent);
        EXPECT_EQ(progress->failed, 1u);
        ASSERT_EQ(progress->messages.size(), 1u);
        EXPECT_NE(progress->messages[0].find("no_bell"), std::string::npos);
        if (go_on) {
            // The other rows are written; only the refused one differs.
            EXPECT_EQ(progress->processed, 8u);
            EXPECT_EQ(equality("awkward", "id"), "1/0 differ");
        } else {
            EXPECT_EQ(writes(), ""); // all or nothing
        }
    }
    // A job that cannot compare still ends, with its failure counted.
    run("DROP TABLE dst.awkward");
    auto broken = job({"awkward"});
    broken->handle();
    EXPECT_EQ(broken->get_progress()->state, Dizezida::Dovodarud::Contracts::JobState::ended);
    EXPECT_EQ(broken->get_progress()->failed, 1u);
}

/// A plan that goes on past failures, or not.
Dovodarud::Transform::SyncPlan going_on(bool go_on) {
    Dovodarud::Transform::SyncPlan plan;
    plan.go_on = go_on;
    return plan;
}

TEST_F(DataSync, StatementsSentTogetherAreCountedAsIfSentAlone) {
    // More statements than one text carries; two fail, far apart, one ends
    // in a line comment and one is blank.
    std::vector<std::string> statements;
    for (int id = 1; id <= 2500; ++id)
        statements.push_back(fmt::format("INSERT INTO public.batch VALUES ({}, 'row {}')", id, id));
    statements[1499] = "INSERT INTO public.batch VALUES (1, 'again')";
    statements[2399] = "INSERT INTO public.batch VALUES (2, 'again')";
    statements[10] += " -- the closing comment; of a line";
    statements[20] = "  \n ";
    for (const bool go_on : {true, false}) {
        run("DROP TABLE IF EXISTS public.batch; CREATE TABLE public.batch (id int PRIMARY KEY, "
            "note text)");
        FixedJob sync(statements, going_on(go_on));
        sync.set_server_target(m_target);
        sync.set_progress(Dovodarud::Contracts::ThreadProgress::create());
        sync.handle();
        const auto& progress = *sync.get_progress();
        ASSERT_FALSE(progress.messages.empty());
        EXPECT_NE(progress.messages[0].find("batch_pkey"), std::string::npos)
            << progress.messages[0];
        if (go_on) {
            EXPECT_EQ(progress.failed, 2u);
            EXPECT_EQ(progress.succeeded, 2497u);
            EXPECT_EQ(run("SELECT count(*) || ' ' || sum(id) FROM public.batch"),
                      fmt::format("2497 {}", 2500 * 2501 / 2 - 1500 - 2400 - 21));
        } else {
            // The first failure ends the run and undoes it all.
            EXPECT_EQ(progress.failed, 1u);
            EXPECT_EQ(progress.succeeded, 1498u);
            EXPECT_EQ(run("SELECT count(*) FROM public.batch"), "0");
        }
    }
}

TEST_F(DataSync, ALabelAddedOutsideTheTransactionRunsWhateverBlanksLeadIt) {
    // Before PostgreSQL 12 a new enum label runs before the transaction;
    // leading blanks must not make it skipped by both passes.
    run("CREATE TYPE public.tone AS ENUM ('low')");
    FixedJob sync({"\n  ALTER TYPE public.tone ADD VALUE 'high'", "  SELECT 1"}, going_on(false));
    sync.set_server_target(m_target);
    sync.set_progress(Dovodarud::Contracts::ThreadProgress::create());
    sync.handle();
    EXPECT_EQ(sync.get_progress()->failed, 0u);
    EXPECT_EQ(sync.get_progress()->succeeded, 2u);
    EXPECT_EQ(run("SELECT string_agg(enumlabel, ',' ORDER BY enumsortorder) FROM pg_enum"
                  " WHERE enumtypid = 'public.tone'::regtype"),
              "low,high");
}

} // namespace

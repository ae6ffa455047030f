// The transfer's fast paths against its plain one: rows in COPY's binary
// format give exactly what COPY text gives (every type family, user-defined
// types kept on text), binary pages cut at tuple boundaries and replayed row
// by row, and several jobs sharing one snapshot of a source that changes
// under them.
#include "tests/Transform/Transfer/TransferTesting.hpp"
#include "tests/support/AwkwardValues.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Transform::Transfer;

int server_major(const std::string& conninfo) {
    return std::stoi(run_sql_on(conninfo, "SHOW server_version_num")) / 10000;
}

/// A table of every built-in type family with its edge values, one row per
/// value set; `major` leaves out what older servers lack.
std::string families_sql(int major) {
    const bool v14 = major >= 14;
    std::string sql = R"(
CREATE TABLE s.families (id int PRIMARY KEY, i2 smallint, i8 bigint, n numeric, n2 numeric(20,5),
  r real, d double precision, m money, vc varchar(5), c char(3), t text, b bytea, bo boolean,
  da date, ti time, tz timetz, ts timestamp, tt timestamptz, iv interval, u uuid, j json,
  jb jsonb, x xml, ip inet, ci cidr, ma macaddr, bi bit(4), vb varbit, pt point, bx box,
  tv tsvector, tq tsquery, r4 int4range, rt tstzrange, rn numrange, ai int[], at text[],
  a2 float8[], o oid)" + std::string(v14 ? ", mr int4multirange" : "") + R"();
INSERT INTO s.families VALUES
 (1, -32768, -9223372036854775808, 'NaN', -99999.99999, 'NaN', 'Infinity', '-92233720368547758.08',
  '', '', '', '', false, '-infinity', '00:00', '00:00+14', 'infinity', '-infinity',
  '-178000000 years', '00000000-0000-0000-0000-000000000000', '{"a": [1, "\u00e9"]}',
  '{"b": null}', '<a>x</a>', '::1', '10.0.0.0/8', '08:00:2b:01:02:03', B'1010', B'',
  '(0,-0)', '((1,1),(0,0))', 'a:1A fat:2B', 'fat & !rat', 'empty', '[,)', '(,1.5]',
  '{1,NULL,-3}', '[0:1]={"a\\b","NULL"}', '{{1.5,NaN},{-Infinity,Infinity}}', 4294967295)"
                      + std::string(v14 ? ", '{[1,3), [5,7)}'" : "") + R"(),
 (2, 32767, 9223372036854775807, '1e-1000', 99999.99999, '-Infinity', 1e-308, '0', 'ü€😀',
  'ab', E'tab\there\nline\\', '\x00ff5c0a', true, '4713-01-01 BC', '24:00', '23:59:59.999999-15:59',
  '294276-12-31 23:59:59.999999', '2024-02-29 12:34:56.123456+05:30', '1 mon -2 days 00:00:00.000001',
  'ffffffff-ffff-ffff-ffff-ffffffffffff', '[]', '[1e400]', '<?xml version="1.0"?><r/>',
  '2001:db8::1/64', '::/0', 'ff:ff:ff:ff:ff:ff', B'0000', B'1', '(1e300,-1e-300)',
  '((0,0),(0,0))', '', 'a <-> b', '[-2147483648,2147483647)', '["2000-01-01 00:00+00",infinity)', 'empty',
  '{}', '{}', '{NULL}', 0)" + std::string(v14 ? ", '{}'" : "") + R"(),
 (3, NULL, NULL, '123456789012345678901234567890.123456789012345678901234567890')" +
                      [&] {
                          std::string nulls;
                          for (int column = 0; column < (v14 ? 36 : 35); ++column)
                              nulls += ", NULL";
                          return nulls;
                      }() + R"();
CREATE TYPE s.mood AS ENUM ('sad', 'o''k');
CREATE DOMAIN s.positive AS int CHECK (VALUE > 0);
CREATE TYPE s.pair AS (a int, "b c" text);
CREATE TABLE s.user_types (id int PRIMARY KEY, mood s.mood, moods s.mood[], p s.positive,
  pr s.pair, prs s.pair[]);
INSERT INTO s.user_types VALUES (1, 'o''k', '{sad,NULL}', 7, '(1,"x y")', ARRAY['(2,)']::s.pair[]),
  (2, NULL, '{}', NULL, '(,)', NULL);
CREATE TABLE s.wide (id int PRIMARY KEY, body text, blob bytea);
INSERT INTO s.wide SELECT g, repeat(chr(65 + g % 26), g % 3001), decode(repeat('00ff', g % 700), 'hex')
  FROM generate_series(1, 3000) g;
)";
    if (v14)
        sql += "INSERT INTO s.families (id, n) VALUES (4, 'Infinity'), (5, '-Infinity');\n";
    return sql;
}

class TransferWire : public ::testing::Test {
protected:
    void SetUp() override {
        source("CREATE SCHEMA s;" + families_sql(server_major(m_source.conninfo())) +
               awkward_table_sql("s.awkward"));
    }

    std::string source(const std::string& sql) { return run_sql_on(m_source.conninfo(), sql); }

    /// Copies `tables` of schema s into `target` with `extra` options.
    std::unique_ptr<Transfer> transfer(const ScratchDatabase& target, Transfer::Options extra,
                                       const std::vector<std::string>& tables = {
                                           "families", "user_types", "wide", "awkward"}) {
        Transfer::Options map{{"OPTION|SOURCE|DATABASE", m_source.name()}, {"schema|s|MODE", "true"}};
        for (const std::string& table : tables)
            map["table|" + table + "|MODE"] = "true";
        for (auto& [key, value] : extra)
            map[key] = value;
        return run_transfer(std::move(map), m_source.conninfo(), target.conninfo());
    }

    /// One hash per table of schema s: every row's text (floats by their bits), in key order.
    static std::string hashes(const std::string& conninfo) {
        return run_sql_on(conninfo, R"(
SELECT string_agg(h, ' ' ORDER BY h) FROM (
  SELECT 'families:' || md5(string_agg(f::text || float4send(r)::text || float8send(d)::text, '|' ORDER BY id)) AS h FROM s.families f
  UNION ALL SELECT 'user_types:' || md5(string_agg(u::text, '|' ORDER BY id)) FROM s.user_types u
  UNION ALL SELECT 'wide:' || md5(string_agg(w::text, '|' ORDER BY id)) FROM s.wide w
  UNION ALL SELECT 'awkward:' || md5(string_agg(a::text, '|' ORDER BY id)) FROM s.awkward a) x)");
    }

    static std::map<std::string, bool> formats(const Transfer& job) {
        std::map<std::string, bool> binary;
        for (const auto& table : job.table_results())
            binary[table.source_table] = table.binary;
        return binary;
    }

    ScratchDatabase m_source{"wire_src"};
};

TEST_F(TransferWire, BinaryCopyGivesWhatTextCopyGives) {
    ScratchDatabase as_text{"wire_text"}, as_binary{"wire_binary"};
    const auto text = transfer(as_text, {{"OPTION|RESULT|BINARY", "false"}});
    ASSERT_EQ(text->get_progress()->failed, 0u) << job_messages(*text);
    // Pages of a few rows, so tuples are cut out of every block boundary.
    const auto binary =
        transfer(as_binary, {{"table|families|BATCH", "1"}, {"table|wide|BATCH", "7"}});
    ASSERT_EQ(binary->get_progress()->failed, 0u) << job_messages(*binary);

    const std::string expected = hashes(m_source.conninfo());
    EXPECT_EQ(hashes(as_text.conninfo()), expected);
    EXPECT_EQ(hashes(as_binary.conninfo()), expected);
    EXPECT_EQ(formats(*text), (std::map<std::string, bool>{
                                  {"awkward", false}, {"families", false}, {"user_types", false}, {"wide", false}}));
    // User-defined types have oids of their own on each server: text.
    EXPECT_EQ(formats(*binary), (std::map<std::string, bool>{
                                    {"awkward", true}, {"families", true}, {"user_types", false}, {"wide", true}}));
}

TEST_F(TransferWire, RejectedBinaryRowsAreFoundOneByOne) {
    ScratchDatabase target{"wire_reject"};
    run_sql_on(target.conninfo(), "CREATE SCHEMA s; CREATE TABLE s.wide (id int PRIMARY KEY, body "
                                  "text CHECK (body NOT LIKE 'QQQ%'), blob bytea)");
    const auto going_on = transfer(
        target, {{"table|wide|BATCH", "500"}, {"OPTION|RESULT|CONTINUE", "true"}}, {"wide"});
    const auto table = going_on->table_results().at(0);
    EXPECT_TRUE(table.binary);
    // Rows 16, 42, ... start with Q (65 + 16) and have a body of three or more letters.
    const std::string rejected = source("SELECT count(*) FROM s.wide WHERE body LIKE 'QQQ%'");
    EXPECT_EQ(std::to_string(table.failed), rejected);
    EXPECT_EQ(std::to_string(table.copied), source("SELECT 3000 - " + rejected));
    EXPECT_NE(job_messages(*going_on).find("QQQ"), std::string::npos) << job_messages(*going_on);
    EXPECT_EQ(run_sql_on(target.conninfo(), "SELECT count(*) FROM s.wide WHERE body LIKE 'QQQ%'"), "0");

    const auto stopping = transfer(target, {{"table|wide|BATCH", "500"}}, {"wide"});
    EXPECT_FALSE(stopping->table_results().at(0).done);
    EXPECT_EQ(stopping->get_progress()->failed, 1u) << job_messages(*stopping);
}

class TransferJobs : public ::testing::Test {
protected:
    std::string source(const std::string& sql) { return run_sql_on(m_source.conninfo(), sql); }

    ScratchDatabase m_source{"jobs_src"};
    ScratchDatabase m_target{"jobs_dst"};
};

// Every writer transaction adds a parent with its child and takes away
// another pair: in any one snapshot each parent has exactly one child.
// Tables read in different snapshots would show parents without children.
TEST_F(TransferJobs, ShareOneSnapshotWhileTheSourceChanges) {
    source("CREATE SCHEMA s;"
           "CREATE TABLE s.parent (id bigint PRIMARY KEY, note text);"
           "CREATE TABLE s.child (id bigint PRIMARY KEY, parent_id bigint NOT NULL REFERENCES "
           "s.parent ON DELETE CASCADE, twice bigint);"
           "CREATE TABLE s.other (id int, note text);"
           "INSERT INTO s.parent SELECT g, repeat('p', g % 50) FROM generate_series(1, 200000) g;"
           "INSERT INTO s.child SELECT g, g, 2 * g FROM generate_series(1, 200000) g;"
           "INSERT INTO s.other SELECT g, 'o' FROM generate_series(1, 100000) g;");
    std::atomic<bool> copying{true};
    std::atomic<int> commits{0};
    std::thread writer([&] {
        auto session = open_postgresql(m_source.conninfo(), "jobs_writer");
        // One statement a transaction, not waiting for its flush: many
        // commits in the moment the jobs take their snapshots.
        (void)session->execute_no_query("SET synchronous_commit = off", 0);
        for (long id = 1000001; copying; ++id) {
            const std::string sql = fmt::format(
                "WITH p AS (INSERT INTO s.parent VALUES ({0}, 'new')), c AS (INSERT INTO s.child "
                "VALUES ({0}, {0}, {1})) DELETE FROM s.parent WHERE id = {2}",
                id, 2 * id, id - 1000000);
            if (session->execute_no_query(sql, 0))
                ++commits;
        }
        session->close();
    });
    while (commits < 5)
        std::this_thread::yield();
    const int before = commits;
    const auto job = run_transfer({{"OPTION|SOURCE|DATABASE", m_source.name()},
                                   {"schema|s|MODE", "true"},
                                   {"OPTION|RESULT|JOBS", "3"},
                                   {"table|parent|MODE", "true"},
                                   {"table|parent|BATCH", "5000"},
                                   {"table|child|MODE", "true"},
                                   {"table|child|BATCH", "5000"},
                                   {"table|other|MODE", "true"}},
                                  m_source.conninfo(), m_target.conninfo());
    copying = false;
    writer.join();
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_GT(commits - before, 1) << "the source did not change during the copy";
    const auto target = [&](const std::string& sql) { return run_sql_on(m_target.conninfo(), sql); };
    EXPECT_EQ(target("SELECT count(*) FROM s.parent p FULL JOIN s.child c ON c.parent_id = p.id "
                     "WHERE p.id IS NULL OR c.id IS NULL OR c.twice <> 2 * p.id"),
              "0");
    EXPECT_EQ(target("SELECT count(*) FROM s.parent"), "200000");
    EXPECT_EQ(target("SELECT count(*) FROM s.child"), "200000");
    EXPECT_EQ(target("SELECT count(*) FROM s.other"), "100000");
}

TEST_F(TransferJobs, CopyEveryTableOnceAndEndOnTheirResults) {
    std::string sql = "CREATE SCHEMA s;";
    Transfer::Options map{{"OPTION|SOURCE|DATABASE", m_source.name()},
                          {"schema|s|MODE", "true"},
                          {"OPTION|RESULT|JOBS", "4"}};
    for (int table = 0; table < 6; ++table) {
        map["table|s.t" + std::to_string(table) + "|MODE"] = "true";
        sql += "CREATE TABLE s.t" + std::to_string(table) + " (id int, v text); INSERT INTO s.t" +
               std::to_string(table) + " SELECT g, md5(g::text) FROM generate_series(1, " +
               std::to_string(1000 * (table + 1)) + ") g;";
    }
    source(sql);
    const auto job = run_transfer(map, m_source.conninfo(), m_target.conninfo());
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_EQ(job->rows_copied(), 21000u);
    for (const auto& table : job->table_results()) {
        EXPECT_TRUE(table.done) << table.source_table;
        const std::string name = "s." + table.source_table;
        EXPECT_EQ(run_sql_on(m_target.conninfo(), "SELECT md5(string_agg(t::text, ',' ORDER BY id)) FROM " + name + " t"),
                  source("SELECT md5(string_agg(t::text, ',' ORDER BY id)) FROM " + name + " t"))
            << name;
    }
}

// From 14 on a big table is read in ranges of blocks by several jobs; rows
// the source moves meanwhile (an UPDATE writes a new version elsewhere in
// the table) are read once, as the shared snapshot has them.
TEST_F(TransferJobs, ABigTableIsReadInPartsOfOneSnapshot) {
    source("CREATE SCHEMA s; CREATE TABLE s.big (id int PRIMARY KEY, v text);"
           "INSERT INTO s.big SELECT g, repeat(md5(g::text), 30) FROM generate_series(1, 42000) g;");
    std::atomic<bool> copying{true};
    std::atomic<int> commits{0};
    std::thread writer([&] {
        auto session = open_postgresql(m_source.conninfo(), "parts_writer");
        for (int id = 1; copying; id = id % 42000 + 997)
            if (session->execute("UPDATE s.big SET v = upper(v) WHERE id = " + std::to_string(id), 0))
                ++commits;
        session->close();
    });
    while (commits < 5)
        std::this_thread::yield();
    const auto job = run_transfer({{"OPTION|SOURCE|DATABASE", m_source.name()},
                                   {"schema|s|MODE", "true"},
                                   {"table|s.big|MODE", "true"},
                                   {"OPTION|RESULT|JOBS", "2"}},
                                  m_source.conninfo(), m_target.conninfo());
    copying = false;
    writer.join();
    // The key, made after the rows, holds: no row twice.
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    const auto table = job->table_results().at(0);
    EXPECT_TRUE(table.done);
    EXPECT_EQ(table.copied, 42000u);
    EXPECT_EQ(table.parts, server_major(m_source.conninfo()) >= 14 ? 2u : 1u);
    EXPECT_EQ(run_sql_on(m_target.conninfo(), "SELECT count(DISTINCT id) FROM s.big"), "42000");
}

} // namespace

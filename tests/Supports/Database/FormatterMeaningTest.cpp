// Beautified and minified SQL must mean what the original means: every
// statement of the corpus (corpus/*.sql, entries separated by a line "----")
// runs on the test server as written, beautified and minified. Queries must
// give the same EXPLAIN (VERBOSE, COSTS OFF) plan and the same result columns;
// definitions must leave the same catalog behind.
#include "Supports/Database/Formatter.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using Dizezida::Dovodarud::Supports::Database::Formatter;

namespace {

const std::filesystem::path k_corpus =
    std::filesystem::path(DIZEZIDA_SOURCE_DIR) / "tests/Supports/Database/corpus";

std::string read_file(const std::filesystem::path& path) {
    std::ifstream input(path, std::ios::binary);
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

/// The entries of every corpus file whose name starts with `prefix`.
std::vector<std::string> corpus_entries(const std::string& prefix) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(k_corpus))
        if (entry.path().filename().string().starts_with(prefix))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> entries;
    for (const auto& file : files) {
        std::istringstream lines(read_file(file));
        std::string line;
        std::string current;
        const auto flush = [&] {
            if (current.find_first_not_of(" \t\r\n") != std::string::npos)
                entries.push_back(current);
            current.clear();
        };
        while (std::getline(lines, line)) {
            if (line == "----")
                flush();
            else
                current += line + "\n";
        }
        flush();
    }
    return entries;
}

/// A libpq session on one database; results come back as text.
class Session {
public:
    explicit Session(const std::string& conninfo)
        : m_connection(PQconnectdb(conninfo.c_str()), PQfinish) {}

    bool ok() const { return PQstatus(m_connection.get()) == CONNECTION_OK; }

    /// Runs SQL (several statements allowed); the rows of the last result,
    /// one line per row, or "ERROR: ..." when it failed.
    std::string run(const std::string& sql) {
        Result result(PQexec(m_connection.get(), sql.c_str()), PQclear);
        return text_of(result.get());
    }

    /// The names and types of the columns a single statement returns.
    std::string describe(const std::string& sql) {
        PQclear(PQexec(m_connection.get(), "DEALLOCATE ALL"));
        Result prepared(PQprepare(m_connection.get(), "probe", sql.c_str(), 0, nullptr), PQclear);
        if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
            return text_of(prepared.get());
        Result described(PQdescribePrepared(m_connection.get(), "probe"), PQclear);
        std::string columns;
        for (int i = 0; i < PQnfields(described.get()); ++i)
            columns += std::string(PQfname(described.get(), i)) + ":" +
                       std::to_string(PQftype(described.get(), i)) + ";";
        return columns;
    }

private:
    using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

    static std::string text_of(const PGresult* result) {
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            return std::string("ERROR: ") + PQresultErrorMessage(result);
        std::string rows;
        for (int row = 0; row < PQntuples(result); ++row) {
            for (int column = 0; column < PQnfields(result); ++column)
                rows += std::string(PQgetvalue(result, row, column)) + "|";
            rows += "\n";
        }
        return rows;
    }

    std::unique_ptr<PGconn, decltype(&PQfinish)> m_connection;
};

/// One line per object left in schema "work": its definition as the server
/// gives it back (columns, defaults, constraints, indexes, views, routines,
/// triggers, rules, policies, types, sequences and comments).
const char* const k_catalog_snapshot = R"SQL(
SELECT coalesce(string_agg(d, E'\n' ORDER BY d), '') FROM (
  SELECT 'rel ' || c.relname || ' ' || c.relkind::text || ' ' || coalesce(obj_description(c.oid, 'pg_class'), '')
      || ' (' || coalesce((SELECT string_agg(a.attname || ' ' || format_type(a.atttypid, a.atttypmod)
          || CASE WHEN a.attnotnull THEN ' not null' ELSE '' END
          || coalesce(' default ' || pg_get_expr(ad.adbin, ad.adrelid), '')
          || coalesce(' -- ' || col_description(c.oid, a.attnum), ''), ', ' ORDER BY a.attnum)
        FROM pg_attribute a LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum
        WHERE a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped), '') || ')'
    FROM pg_class c WHERE c.relnamespace = 'work'::regnamespace
  UNION ALL SELECT 'view ' || c.relname || ' ' || pg_get_viewdef(c.oid)
    FROM pg_class c WHERE c.relnamespace = 'work'::regnamespace AND c.relkind IN ('v', 'm')
  UNION ALL SELECT 'constraint ' || conname || ' ' || pg_get_constraintdef(oid)
    FROM pg_constraint WHERE connamespace = 'work'::regnamespace
  UNION ALL SELECT 'index ' || pg_get_indexdef(i.indexrelid)
    FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid WHERE c.relnamespace = 'work'::regnamespace
  UNION ALL SELECT 'routine ' || pg_get_functiondef(p.oid) || coalesce(obj_description(p.oid, 'pg_proc'), '')
    FROM pg_proc p WHERE p.pronamespace = 'work'::regnamespace AND p.prokind <> 'a'
  UNION ALL SELECT 'aggregate ' || p.proname || '(' || pg_get_function_arguments(p.oid) || ') '
      || a.aggtransfn::text || ' ' || a.aggtranstype::regtype::text || ' ' || coalesce(a.agginitval, '')
    FROM pg_proc p JOIN pg_aggregate a ON a.aggfnoid = p.oid WHERE p.pronamespace = 'work'::regnamespace
  UNION ALL SELECT 'trigger ' || pg_get_triggerdef(t.oid)
    FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
    WHERE c.relnamespace = 'work'::regnamespace AND NOT t.tgisinternal
  UNION ALL SELECT 'rule ' || pg_get_ruledef(r.oid)
    FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class
    WHERE c.relnamespace = 'work'::regnamespace AND r.rulename <> '_RETURN'
  UNION ALL SELECT 'policy ' || p.polname || ' ' || p.polcmd::text || ' ' || coalesce(pg_get_expr(p.polqual, p.polrelid), '')
      || ' ' || coalesce(pg_get_expr(p.polwithcheck, p.polrelid), '')
    FROM pg_policy p JOIN pg_class c ON c.oid = p.polrelid WHERE c.relnamespace = 'work'::regnamespace
  UNION ALL SELECT 'type ' || t.typname || ' ' || t.typtype::text || ' ' || format_type(t.typbasetype, t.typtypmod)
      || ' ' || coalesce(t.typdefault, '') || ' ' || coalesce(obj_description(t.oid, 'pg_type'), '')
      || ' ' || coalesce((SELECT string_agg(e.enumlabel, ',' ORDER BY e.enumsortorder)
                          FROM pg_enum e WHERE e.enumtypid = t.oid), '')
    FROM pg_type t WHERE t.typnamespace = 'work'::regnamespace AND t.typarray <> 0
  UNION ALL SELECT 'sequence ' || s.seqrelid::regclass::text || ' ' || s.seqstart || ' ' || s.seqincrement
      || ' ' || s.seqmax || ' ' || s.seqmin || ' ' || s.seqcache || ' ' || s.seqcycle
    FROM pg_sequence s JOIN pg_class c ON c.oid = s.seqrelid WHERE c.relnamespace = 'work'::regnamespace
  UNION ALL SELECT 'grant ' || c.relname || ' ' || coalesce(c.relacl::text, '')
    FROM pg_class c WHERE c.relnamespace = 'work'::regnamespace
  UNION ALL SELECT 'setting ' || current_setting('work.note', true)
) AS snapshot(d)
)SQL";

class FormatterMeaning : public ::testing::Test {
protected:
    void SetUp() override {
        m_database = std::make_unique<Dizezida::Testing::ScratchDatabase>("formatter");
        m_session = std::make_unique<Session>(m_database->conninfo());
        ASSERT_TRUE(m_session->ok());
        const std::string schema = read_file(k_corpus / "schema.sql");
        ASSERT_EQ(m_session->run(schema).rfind("ERROR", 0), std::string::npos)
            << m_session->run(schema);
    }

public:
    /// The plan and result columns of a query, or its error.
    std::string query_meaning(const std::string& sql) {
        return m_session->run("EXPLAIN (VERBOSE, COSTS OFF) " + sql) + m_session->describe(sql);
    }

    /// What a script leaves in a fresh schema "work" (rolled back afterwards).
    std::string definition_meaning(const std::string& sql) {
        m_session->run("BEGIN; CREATE SCHEMA work; SET LOCAL search_path = work, public");
        std::string meaning = m_session->run(sql);
        if (meaning.rfind("ERROR", 0) != 0)
            meaning = m_session->run(k_catalog_snapshot);
        m_session->run("ROLLBACK");
        return meaning;
    }

    template <class Meaning> void check_corpus(const std::string& prefix, Meaning meaning) {
        const Formatter formatter;
        const std::vector<std::string> entries = corpus_entries(prefix);
        std::size_t checked = 0;
        for (const std::string& sql : entries) {
            const std::string original = (this->*meaning)(sql);
            if (original.rfind("ERROR", 0) == 0) {
                ADD_FAILURE() << "the corpus entry itself fails:\n" << sql << "\n" << original;
                continue;
            }
            ++checked;
            for (const std::string& formatted : {formatter.beautify(sql), formatter.minify(sql)}) {
                EXPECT_EQ((this->*meaning)(formatted), original)
                    << "original:\n" << sql << "\nformatted:\n" << formatted;
            }
        }
        EXPECT_EQ(checked, entries.size());
        EXPECT_GT(checked, 0u);
    }

protected:
    std::unique_ptr<Dizezida::Testing::ScratchDatabase> m_database;
    std::unique_ptr<Session> m_session;
};

} // namespace

TEST(FormatterCorpus, HoldsAtLeastTwoHundredStatements) {
    EXPECT_GE(corpus_entries("query").size() + corpus_entries("ddl").size(), 200u);
}

TEST_F(FormatterMeaning, QueriesKeepTheirPlansAndColumns) {
    check_corpus("query", &FormatterMeaning::query_meaning);
}

TEST_F(FormatterMeaning, DefinitionsLeaveTheSameCatalog) {
    check_corpus("ddl", &FormatterMeaning::definition_meaning);
}

TEST_F(FormatterMeaning, ComparisonSeesChangesOfMeaning) {
    EXPECT_NE(query_meaning("select 1 as a"), query_meaning("select 1 as b"));
    EXPECT_NE(query_meaning("select id from accounts where owner = 'a  b'"),
              query_meaning("select id from accounts where owner = 'a b'"));
    EXPECT_NE(query_meaning("select id, -- note\n owner from accounts"),
              query_meaning("select id, -- note owner from accounts"));
    EXPECT_NE(definition_meaning("create function f() returns text language sql as $$select '  '$$"),
              definition_meaning("create function f() returns text language sql as $$select ' '$$"));
    EXPECT_NE(definition_meaning("create view v as select 1 as \"a  b\""),
              definition_meaning("create view v as select 1 as \"a b\""));
}

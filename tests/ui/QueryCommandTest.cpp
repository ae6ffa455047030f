#include "tests/support/TestServer.hpp"
#include "tests/ui/CommandRun.hpp"

#include "Foundation/LoggingService.hpp"
#include "Contracts/Log/ILogManager.hpp"

#include <glib.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using Dizezida::Testing::CommandRun;
using Dizezida::Testing::run_command;
using Dizezida::Testing::test_conninfo;

CommandRun run_query(std::vector<std::string> arguments, const std::string& input = {}) {
    arguments.insert(arguments.begin(), {"--server", test_conninfo()});
    return run_command("query", std::move(arguments), input);
}

/// psql's standard output for a script file, with its options.
std::string psql(std::vector<std::string> options, const std::string& file) {
    std::vector<std::string> words{"psql", "-X", "-v", "ON_ERROR_STOP=1", "-P", "pager=off",
                                   "-d", test_conninfo()};
    words.insert(words.end(), options.begin(), options.end());
    words.insert(words.end(), {"-f", file});
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    gchar** environment = g_environ_setenv(g_get_environ(), "PGCLIENTENCODING", "UTF8", TRUE);
    gchar* out = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool spawned = g_spawn_sync(nullptr, argv.data(), environment, G_SPAWN_SEARCH_PATH,
                                      nullptr, nullptr, &out, nullptr, &status, &error);
    g_strfreev(environment);
    EXPECT_TRUE(spawned) << (error ? error->message : "");
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr));
    std::string text = out ? out : "";
    g_free(out);
    g_clear_error(&error);
    return text;
}

/// A script in a file that is removed at the end of the test.
class ScriptFile {
public:
    explicit ScriptFile(const std::string& text) {
        char pattern[] = "/tmp/query-script-XXXXXX.sql";
        const int fd = ::mkstemps(pattern, 4);
        ::close(fd);
        m_path = pattern;
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~ScriptFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Rows of every kind of statement: DDL, DML with and without RETURNING,
// quoting, NULL, line breaks, control characters, wide characters.
const char* const k_script = R"(CREATE TEMP TABLE q (id int, name text, price numeric, ok boolean, note text);
INSERT INTO q VALUES (1, 'alice', 1.50, true, NULL),
  (22, 'bob, "the" builder', -3, false, E'two\nlines');
SELECT * FROM q ORDER BY id;
UPDATE q SET price = price * 2 WHERE id = 1 RETURNING id, price;
SELECT E'tab\there' AS t, E'cr\rx' AS c, E'esc\x1b[31m' AS "e\x7f", '日本語' AS wide,
       'e' || U&'\0301' AS accent, '' AS empty, NULL AS nothing, '\.' AS dot,
       E'\u0085' AS c1, 'x' AS "multi
line";
SELECT 1 AS a, 'x' AS "two words", 2.5::float8 AS f WHERE false;
SELECT 12345678901234567890.123::numeric AS big, 'NaN'::numeric AS nan, 1e-7::float8 AS small,
       (-2)::int8 AS neg, '$1.00'::money AS cash, 7::oid AS o;
DELETE FROM q;
)";

} // namespace

TEST(QueryCommand, ScriptOutputIsPsqlsByteForByte) {
    const ScriptFile script(k_script);
    const CommandRun csv = run_query({"-f", script.path(), "--format", "csv"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, psql({"--csv"}, script.path()));

    const CommandRun aligned = run_query({"--file", script.path()});
    EXPECT_EQ(aligned.status, 0) << aligned.err;
    EXPECT_EQ(aligned.out, psql({}, script.path()));

    const CommandRun quiet = run_query({"-q", "-f", script.path(), "--format", "csv"});
    EXPECT_EQ(quiet.out, psql({"--csv", "-q"}, script.path()));
}

TEST(QueryCommand, JsonHasNullsBooleansAndExactNumbers) {
    const ScriptFile script(k_script);
    const CommandRun run = run_query({"-f", script.path(), "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    // One array per statement that returns rows; nothing for the others.
    std::vector<nlohmann::json> documents;
    std::istringstream lines(run.out);
    std::string document;
    for (std::string line; std::getline(lines, line);) {
        document += line + '\n';
        if (line == "]" || line == "[]") {
            documents.push_back(nlohmann::json::parse(document));
            document.clear();
        }
    }
    EXPECT_EQ(document, "");
    ASSERT_EQ(documents.size(), 5u) << run.out;
    const auto& rows = documents[0];
    EXPECT_EQ(rows[0]["id"], 1);
    EXPECT_EQ(rows[0]["ok"], true);
    EXPECT_TRUE(rows[0]["note"].is_null());
    EXPECT_EQ(rows[1]["name"], "bob, \"the\" builder");
    EXPECT_EQ(rows[1]["note"], "two\nlines");
    EXPECT_EQ(rows[1]["price"], -3);
    EXPECT_EQ(documents[2][0]["multi\nline"], "x");
    EXPECT_TRUE(documents[3].empty());
    // The server's digits as they are; what JSON has no number for as text.
    EXPECT_NE(run.out.find("\"price\": 1.50"), std::string::npos);
    EXPECT_NE(run.out.find("\"big\": 12345678901234567890.123,"), std::string::npos);
    EXPECT_EQ(documents[4][0]["nan"], "NaN");
    EXPECT_EQ(documents[4][0]["small"], 1e-07);
    EXPECT_EQ(documents[4][0]["neg"], -2);
    EXPECT_EQ(documents[4][0]["cash"], "$1.00");
    EXPECT_EQ(documents[4][0]["o"], 7);
}

TEST(QueryCommand, StopsAtTheFirstFailingStatementNamingItsLine) {
    const ScriptFile script("SELECT 1 AS one;\n"
                            "-- the next one fails\n"
                            "\n"
                            "SELECT\n  1/0;\n"
                            "SELECT 3 AS three;\n");
    const CommandRun run = run_query({"-f", script.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, " one \n-----\n   1\n(1 row)\n\n");
    EXPECT_NE(run.err.find(script.path() + ":4: statement 2 failed"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("22012"), std::string::npos) << run.err;

    // Each statement commits on its own, as psql runs a script.
    const std::string table = "query_autocommit_" + std::to_string(::getpid());
    const CommandRun partial = run_query({"CREATE TABLE " + table + " (a int); SELEC 1;"});
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out, "CREATE TABLE\n");
    EXPECT_NE(partial.err.find("<argument>:1: statement 2 failed"), std::string::npos);
    EXPECT_EQ(run_query({"DROP TABLE " + table}).out, "DROP TABLE\n");
}

TEST(QueryCommand, ReadsStandardInputAndRefusesTwoSources) {
    const CommandRun stdin_run = run_query({}, "SELECT 'a' AS x;\nSELECT 2 AS y");
    EXPECT_EQ(stdin_run.status, 0) << stdin_run.err;
    EXPECT_EQ(stdin_run.out, " x \n---\n a\n(1 row)\n\n y \n---\n 2\n(1 row)\n\n");
    EXPECT_EQ(run_query({"-f", "-"}, "SELECT 1 AS z").out, " z \n---\n 1\n(1 row)\n\n");

    EXPECT_EQ(run_query({"-f", "/nonexistent/script.sql"}).status, 1);
    EXPECT_EQ(run_query({"-f", "-", "SELECT 1"}).status, Dizezida::Rezizida::k_usage_error);
    EXPECT_EQ(run_query({"--format", "xml", "SELECT 1"}).status, Dizezida::Rezizida::k_usage_error);
}

TEST(QueryCommand, UriServerFailuresAndTheSessionLogName) {
    // A URI naming the socket folder and port of the test server.
    const std::string conninfo = test_conninfo();
    const auto host = conninfo.substr(5, conninfo.find(' ') - 5);
    const auto port_at = conninfo.find("port=") + 5;
    const auto port = conninfo.substr(port_at, conninfo.find(' ', port_at) - port_at);
    const std::string uri = "postgresql://postgres@:" + port + "/postgres?host=" + host;
    const CommandRun ok = run_command(
        "query", {"--server", uri, "SELECT count(*) AS n FROM generate_series(1, 3)"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, " n \n---\n 3\n(1 row)\n\n");
    // The session's log lines name the server instead of leaving it blank.
    const auto logger = Dizezida::Dovodarud::Foundation::LoggingService::get_manager()->open(
        "cli-" + std::to_string(::getpid()));
    EXPECT_EQ(logger->get_server(), "postgres@" + host + ":" + port + "/postgres");
    EXPECT_EQ(logger->get_name(), "dizezida-postgresql");

    const CommandRun bad_sql = run_query({"SELEC 1"});
    EXPECT_EQ(bad_sql.status, 1);
    EXPECT_NE(bad_sql.err.find("42601"), std::string::npos);
    EXPECT_EQ(bad_sql.out, "");

    const CommandRun bad_server =
        run_command("query", {"--server", "host=/nonexistent port=1", "SELECT 1"});
    EXPECT_EQ(bad_server.status, 1);
    EXPECT_FALSE(bad_server.err.empty());
}

#include "tests/ui/CommandRun.hpp"

#include "tests/support/AwkwardValues.hpp"
#include "tests/support/TestServer.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using Dizezida::Testing::CommandRun;
using Dizezida::Testing::run_sql_on;

CommandRun run_export(std::vector<std::string> arguments) {
    return Dizezida::Testing::run_command("export", std::move(arguments));
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ExportCommand, TableRowsRunBackIntoACopyAndUpdatesKeyOnThePrimaryKey) {
    Dizezida::Testing::ScratchDatabase database("export_cli");
    const std::string server = database.conninfo();
    run_sql_on(server, "CREATE SCHEMA \"Sh.op\";" + Dizezida::Testing::awkward_table_sql(
                                                       "\"Sh.op\".\"It'ems\""));
    const CommandRun insert =
        run_export({"--server", server, "--table", "\"Sh.op\".It'ems", "--format", "insert"});
    ASSERT_EQ(insert.status, 0) << insert.err;
    EXPECT_NE(insert.err.find("exported 20 rows"), std::string::npos) << insert.err;
    EXPECT_EQ(insert.out.rfind("INSERT INTO \"Sh.op\".\"It'ems\"(\"id\",", 0), 0u);

    run_sql_on(server, "ALTER TABLE \"Sh.op\".\"It'ems\" RENAME TO original;"
                       "CREATE TABLE \"Sh.op\".\"It'ems\" (LIKE \"Sh.op\".original)");
    run_sql_on(server, insert.out);
    const std::string same = "SELECT count(*) FROM (SELECT * FROM \"Sh.op\".original EXCEPT ALL "
                             "SELECT * FROM \"Sh.op\".\"It'ems\") x";
    EXPECT_EQ(run_sql_on(server, same), "0");

    // A key that is not the first column: the statements find rows by it.
    run_sql_on(server, "CREATE TABLE keyed (name text, id int PRIMARY KEY);"
                       "INSERT INTO keyed VALUES ('same', 1), ('same', 2)");
    const CommandRun update = run_export(
        {"--server", server, "--table", "public.keyed", "--format", "update"});
    ASSERT_EQ(update.status, 0) << update.err;
    EXPECT_NE(update.out.find("WHERE \"id\" = 2;"), std::string::npos) << update.out;
    // Unqualified, the table is found on the search path, as the query finds it.
    const CommandRun found =
        run_export({"--server", server, "--table", "keyed", "--format", "update"});
    ASSERT_EQ(found.status, 0) << found.err;
    EXPECT_NE(
        found.out.find("UPDATE \"keyed\" SET \"name\" = 'same', \"id\" = 2 WHERE \"id\" = 2;"),
        std::string::npos)
        << found.out;
}

TEST(ExportCommand, AFailedExportKeepsTheOldFile) {
    Dizezida::Testing::ScratchDatabase database("export_cli_file");
    const std::string server = database.conninfo();
    run_sql_on(server, "CREATE TABLE t (id int, note text); INSERT INTO t VALUES (1, '<x>')");
    char folder_template[] = "/tmp/dizezida-export-cli-XXXXXX";
    ASSERT_NE(g_mkdtemp(folder_template), nullptr);
    const std::string folder = folder_template;
    const std::string file = folder + "/t.html";
    std::ofstream(file) << "old";

    const CommandRun bad = run_export({"--server", server, "--query",
                                       "SELECT 1/(2 - g) FROM generate_series(1, 5) g",
                                       "--format", "html", "-o", file});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("division by zero"), std::string::npos) << bad.err;
    EXPECT_EQ(read_file(file), "old");

    const CommandRun good =
        run_export({"--server", server, "--table", "t", "--format", "html", "-o", file});
    ASSERT_EQ(good.status, 0) << good.err;
    EXPECT_NE(read_file(file).find("<td>&lt;x&gt;</td>"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);

    const CommandRun empty = run_export(
        {"--server", server, "--query", "SELECT * FROM t WHERE false", "--format", "md", "-o", file});
    ASSERT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(read_file(file), "| id | note |\n|----|------|\n");
    std::filesystem::remove_all(folder);
}

TEST(ExportCommand, UsageErrors) {
    EXPECT_EQ(run_export({"--format", "insert"}).status, 2);
    EXPECT_EQ(run_export({"--table", "a.b", "--query", "SELECT 1", "--format", "md"}).status, 2);
    EXPECT_EQ(run_export({"--table", "a.b", "--format", "pdf"}).status, 2);
    EXPECT_EQ(run_export({"--table", "a.b", "--format", "md", "--option", "NOEQUALS"}).status, 2);
    const CommandRun no_table = run_export({"--server", Dizezida::Testing::test_conninfo(),
                                            "--query", "SELECT 1 AS a", "--format", "insert"});
    EXPECT_EQ(no_table.status, 1);
    EXPECT_NE(no_table.err.find("TABLENAME"), std::string::npos);
}

} // namespace

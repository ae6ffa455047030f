#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using Dizezida::Testing::CommandRun;
using Dizezida::Testing::run_sql_on;

CommandRun run_import(std::vector<std::string> arguments) {
    return Dizezida::Testing::run_command("import", std::move(arguments));
}

class ImportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/dizezida-import-cli-XXXXXX";
        ASSERT_NE(g_mkdtemp(folder), nullptr);
        m_folder = folder;
        run_sql_on(m_database.conninfo(),
                   "CREATE TABLE people (id integer PRIMARY KEY, name text, age integer)");
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string rows() {
        return run_sql_on(m_database.conninfo(),
                          "SELECT string_agg(concat_ws(':', id, coalesce(name, '-'),"
                          " coalesce(age::text, '-')), ',' ORDER BY id) FROM people");
    }

    Dizezida::Testing::ScratchDatabase m_database{"import_cli"};
    std::string m_folder;
};

TEST_F(ImportCommand, ColumnsGoByNameOrByTheListAndFailedRowsAreReported) {
    const std::string server = m_database.conninfo();
    // By name, whatever the order; an unknown file column is left out.
    const CommandRun named = run_import(
        {"--server", server, "--table", "public.people",
         file("a.csv", "age,extra,id,name\n30,x,1,Ann\n,y,2,\"\"\n")});
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_NE(named.err.find("imported 2 rows, 0 failed"), std::string::npos) << named.err;
    EXPECT_NE(named.err.find("extra"), std::string::npos);
    EXPECT_EQ(rows(), "1:Ann:30,2::-");

    // --columns: the table column of each file column; JSON by member names.
    const CommandRun listed =
        run_import({"--server", server, "--table", "public.people", "--columns", "name,-,id",
                    "--option", "HAS_HEADER=false", "--format", "csv",
                    file("b.txt", "Bob,ignored,3\n")});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const CommandRun json = run_import(
        {"--server", server, "--table", "public.people",
         file("c.json", R"({"RECORDS": [{"name": "Cy", "id": 4, "age": null}]})")});
    ASSERT_EQ(json.status, 0) << json.err;
    const CommandRun xml = run_import(
        {"--server", server, "--table", "public.people",
         file("f.xml", "<RECORDS><RECORD><name>Di</name><id>10</id></RECORD>"
                       "<RECORD id=\"11\" age=\"11\"/></RECORDS>")});
    ASSERT_EQ(xml.status, 0) << xml.err;
    EXPECT_EQ(rows(), "1:Ann:30,2::-,3:Bob:-,4:Cy:-,10:Di:-,11:-:11");

    // A bad row: reported with its number, the rest imported, exit status 1.
    const std::string errors = m_folder + "/errors.csv";
    const CommandRun bad = run_import({"--server", server, "--table", "public.people", "--errors",
                                       errors, file("d.csv", "id,age\n5,50\n6,old\n7,70\n")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("row 3:"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("imported 2 rows, 1 failed"), std::string::npos) << bad.err;
    std::ifstream saved(errors);
    std::string header, line;
    std::getline(saved, header);
    std::getline(saved, line);
    EXPECT_EQ(header, "row,message");
    EXPECT_EQ(line.rfind("3,", 0), 0u) << line;

    // --stop-on-error: nothing of the file stays.
    const CommandRun stopped =
        run_import({"--server", server, "--table", "public.people", "--stop-on-error",
                    file("e.csv", "id,age\n8,80\n9,old\n")});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(run_sql_on(server, "SELECT count(*) FROM people WHERE id IN (8, 9)"), "0");
}

TEST_F(ImportCommand, PreviewNeedsNoServerAndUsageErrorsSayWhy) {
    const CommandRun preview =
        run_import({"--preview", "1", file("p.tsv", "a\tb\n1\t\"x\ty\"\n2\t3\n")});
    ASSERT_EQ(preview.status, 0) << preview.err;
    EXPECT_NE(preview.out.find("x       y"), std::string::npos) << preview.out; // tab expanded
    EXPECT_NE(preview.out.find("(1 row)"), std::string::npos) << preview.out;
    EXPECT_EQ(run_import({file("p.bin", "x")}).status, 2);
    EXPECT_EQ(run_import({"--preview", "1", file("q.csv", "a\n\"open\n")}).status, 1);
    EXPECT_EQ(run_import({"--table", "people", "--action", "upsert", file("r.csv", "a\n")}).status,
              2);
}

} // namespace

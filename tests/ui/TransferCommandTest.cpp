// `transfer` through the front end, from one scratch database to another:
// row conditions and column maps whose texts hold the characters that
// separate lists, and tables whose qualified names read alike.
#include "tests/ui/CommandRun.hpp"

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

namespace {

using Dizezida::Testing::CommandRun;
using Dizezida::Testing::run_sql_on;

class TransferCommand : public ::testing::Test {
protected:
    CommandRun transfer(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--source", m_source.conninfo(), "--target", m_target.conninfo()});
        return Dizezida::Testing::run_command("transfer", std::move(arguments));
    }
    std::string source(const std::string& sql) { return run_sql_on(m_source.conninfo(), sql); }
    std::string target(const std::string& sql) { return run_sql_on(m_target.conninfo(), sql); }

    Dizezida::Testing::ScratchDatabase m_source{"transfer_cli_src"};
    Dizezida::Testing::ScratchDatabase m_target{"transfer_cli_dst"};
};

TEST_F(TransferCommand, ConditionsKeepTheirSemicolonsAndEqualsSigns) {
    source("CREATE SCHEMA s; CREATE TABLE s.t (id int PRIMARY KEY, note text);"
           "INSERT INTO s.t VALUES (1, 'a;b'), (2, 'x=y'), (3, 'a'), (4, 'b'''), (5, 'c'), "
           "(6, 'd')");
    const CommandRun run = transfer({"--table", "s.t", "--where", "s.t:note = 'a;b'", "--where",
                                     "s.t:note = 'x=y'", "--where", "s.t:id = 5; id = 6"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(target("SELECT string_agg(id::text, ',' ORDER BY id) FROM s.t"), "1,2,5,6");
}

TEST_F(TransferCommand, ColumnsNamedWithListSeparatorsAreMappedWhole) {
    source("CREATE SCHEMA s; CREATE TABLE s.t (id int PRIMARY KEY, \"a,b=c\" text, \"x;y\" text, "
           "\"p=q\" text, left_out text);"
           "INSERT INTO s.t VALUES (1, 'one', 'two', 'three', 'four')");
    const CommandRun run = transfer(
        {"--table", "s.t", "--columns", "s.t:id,\"a,b=c\"=renamed,\"x;y\",\"p=q\"=\"r;s\""});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(target("SELECT string_agg(attname, '|' ORDER BY attnum) FROM pg_attribute WHERE "
                     "attrelid = 's.t'::regclass AND attnum > 0"),
              "id|renamed|x;y|r;s");
    EXPECT_EQ(target("SELECT concat_ws('/', id, renamed, \"x;y\", \"r;s\") FROM s.t"),
              "1/one/two/three");
}

TEST_F(TransferCommand, TablesWhoseQualifiedNamesReadAlikeKeepTheirOwnOptions) {
    // x."y.z" and "x.y".z are both "x.y.z" when joined with a point.
    source(
        "CREATE SCHEMA x; CREATE SCHEMA \"x.y\"; CREATE SCHEMA \"p|q\";"
        "CREATE TABLE x.\"y.z\" (id int PRIMARY KEY); CREATE TABLE \"x.y\".z (id int PRIMARY KEY);"
        "CREATE TABLE \"p|q\".\"a|b\" (id int PRIMARY KEY, \"c|d\" int);"
        "INSERT INTO x.\"y.z\" SELECT generate_series(1, 3);"
        "INSERT INTO \"x.y\".z SELECT generate_series(1, 3);"
        "INSERT INTO \"p|q\".\"a|b\" SELECT g, g FROM generate_series(1, 3) g");
    const CommandRun run =
        transfer({"--table", "x.\"y.z\"=first", "--table", "\"x.y\".z=second", "--where",
                  "\"x.y\".z:id > 1", "--table", "\"p|q\".\"a|b\"=\"e|f\"", "--columns",
                  "\"p|q\".\"a|b\":id,\"c|d\"=\"g|h\"", "--where", "\"p|q\".\"a|b\":\"c|d\" <> 2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(target("SELECT count(*) FROM x.first"), "3");
    EXPECT_EQ(target("SELECT string_agg(id::text, ',' ORDER BY id) FROM \"x.y\".second"), "2,3");
    EXPECT_EQ(target("SELECT string_agg(\"g|h\"::text, ',' ORDER BY id) FROM \"p|q\".\"e|f\""),
              "1,3");
    EXPECT_EQ(target("SELECT count(*) FROM pg_class WHERE relname IN ('y.z', 'z', 'a|b')"), "0");
    EXPECT_NE(run.out.find("x.first\t3\t0\tdone"), std::string::npos) << run.out;
}

} // namespace

// The transfer job with names and conditions that hold the characters its
// option map uses: one scratch database, copied table by table into a
// second one.
#include "tests/Transform/Transfer/TransferTesting.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Transform::Transfer;

class TransferNames : public ::testing::Test {
protected:
    std::string source(const std::string& sql) { return run_sql_on(m_source.conninfo(), sql); }
    std::string target(const std::string& sql) { return run_sql_on(m_target.conninfo(), sql); }

    /// Runs a job to its end.
    std::unique_ptr<Transfer> transfer(Transfer::Options map) {
        map["OPTION|SOURCE|DATABASE"] = m_source.name();
        return run_transfer(std::move(map), m_source.conninfo(), m_target.conninfo());
    }

    ScratchDatabase m_source{"transfer_names_src"};
    ScratchDatabase m_target{"transfer_names_dst"};
};

TEST_F(TransferNames, ConditionsAndColumnMapsKeepTheirSeparators) {
    source("CREATE SCHEMA s; CREATE TABLE s.t (id int PRIMARY KEY, \"a,b=c\" text, \"x;y\" text);"
           "INSERT INTO s.t VALUES (1, 'a;b', 'one'), (2, 'x=y', 'two'), (3, 'a', 'three')");
    const auto job =
        transfer({{"schema|s|MODE", "true"},
                  {"table|s.t|MODE", "true"},
                  {"table|s.t|FIELDS", R"(["id", ["a,b=c", "x=y"], "x;y"])"},
                  {"table|s.t|RECORDS", R"(["\"a,b=c\" = 'a;b'", "\"a,b=c\" = 'x=y'"])"}});
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_EQ(target("SELECT string_agg(attname, '|' ORDER BY attnum) FROM pg_attribute WHERE "
                     "attrelid = 's.t'::regclass AND attnum > 0"),
              "id|x=y|x;y");
    EXPECT_EQ(target("SELECT string_agg(concat_ws('/', id, \"x=y\", \"x;y\"), ',' ORDER BY id) "
                     "FROM s.t"),
              "1/a;b/one,2/x=y/two");
}

TEST_F(TransferNames, TablesWhoseQualifiedNamesReadAlikeAreToldApart) {
    source(
        "CREATE SCHEMA x; CREATE SCHEMA \"x.y\";"
        "CREATE TABLE x.\"y.z\" (id int PRIMARY KEY); CREATE TABLE \"x.y\".z (id int PRIMARY KEY);"
        "INSERT INTO x.\"y.z\" SELECT generate_series(1, 3);"
        "INSERT INTO \"x.y\".z SELECT generate_series(1, 3)");
    const auto job = transfer({{"schema|x|MODE", "true"},
                               {"schema|x.y|MODE", "true"},
                               {"table|x.y\\.z|MODE", "true"},
                               {"table|x.y\\.z|NAME", "first"},
                               {"table|x\\.y.z|MODE", "true"},
                               {"table|x\\.y.z|NAME", "second"},
                               {"table|x\\.y.z|RECORDS", "[\"id > 1\"]"}});
    ASSERT_EQ(job->get_progress()->failed, 0u) << job_messages(*job);
    EXPECT_EQ(target("SELECT count(*) FROM x.first"), "3");
    EXPECT_EQ(target("SELECT string_agg(id::text, ',' ORDER BY id) FROM \"x.y\".second"), "2,3");
}

} // namespace

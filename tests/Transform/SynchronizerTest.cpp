// The statement splitter and the shared job runner, without a server (the
// runs against servers are sync_structure.sh).
#include "Supports/Database/SqlStatements.hpp"
#include "tests/Transform/FixedJob.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida::Dovodarud;
namespace Core = Dizezida::Core;
using Supports::Database::split_statements;

std::vector<std::string> texts(std::string_view script) {
    std::vector<std::string> out;
    for (const auto& statement : split_statements(script))
        out.push_back(statement.text);
    return out;
}

TEST(SplitStatementsTest, SemicolonsInsideQuotesBodiesAndCommentsStay) {
    EXPECT_EQ(texts("SELECT 'a;b'; SELECT \"x;y\" FROM t;\nSELECT E'it\\';s'"),
              (std::vector<std::string>{"SELECT 'a;b'", "SELECT \"x;y\" FROM t", "SELECT E'it\\';s'"}));
    EXPECT_EQ(texts("CREATE FUNCTION f() RETURNS int AS $fn$ BEGIN RETURN 1; END $fn$ LANGUAGE plpgsql;"
                    "-- a; comment\nSELECT /* a; /* nested; */ b; */ 2;"),
              (std::vector<std::string>{
                  "CREATE FUNCTION f() RETURNS int AS $fn$ BEGIN RETURN 1; END $fn$ LANGUAGE plpgsql",
                  "-- a; comment\nSELECT /* a; /* nested; */ b; */ 2"}));
    EXPECT_EQ(texts("CREATE FUNCTION g() RETURNS int LANGUAGE sql BEGIN ATOMIC SELECT CASE WHEN true "
                    "THEN 1 END; SELECT 2; END; SELECT $1, a$b FROM t"),
              (std::vector<std::string>{"CREATE FUNCTION g() RETURNS int LANGUAGE sql BEGIN ATOMIC "
                                        "SELECT CASE WHEN true THEN 1 END; SELECT 2; END",
                                        "SELECT $1, a$b FROM t"}));
}

TEST(SplitStatementsTest, EmptyPartsAreLeftOutAndLinesCounted) {
    const auto statements = split_statements(";;\n  -- only a comment\n;\nSELECT 1;\n\n  SELECT\n2 ;");
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_EQ(statements[0].text, "SELECT 1");
    EXPECT_EQ(statements[0].line, 4u);
    EXPECT_EQ(statements[1].text, "SELECT\n2");
    EXPECT_EQ(statements[1].line, 6u);
}

using Dizezida::Testing::FixedJob;

TEST(SynchronizerTest, TheJobEndsOnEveryPath) {
    // Nothing to do: ended, nothing counted.
    FixedJob equal{std::vector<std::string>{}};
    equal.set_progress(Contracts::ThreadProgress::create());
    equal.handle();
    EXPECT_EQ(equal.get_progress()->state, Dizezida::Dovodarud::Contracts::JobState::ended);
    EXPECT_EQ(equal.get_progress()->processed, 0u);

    // A failing generation: one failed step with its message, and ended.
    FixedJob broken{Core::fail(Core::Error{"test", 1, "cannot read the schema"})};
    broken.set_progress(Contracts::ThreadProgress::create());
    broken.handle();
    const auto& progress = *broken.get_progress();
    EXPECT_EQ(progress.state, Dizezida::Dovodarud::Contracts::JobState::ended);
    EXPECT_EQ(progress.processed, 1u);
    EXPECT_EQ(progress.failed, 1u);
    ASSERT_EQ(progress.messages.size(), 1u);
    EXPECT_TRUE(progress.messages.front().ends_with(" cannot read the schema"));

    // Statements but no target: a failure, not success.
    FixedJob orphan{std::vector<std::string>{"SELECT 1"}};
    orphan.set_progress(Contracts::ThreadProgress::create());
    orphan.handle();
    EXPECT_EQ(orphan.get_progress()->failed, 1u);
    EXPECT_EQ(orphan.get_progress()->state, Dizezida::Dovodarud::Contracts::JobState::ended);
}

TEST(SynchronizerTest, TheOptionMapBecomesThePlan) {
    FixedJob job{std::vector<std::string>{},
                 {{"OPTION|table|t", ""}, {"OPTION|RESULT|CONTINUE", "true"}}};
    EXPECT_TRUE(job.plan().go_on);
    EXPECT_EQ(job.plan().tables(), std::vector<std::string>{"t"});
    EXPECT_EQ(job.plan().source_schema, "");
}

} // namespace

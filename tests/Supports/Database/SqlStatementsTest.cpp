#include "Supports/Database/SqlStatements.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Dizezida::Dovodarud::Supports::Database::split_statements;

/// Each statement as (text, line).
std::vector<std::pair<std::string, std::size_t>> cut(std::string_view script) {
    std::vector<std::pair<std::string, std::size_t>> out;
    for (const auto& statement : split_statements(script))
        out.emplace_back(statement.text, statement.line);
    return out;
}

using Cuts = std::vector<std::pair<std::string, std::size_t>>;

} // namespace

TEST(SqlStatements, SemicolonsEndStatementsAndLinesCountFromTheFirstWord) {
    // Comments before a statement stay with it; its line is its first word's.
    EXPECT_EQ(cut("SELECT 1;\n\n  -- note\n  SELECT 2 ; SELECT 3\n"),
              (Cuts{{"SELECT 1", 1}, {"-- note\n  SELECT 2", 4}, {"SELECT 3", 4}}));
    EXPECT_EQ(cut("/* a\n b */\nCREATE TABLE t (a int);\r\nINSERT INTO t VALUES (1);"),
              (Cuts{{"/* a\n b */\nCREATE TABLE t (a int)", 3}, {"INSERT INTO t VALUES (1)", 4}}));
    // Nothing but white space, comments and empty statements.
    EXPECT_TRUE(cut("").empty());
    EXPECT_TRUE(cut(" ;; -- x;\n/* y; */ ;\n").empty());
}

TEST(SqlStatements, SemicolonsInsideProtectedTextOrParenthesesDoNotCut) {
    const std::string script = "SELECT 'a;b', E'c\\';d', \"e;f\", $$g;h$$, $t$i;$$;j$t$;\n"
                               "CREATE RULE r AS ON INSERT TO t DO ALSO (SELECT 1; SELECT 2);\n"
                               "SELECT 1 -- x;\n"
                               "  + 2 /* y; /* z; */ ; */;\n";
    const Cuts cuts = cut(script);
    ASSERT_EQ(cuts.size(), 3u);
    EXPECT_EQ(cuts[0].first, "SELECT 'a;b', E'c\\';d', \"e;f\", $$g;h$$, $t$i;$$;j$t$");
    // A rule's actions in parentheses are one statement.
    EXPECT_EQ(cuts[1], (std::pair<std::string, std::size_t>{"CREATE RULE r AS ON INSERT TO t DO ALSO (SELECT 1; SELECT 2)", 2}));
    EXPECT_EQ(cuts[2].second, 3u);
    // A literal left open runs to the end of the script.
    EXPECT_EQ(cut("SELECT 1; SELECT 'open; still"), (Cuts{{"SELECT 1", 1}, {"SELECT 'open; still", 1}}));
    // Line breaks inside literals count for the statements after them.
    EXPECT_EQ(cut("SELECT 'a\nb';\nSELECT 2;")[1].second, 3u);
}

TEST(SqlStatements, RoutineBodiesInBeginEndStayWhole) {
    const std::string body = "CREATE OR REPLACE FUNCTION f(a int) RETURNS int LANGUAGE sql\n"
                             "BEGIN ATOMIC\n"
                             "  SELECT CASE WHEN a > 0 THEN 1 ELSE 2 END;\n"
                             "  SELECT 3;\n"
                             "END";
    EXPECT_EQ(cut(body + ";\nSELECT f(1);"), (Cuts{{body, 1}, {"SELECT f(1)", 6}}));
    const std::string procedure = "create procedure p() begin atomic insert into t values (1); end";
    EXPECT_EQ(cut(procedure + "; call p();"), (Cuts{{procedure, 1}, {"call p()", 1}}));
    // BEGIN as a transaction word, and END, cut as usual.
    EXPECT_EQ(cut("BEGIN; CREATE TABLE begin_end (a int); END;"),
              (Cuts{{"BEGIN", 1}, {"CREATE TABLE begin_end (a int)", 1}, {"END", 1}}));
}

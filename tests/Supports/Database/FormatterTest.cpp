#include "Supports/Database/Formatter.hpp"
#include "Supports/Database/SqlSpans.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Dizezida::Dovodarud::Supports::Database::Formatter;
using Dizezida::Dovodarud::Supports::Database::split_sql;
using Dizezida::Dovodarud::Supports::Database::SqlSpans;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string k_two_tabs(8, ' ');

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

} // namespace

TEST(Formatter, BeautifiesASimpleSelectIntoFiveLines) {
    const Formatter formatter;
    EXPECT_EQ(formatter.beautify("select a,b from t where x=1 and y=2"),
              "SELECT a,\n" + k_two_tabs + "b\nFROM t\nWHERE x=1\n" + k_two_tabs + "AND y=2");
}

TEST(Formatter, BreaksJoinsClausesAndConditions) {
    const Formatter formatter;
    EXPECT_EQ(lines_of(formatter.beautify(
                  "select a from t left join u on u.id = t.id inner join w using (k) "
                  "where a between 1 and 2 or b is not null group by a having count(*) > 1 "
                  "order by a desc")),
              (std::vector<std::string>{"SELECT a", "FROM t", "LEFT JOIN u", "    ON u.id = t.id",
                                        "INNER JOIN w", "USING (k)", "WHERE a",
                                        "    BETWEEN 1", "        AND 2",
                                        "        OR b is NOT null", "GROUP BY  a",
                                        "HAVING count(*) > 1", "ORDER BY  a desc"}));
    EXPECT_EQ(lines_of(formatter.beautify("select case when a then 1 else 2 end as x from t")),
              (std::vector<std::string>{"select", "    CASE", "    WHEN a THEN", "    1",
                                        "    ELSE 2", "    END AS x", "FROM t"}));
}

TEST(Formatter, KeepsLiteralsOnTheirLineAndUntouched) {
    const Formatter formatter;
    const std::string out =
        formatter.beautify("select a, 'x, and y from z' as b from t where c = 'select 1, 2'");
    EXPECT_THAT(out, HasSubstr("'x, and y from z' AS b"));
    EXPECT_THAT(out, HasSubstr("WHERE c = 'select 1, 2'"));
    EXPECT_EQ(lines_of(out).size(), 4u) << out;
}

TEST(Formatter, IndentsNestedSubqueriesAndFallsBackOneStepALine) {
    const Formatter formatter;
    EXPECT_EQ(lines_of(formatter.beautify("select a from t where b in (select c from u where d in "
                                          "(select e from v)) and f = 1 and g = 2")),
              (std::vector<std::string>{"SELECT a", "FROM t", "WHERE b IN ", "    (SELECT c",
                                        "    FROM u", "    WHERE d IN ", "        (SELECT e",
                                        "        FROM v))", "            AND f = 1",
                                        "        AND g = 2"}));
}

TEST(Formatter, NestingBeyondTheShiftTableStaysAtTheDeepestStep) {
    const Formatter formatter;
    std::string sql = "select 1";
    for (int i = 0; i < 130; ++i)
        sql = "select x from (select y from t" + std::to_string(i) + " where z in (" + sql + "))";
    const std::string out = formatter.beautify(sql);
    std::size_t deepest = 0;
    for (const std::string& line : lines_of(out))
        deepest = std::max(deepest, line.find_first_not_of(' '));
    EXPECT_EQ(deepest, 4u * Formatter::k_max_depth);
    EXPECT_EQ(formatter.shift(1000), formatter.shift(Formatter::k_max_depth));
    EXPECT_EQ(formatter.shift(-3), "\n");
    std::string folded = formatter.minify(out);
    std::transform(folded.begin(), folded.end(), folded.begin(), ::tolower);
    EXPECT_EQ(folded, formatter.minify(sql));
}

TEST(Formatter, MinifiesWhiteSpaceAndBlanksBeforeParentheses) {
    const Formatter formatter;
    EXPECT_EQ(formatter.minify("SELECT  (  1 )"), "SELECT( 1)");
    EXPECT_EQ(formatter.minify("select\n\ta ,\r\n b\tfrom  f ( x )"), "select a , b from f( x)");
}

TEST(Formatter, EmptyInputGivesEmptyOutput) {
    const Formatter formatter;
    EXPECT_EQ(formatter.beautify(""), "");
    EXPECT_EQ(formatter.minify(""), "");
}

TEST(Formatter, KeepsEveryKindOfProtectedSpanVerbatim) {
    const Formatter formatter;
    const std::vector<std::string> spans = {
        "'a  ,  and\n\n  from  (select) '",
        "'it''s  ( here'",
        "E'tab\\t  \\'quoted\\'  , and'",
        "e'\\\\'",
        "U&'d\\0061t  a'",
        "\"Select  , From\"",
        "\"say \"\" and  or\"",
        "U&\"d\\0061  t\"",
        "$$ begin\n  select  1 ,  2;\n\n  return; end $$",
        "$fn$ a $$ nested $$ and  $x$ b $fn$",
        "/* select  a ,\n\n b */",
        "/* outer /* inner  , and */ still  ( */",
        "-- a comment ,  and  select (\n",
        "-- windows line end\r\n",
    };
    for (const std::string& span : spans) {
        const std::string sql = "select a,  b from t where x = " + span + " and y = 1";
        EXPECT_THAT(formatter.beautify(sql), HasSubstr(span)) << sql;
        EXPECT_THAT(formatter.minify(sql), HasSubstr(span)) << sql;
    }
}

TEST(Formatter, LineCommentKeepsItsLineEnd) {
    const Formatter formatter;
    EXPECT_EQ(formatter.minify("select 1 -- one\n  , 2 --two"), "select 1 -- one\n , 2 --two");
    const std::string out = formatter.beautify("select a, -- first\n b from t -- last");
    EXPECT_THAT(out, HasSubstr("-- first\n"));
    EXPECT_THAT(out, HasSubstr("FROM t -- last"));
}

TEST(Formatter, KeepsTheLineBreakThatJoinsTwoLiterals) {
    const Formatter formatter;
    // 'a' <line break> 'b' is the one string 'ab'; 'a' 'b' on one line is an error.
    EXPECT_EQ(formatter.minify("select 'a'  \n  'b', 'c' 'd'"), "select 'a'\n'b', 'c' 'd'");
    EXPECT_THAT(formatter.beautify("select 'a'\n'b' from t"), HasSubstr("'a'\n'b'"));
    // An E-string goes on with its escapes after the break.
    EXPECT_EQ(formatter.minify("select E'a'\n'\\' or  x'"), "select E'a'\n'\\' or  x'");
}

TEST(Formatter, NeverGluesSelectToTheWordBefore) {
    const Formatter formatter;
    EXPECT_EQ(formatter.beautify("insert into t select 1"), "insert into t SELECT 1");
    EXPECT_EQ(formatter.beautify("create view v as select 1"), "create view v AS SELECT 1");
    EXPECT_EQ(formatter.beautify("  select 1"), "SELECT 1");
}

TEST(Formatter, MarkersBetweenUnionAndSubqueryCollapse) {
    const Formatter formatter;
    const std::string out = formatter.beautify("select 1 union (select 2)");
    EXPECT_THAT(out, Not(HasSubstr("~")));
    EXPECT_EQ(lines_of(out), (std::vector<std::string>{"SELECT 1", "UNION", "    (SELECT 2)"}));
}

TEST(Formatter, UpperCasesKeywordsOnlyOutsideProtectedSpans) {
    const Formatter formatter;
    EXPECT_EQ(formatter.minify("select \"as\" as x"), "select \"as\" as x");
    EXPECT_EQ(formatter.beautify("select \"not null\" as x, y is not null from t"),
              "SELECT \"not null\" AS x,\n" + k_two_tabs + " y is NOT null\nFROM t");
}

TEST(Formatter, InputMarkBytesAndTildesStayData) {
    const Formatter formatter;
    const std::string sql = std::string("select a ~::~ b, '\x01' || x\x02y from t");
    const std::string beautified = formatter.beautify(sql);
    EXPECT_THAT(beautified, HasSubstr("a ~::~ b"));
    EXPECT_THAT(beautified, HasSubstr(std::string("'\x01' || x\x02y")));
    EXPECT_EQ(formatter.minify(sql), sql);
}

TEST(Formatter, UnterminatedSpansRunToTheEnd) {
    const Formatter formatter;
    for (const std::string tail : {"'open  ,  and", "\"open  and", "$q$ open  and", "/* open  and",
                                   "-- open  and"}) {
        const std::string sql = "select  a from t where x = " + tail;
        EXPECT_THAT(formatter.beautify(sql), HasSubstr(tail));
        EXPECT_THAT(formatter.minify(sql), HasSubstr(tail));
    }
}

TEST(SqlSpans, DollarSignsInNamesAndParametersAreCode) {
    const SqlSpans split = split_sql("select a$$b, $1, f$x$ from t where y = $tag$ z $tag$");
    ASSERT_EQ(split.spans.size(), 1u);
    EXPECT_EQ(split.spans[0], "$tag$ z $tag$");
    EXPECT_EQ(split.code, "select a$$b, $1, f$x$ from t where y = \x01");
}

TEST(SqlSpans, OperatorsThatStartLikeCommentsAreSplitWhereTheServerSplits) {
    const SqlSpans split = split_sql("select 1 - -2, 4 / 2, 3 +-- note\n1");
    ASSERT_EQ(split.spans.size(), 1u);
    EXPECT_EQ(split.spans[0], "-- note\n");
    EXPECT_EQ(split.code, "select 1 - -2, 4 / 2, 3 +\x01" "1");
}

TEST(Formatter, OptionTableKeepsTheLastValue) {
    auto formatter = std::make_shared<Formatter>();
    EXPECT_EQ(formatter->option_value("LINE_START"), std::nullopt);
    formatter->option("LINE_START", "SELECT,FROM");
    formatter->option("LINE_START", "WHERE");
    EXPECT_EQ(formatter->option_value("LINE_START"), "WHERE");
    EXPECT_EQ(formatter->tab(), "    ");
    EXPECT_TRUE(formatter->type().is_a(
        Dizezida::Dovodarud::Contracts::Database::IFormattable::static_type()));
}

TEST(Formatter, ConcurrentFirstUseGivesTheSameText) {
    const std::string sql = "select a, b from t where x in (select y from u) and z = 'q'";
    std::vector<std::string> results(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&results, &sql, i] {
            const Formatter formatter;
            results[i] = formatter.beautify(sql) + "|" + formatter.minify(sql);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& result : results)
        EXPECT_EQ(result, results.front());
    EXPECT_THAT(results.front(), HasSubstr("(SELECT y"));
}

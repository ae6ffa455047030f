// The delimited-text reader and writer without a server: what is written
// reads back field for field, the awkward quoting cases, line ends, marks
// and input cut at any byte.
#include "Supports/Data/Extractors/DsvExtractor.hpp"
#include "Supports/Data/Extractors/JsonExtractor.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "tests/support/AwkwardValues.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Rows = std::vector<std::vector<Field>>;

Rows read_all(const DsvMarks& marks, std::string_view text, std::size_t piece = 0) {
    DsvReader reader(marks);
    Rows rows;
    std::size_t fed = 0;
    if (piece == 0) {
        reader.feed(text, true);
        fed = text.size();
    }
    for (;;) {
        auto row = reader.next();
        EXPECT_TRUE(row.has_value()) << (row ? "" : row.error().message);
        if (!row)
            return rows;
        if (*row) {
            rows.push_back(std::move(**row));
            continue;
        }
        if (fed >= text.size())
            return rows;
        const std::size_t size = std::min(piece, text.size() - fed);
        reader.feed(text.substr(fed, size), fed + size == text.size());
        fed += size;
    }
}

Field text(const char* value) {
    return Field(std::string(value));
}

TEST(DsvReading, QuotedFieldsCloseWhereTheUsualRulesSay) {
    const DsvMarks marks;
    EXPECT_EQ(read_all(marks, "\"\",\"a\"\"\",\"x,\",5\",,\"\"\"\"\n"),
              (Rows{{text(""), text("a\""), text("x,"), text("5\""), Field(), text("\"")}}));
    EXPECT_EQ(read_all(marks, "\"a\nb\",c\r\nd,e"),
              (Rows{{text("a\nb"), text("c")}, {text("d"), text("e")}}));
    EXPECT_EQ(read_all(marks, "\xEF\xBB\xBFh1,h2\r\n\r\n1,2\n\n"),
              (Rows{{text("h1"), text("h2")}, {text("1"), text("2")}}));
    // One column: an empty line is a NULL, not a line to skip.
    EXPECT_EQ(read_all(marks, "a\n\nb\n"), (Rows{{text("a")}, {Field()}, {text("b")}}));

    DsvReader open_quote(marks);
    open_quote.feed("1,\"abc\n2,3\n", true);
    EXPECT_FALSE(open_quote.next().has_value());
    DsvReader junk(marks);
    junk.feed("\"a\"b,c\n", true);
    EXPECT_FALSE(junk.next().has_value());
}

TEST(DsvReading, WrittenValuesReadBackThroughEveryMarkSetAndCut) {
    auto awkward = Dizezida::Testing::awkward_texts();
    awkward.pop_back(); // the 1 MB text: too slow byte by byte
    awkward.push_back(std::string("\\N"));
    awkward.push_back(std::string("[x]] ||"));
    const std::vector<Options> option_sets{
        {},
        {{"QUOTATION_TIME", "always"}},
        {{"DELIMITER_COLUMN", "||"}, {"DELIMITER_ROWNEW", "\r\n"}},
        {{"DELIMITER_COLUMN", "\t"}, {"NULL_VALUE", "\\N"}},
        {{"QUOTATION_LIST", "[-]-[[-]]"}, {"ROW_PREFIX", "<"}, {"ROW_SUFFIX", ">"}},
        {{"QUOTATION_LIST", "'-'-''-''"}, {"DELIMITER_ROWNEW", ";;"}},
    };
    for (const Options& options : option_sets) {
        auto marks = DsvMarks::from_options(options);
        ASSERT_TRUE(marks.has_value()) << marks.error().message;
        std::string written;
        Rows expected;
        for (std::size_t i = 0; i < awkward.size(); ++i) {
            // Each value between two others, so separators at both sides count.
            written += marks->row_prefix + "1" + marks->column;
            if (awkward[i])
                marks->append_text(written, *awkward[i]);
            else
                written += marks->null_value;
            written += marks->column + "2" + marks->row_suffix + marks->row_end;
            expected.push_back({text("1"), awkward[i], text("2")});
        }
        for (const std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{7}})
            EXPECT_EQ(read_all(*marks, written, piece), expected)
                << "options " << options.size() << ", pieces of " << piece;
    }
}

TEST(DsvReading, BadMarksAreRefused) {
    EXPECT_FALSE(DsvMarks::from_options({{"QUOTATION_LIST", "\"-\"-\"\""}}).has_value());
    EXPECT_FALSE(DsvMarks::from_options({{"QUOTATION_LIST", "\"--\"\"-\"\""}}).has_value());
    EXPECT_FALSE(DsvMarks::from_options({{"DELIMITER_COLUMN", ""}}).has_value());
    EXPECT_FALSE(DsvMarks::from_options({{"QUOTATION_TIME", "never"}}).has_value());
}

TEST(DsvReading, LoadGivesNamedTextColumnsAndAShortRowPadded) {
    DsvExtractor csv;
    auto model = csv.load_from_text("b,\"a,\"\"x\"\"\"\n1,\n2\n", 0);
    ASSERT_TRUE(model.has_value()) << model.error().message;
    ASSERT_EQ((*model)->get_column_count(), 2u);
    EXPECT_EQ((*model)->get_columns()[1]->get_name(), "a,\"x\"");
    EXPECT_EQ((*model)->get_row_count(), 2u);
    EXPECT_TRUE((*model)->is_null_at(0, 1));
    EXPECT_TRUE((*model)->is_null_at(1, 1));
    csv.get_options()["HAS_HEADER"] = "TRUE"; // only "true" means a header
    auto headless = csv.load_from_text("b,a\n1,2\n", 1);
    ASSERT_TRUE(headless.has_value());
    EXPECT_EQ((*headless)->get_columns()[0]->get_name(), "C0");
    EXPECT_EQ((*headless)->get_row_count(), 1u);
}

TEST(JsonReading, MembersByNameExactNumbersAndNulls) {
    JsonExtractor json;
    auto model = json.load_from_text(
        R"({"x": 1, "RECORDS": [{"a": 1234567890123456789012345.000001, "b": true, "c": null},)"
        R"( {"c": {"k": [1, "v"]}, "a": "t\"q", "b": false}, {"b": 18446744073709551615}]})",
        0);
    ASSERT_TRUE(model.has_value()) << model.error().message;
    const auto& table = **model;
    ASSERT_EQ(table.get_row_count(), 3u);
    EXPECT_EQ(table.get_text_at(0, 0), "1234567890123456789012345.000001");
    EXPECT_EQ(table.get_text_at(0, 1), "true");
    EXPECT_TRUE(table.is_null_at(0, 2));
    EXPECT_EQ(table.get_text_at(1, 0), "t\"q");
    EXPECT_EQ(table.get_text_at(1, 1), "false");
    EXPECT_EQ(table.get_text_at(1, 2), R"({"k":[1,"v"]})");
    EXPECT_TRUE(table.is_null_at(2, 0));
    EXPECT_EQ(table.get_text_at(2, 1), "18446744073709551615");

    for (const char* bad : {"[]", R"({"R": []})", R"({"RECORDS": {}})", R"({"RECORDS": [1]})",
                            R"({"RECORDS": [{"a": 1}, )"})
        EXPECT_FALSE(json.load_from_text(bad, 0).has_value()) << bad;
    EXPECT_EQ(distinct_names({"a", "a", "a_1", "b", "a"}),
              (std::vector<std::string>{"a", "a_2", "a_1", "b", "a_3"}));
}

} // namespace

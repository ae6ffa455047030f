#include "Helpers/StringHelper.hpp"

#include <gtest/gtest.h>

using Dizezida::Dovodarud::Helpers::StringHelper;
using Strings = StringHelper::Strings;
using Data = StringHelper::Data;

TEST(StringHelper, SearchesArraysWithAndWithoutCase) {
    EXPECT_EQ(StringHelper::search_array({"x", "aBC"}, "Abc", false), 1);
    EXPECT_EQ(StringHelper::search_array({"x", "aBC"}, "Abc", true), -1);
    EXPECT_EQ(StringHelper::search_array_prefix({"x", "ABCD"}, "abc", false), 1);
    EXPECT_EQ(StringHelper::search_array_prefix_count({"abc", "ABx", "ab"}, "AB", false), 3);
    EXPECT_EQ(StringHelper::search_array_suffix({"x.sql", "y.SQL"}, ".SQL", true), 1);
    EXPECT_EQ(StringHelper::search_array_suffix_count({"x.sql", "y.SQL"}, ".Sql", false), 2);
    // Unicode upper case on both sides, not only ASCII.
    EXPECT_TRUE(StringHelper::prefix_with_array("ÉCOLE normale", {"x", "école"}, false));
    EXPECT_FALSE(StringHelper::prefix_with_array("ÉCOLE normale", {"école"}, true));
    EXPECT_TRUE(StringHelper::suffix_with_array("data.CSV", {".csv"}, false));
    EXPECT_TRUE(StringHelper::contains_array("ﬁx this", {"FIX"}, false));
}

TEST(StringHelper, IndexWithArrayTakesValuesInArrayOrder) {
    EXPECT_EQ(StringHelper::index_with_array("select from where", {"where", "from"}, true), 12);
    EXPECT_EQ(StringHelper::index_with_array("select", {"from"}, true), -1);
}

TEST(StringHelper, IndexWithArrayIgnoringCaseIsAPositionInTheOriginal) {
    // Each "ﬁ" is 3 bytes but upper-cases to the 2 bytes "FI".
    const std::string text = "ﬁﬁ where";
    EXPECT_EQ(StringHelper::index_with_array(text, {"WHERE"}, false), 7);
    EXPECT_EQ(text.substr(7), "where");
    EXPECT_EQ(StringHelper::index_with_array("aﬁx", {"fix"}, false), 1);
    EXPECT_EQ(StringHelper::index_with_array("straße x", {"X"}, false), 8);
}

TEST(StringHelper, ReplaceArrayChainsLiteralReplacements) {
    EXPECT_FALSE(StringHelper::replace_array("abc", {"a"}, {}).has_value());
    EXPECT_EQ(*StringHelper::replace_array("a.b.a", {"a", "x", "."}, {"x", "y", ""}), "yby");
    EXPECT_EQ(*StringHelper::replace_array("a.*b", {".*", ""}, {"+", "z"}), "a+b");
    EXPECT_EQ(*StringHelper::replace_array("", {"", "a"}, {"b", "c"}), "");
}

TEST(StringHelper, DiffArrayComparesTrimmedAgainstUntrimmed) {
    const auto diff = StringHelper::diff_array({"a", "b"}, {" b ", "c", ""});
    EXPECT_EQ(diff.both, Strings{"b"});
    EXPECT_EQ(diff.first_only, (Strings{"a", "b"}));
    EXPECT_EQ(diff.second_only, Strings{"c"});
}

TEST(StringHelper, TrimCharsTakesCharactersLiterally) {
    EXPECT_EQ(StringHelper::trim_chars("xxabcxx", "x"), "abc");
    EXPECT_EQ(StringHelper::trim_chars("^^keep^^", "^x"), "keep");
    EXPECT_EQ(StringHelper::trim_chars("abc", "^x"), "abc");
    EXPECT_EQ(StringHelper::trim_chars("-abc-", "a-z"), "bc");
    EXPECT_EQ(StringHelper::trim_chars("]\\a]", "]\\"), "a");
    EXPECT_EQ(StringHelper::trim_chars("«é»", "«»"), "é");
    // "é" shares its lead byte with "è": only whole code points are trimmed.
    EXPECT_EQ(StringHelper::trim_chars("éaè", "è"), "éa");
    EXPECT_EQ(StringHelper::trim_chars("xxx", "x"), "");
    EXPECT_EQ(StringHelper::trim_chars("abc", ""), "abc");
}

TEST(StringHelper, ProperCaseCapitalisesWords) {
    EXPECT_EQ(StringHelper::proper_case("o'neil and SMITH"), "O'neil And Smith");
    EXPECT_EQ(StringHelper::proper_case(""), "");
    EXPECT_EQ(StringHelper::proper_case("éCOLE ÑANDÚ"), "École Ñandú");
    EXPECT_EQ(StringHelper::proper_case("line one\nline-two"), "Line One\nLine-Two");
}

TEST(StringHelper, StringifyHasNoTrailingDelimiter) {
    EXPECT_EQ(StringHelper::stringify_data({{"a", "1"}}, "; "), "a=1");
    EXPECT_EQ(StringHelper::stringify_data({{"a", "1"}, {"b", std::nullopt}}, ";"), "a=1;b");
    EXPECT_EQ(StringHelper::stringify_data({}, "; "), "");
}

TEST(StringHelper, ArraifyParsesPairs) {
    const Data expected{{"a", "1"}, {"b", std::nullopt}, {"c", "2=3"}};
    EXPECT_EQ(StringHelper::arraify_data("a=1;b;c=2=3", ";"), expected);
    EXPECT_EQ(StringHelper::arraify_data("a=1;;a=2;", ";"), (Data{{"a", "2"}}));
    EXPECT_EQ(StringHelper::arraify_data("a=1;b=2", ""), (Data{{"a", "1;b=2"}}));
    EXPECT_TRUE(StringHelper::arraify_data("", ";").empty());
}

TEST(StringHelper, DataRoundTripsThroughAnyDelimiter) {
    const Data data{{"host", "db.example"}, {"port", "5432"}, {"flag", std::nullopt}, {"név", "ő"}};
    for (const std::string delimiter : {";", "; ", "&&", "→", " ¦ "}) {
        SCOPED_TRACE(delimiter);
        EXPECT_EQ(
            StringHelper::arraify_data(StringHelper::stringify_data(data, delimiter), delimiter),
            data);
    }
}

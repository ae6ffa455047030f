#include "tests/support/AwkwardValues.hpp"

#include <array>

namespace Dizezida::Testing {

namespace {

std::string literal(const std::optional<std::string>& text) {
    if (!text)
        return "NULL";
    std::string out = "'";
    for (const char c : *text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// The other columns cycle through these (NULL among them).
constexpr std::array<const char*, 5> k_amounts{
    "1234567890123456789012345678.0123456789", "-0.0000000001", "NULL", "0", "1234567.891"};
constexpr std::array<const char*, 6> k_ratios{"'Infinity'", "'-Infinity'", "'NaN'",
                                              "1.0000000000000002", "1e-300", "NULL"};
constexpr std::array<const char*, 4> k_seen{"'2024-02-29 12:34:56.123456+05:30'",
                                            "'1999-12-31 23:59:59.999999-08'", "NULL",
                                            "'2000-01-01 00:00:00+00'"};
constexpr std::array<const char*, 4> k_data{"'\\x00ff27225c0a'::bytea", "''::bytea", "NULL",
                                            "convert_to('héllo', 'UTF8')"};
constexpr std::array<const char*, 4> k_tags{"'{\"a,b\",\"c\\\"d\",NULL,\"\"}'", "'{}'", "NULL",
                                            "ARRAY['x''y', 'z|w']"};
constexpr std::array<const char*, 4> k_docs{"'{\"k\": \"v''s\", \"n\": [1, 2.5, null]}'",
                                            "'\"<&>\"'", "NULL", "'[]'"};
constexpr std::array<const char*, 3> k_flags{"true", "false", "NULL"};
constexpr std::array<const char*, 3> k_spans{"'1 day 02:03:04.5'", "'-3 mons'", "NULL"};

} // namespace

const std::vector<std::optional<std::string>>& awkward_texts() {
    static const std::vector<std::optional<std::string>> texts{
        std::nullopt,
        std::string(),
        std::string("   "),
        std::string("'"),
        std::string("\""),
        std::string("\"\""),
        std::string("a\""),
        std::string("x,"),
        std::string("\n"),
        std::string("line one\r\nline two"),
        std::string("a|b"),
        std::string("<&>"),
        std::string("<script>alert(1)</script>"),
        std::string("back\\slash\\\\"),
        std::string("中文字符"),
        std::string("emoji \xF0\x9F\x98\x80"),
        std::string("bell \x07 tab \t"),
        std::string(" padded "),
        std::string("1); DELETE FROM t;--"),
        std::string(1 << 20, 'm'),
    };
    return texts;
}

std::size_t awkward_row_count() {
    return awkward_texts().size();
}

std::string awkward_table_sql(const std::string& name) {
    std::string sql = "CREATE TABLE " + name +
                      " (id integer PRIMARY KEY, label text, amount numeric(38,10), ratio double "
                      "precision, seen timestamptz, data bytea, tags text[], doc jsonb, flag "
                      "boolean, span interval);\n";
    const auto& texts = awkward_texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sql += "INSERT INTO " + name + " VALUES (" + std::to_string(i + 1) + ", " +
               literal(texts[i]) + ", " + k_amounts[i % k_amounts.size()] + ", " +
               k_ratios[i % k_ratios.size()] + ", " + k_seen[i % k_seen.size()] + ", " +
               k_data[i % k_data.size()] + ", " + k_tags[i % k_tags.size()] + ", " +
               k_docs[i % k_docs.size()] + ", " + k_flags[i % k_flags.size()] + ", " +
               k_spans[i % k_spans.size()] + ");\n";
    }
    return sql;
}

} // namespace Dizezida::Testing

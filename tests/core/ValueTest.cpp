#include "core/Value.hpp"

#include "core/DateTime.hpp"

#include <gtest/gtest.h>

using namespace Dizezida::Core;

TEST(Value, TypeNamesFollowThePlatformValueSystem) {
    EXPECT_EQ(Value(true).type_name(), "gboolean");
    EXPECT_EQ(Value(std::int32_t{1}).type_name(), "gint");
    EXPECT_EQ(Value(std::int64_t{1}).type_name(), "gint64");
    EXPECT_EQ(Value(std::uint64_t{1}).type_name(), "guint64");
    EXPECT_EQ(Value::of_signed(ValueKind::Char, -3).type_name(), "gchar");
    EXPECT_EQ(Value::of_unsigned(ValueKind::UChar, 200).type_name(), "guchar");
    EXPECT_EQ(Value(1.5f).type_name(), "gfloat");
    EXPECT_EQ(Value(1.5).type_name(), "gdouble");
    EXPECT_EQ(Value("x").type_name(), "gchararray");
    EXPECT_EQ(Value::null_date_time().type_name(), "GDateTime");
    EXPECT_EQ(Value::boxed("MyRecord", nullptr).type_name(), "MyRecord");
}

TEST(Value, NullStringDiffersFromEmptyString) {
    EXPECT_TRUE(Value::null_string().is_null_string());
    EXPECT_FALSE(Value("").is_null_string());
    EXPECT_FALSE(Value::null_string() == Value(""));
    EXPECT_EQ(Value::null_string().get_string(), "");
}

TEST(Value, AccessorsOfOtherKindsGiveEmptyResults) {
    const Value text("12");
    EXPECT_EQ(text.get_int64(), 0);
    EXPECT_FALSE(text.get_bool());
    EXPECT_TRUE(text.get_string_list().empty());
    EXPECT_EQ(text.get_object(), nullptr);
    EXPECT_EQ(Value(std::int64_t{-5}).get_int64(), -5);
    EXPECT_EQ(Value(std::uint64_t{1} << 63).get_uint64(), std::uint64_t{1} << 63);
}

TEST(DateTime, ParsesIso8601AsUtcWithoutZoneAndKeepsOffset) {
    auto utc = DateTime::parse_iso8601("2024-02-29T12:30:00");
    ASSERT_TRUE(utc);
    EXPECT_EQ(utc->utc_offset_seconds, 0);
    EXPECT_EQ(utc->unix_microseconds, 1709209800LL * 1000000);
    auto zoned = DateTime::parse_iso8601("2024-02-29T12:30:00.25+02:00");
    ASSERT_TRUE(zoned);
    EXPECT_EQ(zoned->utc_offset_seconds, 7200);
    EXPECT_EQ(zoned->unix_microseconds, (1709209800LL - 7200) * 1000000 + 250000);
    EXPECT_EQ(zoned->format("%Y-%m-%d %H:%M:%S"), "2024-02-29 12:30:00");
    EXPECT_EQ(DateTime::parse_iso8601(zoned->to_iso8601()), zoned);
    EXPECT_FALSE(DateTime::parse_iso8601("not a date"));
}

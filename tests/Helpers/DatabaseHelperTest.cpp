// The value helper: texts that read back to the same value, SQL literals
// that cannot carry SQL, byte sizes and units at their edges.
#include "Helpers/DatabaseHelper.hpp"

#include "provider/Contracts/ValueObject.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using Dovodarud::Helpers::DatabaseHelper;
using Zozuvoru::Contracts::DataType;

namespace {

TEST(DatabaseHelper, ValuesReadBackToWhatWasWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"gint64", "-9223372036854775808"}, {"guint64", "18446744073709551615"},
        {"gint16", "-32768"},               {"gdouble", "0.1"},
        {"gdouble", "1234567.891"},         {"gboolean", "TRUE"},
        {"GDateTime", "2024-03-01 10:15:30.123456+05:30"},
        {"GTime", "10:15:30.5+05:30"},      {"gchararray", "it's"}};
    for (const auto& [type, text] : cases) {
        const auto value = DatabaseHelper::string_to_glib_value(type, text);
        ASSERT_TRUE(value) << type << " " << text;
        const std::string written = DatabaseHelper::glib_value_to_text(*value, "<null>");
        const auto again = DatabaseHelper::string_to_glib_value(type, written);
        ASSERT_TRUE(again) << written;
        EXPECT_EQ(DatabaseHelper::glib_value_to_text(*again, "<null>"), written) << type;
        if (std::string_view(type) != "GTime") { // a boxed record compares by identity
            EXPECT_EQ(*again, *value) << type << " " << text << " -> " << written;
        }
    }
    EXPECT_EQ(DatabaseHelper::glib_value_to_text(Core::Value(1234567.891), ""), "1234567.891");
    EXPECT_EQ(DatabaseHelper::glib_value_to_text(Core::Value(true), ""), "TRUE");
    EXPECT_EQ(DatabaseHelper::glib_value_to_text(Core::Value::null_string(), "NULL"), "NULL");
}

TEST(DatabaseHelper, TextsThatDoNotFitGiveNoValue) {
    Testing::PlatformLogCapture log;
    EXPECT_FALSE(DatabaseHelper::string_to_glib_value("gint16", "70000"));
    EXPECT_FALSE(DatabaseHelper::string_to_glib_value("gint", "abc"));
    EXPECT_FALSE(DatabaseHelper::string_to_glib_value("guint", "-1"));
    EXPECT_FALSE(DatabaseHelper::string_to_glib_value("gdouble", "1,5"));
    EXPECT_FALSE(DatabaseHelper::string_to_glib_value("gboolean", "yes"));
    // Decimal, never octal.
    EXPECT_EQ(DatabaseHelper::string_to_glib_value("gint", "010")->get_int64(), 10);
}

TEST(DatabaseHelper, SqlValuesAreBareOnlyWhenStrictNumbers) {
    using Zozuvoru::Contracts::ValueString;
    const auto text = [](const char* t) { return ValueString::create(t); };
    EXPECT_EQ(DatabaseHelper::format_sql_value(5, text("42")), "42");
    EXPECT_EQ(DatabaseHelper::format_sql_value(5, text("1); DELETE FROM t;--")),
              "'1); DELETE FROM t;--'");
    EXPECT_EQ(DatabaseHelper::format_sql_value(17, text("NaN")), "'NaN'");
    EXPECT_EQ(DatabaseHelper::format_sql_value(27, text("{\"a\": \"it's\"}")),
              "'{\"a\": \"it''s\"}'");
    EXPECT_EQ(DatabaseHelper::format_sql_value(2, text("t")), "TRUE");
    EXPECT_EQ(DatabaseHelper::format_sql_value(23, Zozuvoru::Contracts::ValueNull::create()),
              "NULL");
    EXPECT_EQ(DatabaseHelper::format_object_name("s", "t\"x"), "\"s\".\"t\"\"x\"");
    EXPECT_EQ(DatabaseHelper::make_fullname_mysql("ann@host"), "`ann`@`host`");
}

TEST(DatabaseHelper, SizesAndUnitsAtTheirEdges) {
    EXPECT_EQ(DatabaseHelper::format_size(1000), "1000 Byte");
    EXPECT_EQ(DatabaseHelper::format_size(1001), "1 KB");
    EXPECT_EQ(DatabaseHelper::format_size(1234567), "1,234 KB");
    EXPECT_EQ(DatabaseHelper::format_size(5000000000ULL), "5,000,000 KB");
    EXPECT_EQ(DatabaseHelper::convert_with_unit(3, "GB", "B"), 3221225472ULL);
    EXPECT_EQ(DatabaseHelper::convert_with_unit(5000, "MB", "GB"), 4u);
    EXPECT_EQ(DatabaseHelper::convert_with_unit(1, "YB", "B"), UINT64_MAX);
    EXPECT_EQ(DatabaseHelper::convert_with_unit(UINT64_MAX, "B", "ZB"), 0u);
    EXPECT_EQ(DatabaseHelper::match_unit_max(5000000000ULL, "B"),
              (std::pair<std::uint64_t, std::string>{4, "GB"}));
    EXPECT_EQ(DatabaseHelper::match_unit_max(512, "B"),
              (std::pair<std::uint64_t, std::string>{512, "B"}));
    EXPECT_EQ(DatabaseHelper::match_unit_max(0, "MB"),
              (std::pair<std::uint64_t, std::string>{0, "MB"}));
}

} // namespace

#include "Helpers/DateTimeHelper.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <regex>

using Dizezida::Core::DateTime;
using Dizezida::Dovodarud::Helpers::DateTimeHelper;
using Dizezida::Testing::PlatformLogCapture;

namespace {

/// 2024-05-06 12:00:00 UTC plus `microseconds`, seen at `offset_seconds`.
DateTime noon(std::int64_t microseconds, std::int32_t offset_seconds = 0) {
    return DateTime{1'714'996'800LL * 1'000'000 + microseconds, offset_seconds};
}

} // namespace

TEST(DateTimeHelper, MillisecondsBelongToThePrintedSecond) {
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(noon(999'999), "%H:%M:%S", "%03lli"),
              "12:00:00.999");
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(noon(1'000'000), "%H:%M:%S", "%03lli"),
              "12:00:01.000");
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(noon(1'000, 3600), "%H:%M:%S", "%03lli"),
              "13:00:00.001");
    // Before 1970 the second is the floor too, and so is its millisecond.
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(DateTime{-1, 0}, "%Y-%m-%d %H:%M:%S", "%03lli"),
              "1969-12-31 23:59:59.999");
}

TEST(DateTimeHelper, NowTextsLieBetweenTwoReadings) {
    const std::string before = DateTime::now_local().format("%Y-%m-%dT%H:%M:%S");
    const std::string text = DateTimeHelper::datetime_with_ms_iso8601();
    const std::string after = DateTime::now_local().format("%Y-%m-%dT%H:%M:%S");
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3})")))
        << text;
    EXPECT_LE(before, text.substr(0, 19));
    EXPECT_GE(after, text.substr(0, 19));
}

TEST(DateTimeHelper, MillisecondFormatTakesOneIntegerConversionOnly) {
    const DateTime at = noon(999'000);
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(at, "%S", "%d"), "00.999");
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(at, "%S", "%x"), "00.3e7");
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(at, "%S", "%%%05hd ms"), "00.%00999 ms");
    EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(at, "%S", "ms"), "00.ms");

    // A conversion that would read another argument type, or a second one, is refused.
    for (const char* bad : {"%s", "%n", "%f", "%d%d", "%*d", "%1000d", "%.5000d", "%", "%l"}) {
        PlatformLogCapture log;
        EXPECT_EQ(DateTimeHelper::datetime_as_string_ms(at, "%S", bad), "") << bad;
        EXPECT_TRUE(log.contains("assertion")) << bad;
    }
}

TEST(DateTimeHelper, TimeSpansInClockLayout) {
    EXPECT_EQ(DateTimeHelper::format_time_span(3'723'000'000), "01:02:03");
    EXPECT_EQ(DateTimeHelper::format_time_span_micro(3'723'456'789), "01:02:03.456");
    EXPECT_EQ(DateTimeHelper::format_time_span(0), "00:00:00");
    EXPECT_EQ(DateTimeHelper::format_time_span(100 * DateTimeHelper::k_hour), "100:00:00");
    // Negative spans keep every part in range instead of "00:-1:-1".
    EXPECT_EQ(DateTimeHelper::format_time_span(-61'000'000), "-00:01:01");
    EXPECT_EQ(DateTimeHelper::format_time_span_micro(-1'500), "-00:00:00.001");
    EXPECT_EQ(DateTimeHelper::format_time_span(std::numeric_limits<std::int64_t>::min()),
              "-2562047788:00:54");
}

TEST(DateTimeHelper, TimeSpansWithUnits) {
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(999'999), "999ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(0), "0ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(1'000'000), "1S 0ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(1'500'000), "1S 500ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(61'000'000), "1M 1S 0ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(3'661'001'000), "1H 1M 1S 1ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(DateTimeHelper::k_hour), "1H 0M 0S 0ms");
    EXPECT_EQ(DateTimeHelper::format_time_span_unit(-1'500'000), "-1S 500ms");
}

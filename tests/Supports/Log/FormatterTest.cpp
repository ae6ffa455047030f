#include "Contracts/Log/LogLevel.hpp"
#include "Contracts/Log/Printf.hpp"
#include "Supports/Log/ColorFormatter.hpp"
#include "Supports/Log/DefaultFormatter.hpp"
#include "Supports/Log/SimpleFormatter.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts::Log;
using namespace Dizezida::Dovodarud::Supports::Log;
using ::testing::MatchesRegex;

TEST(LogLevel, NicksColoursAndNumbers) {
    const Core::EnumInfo& info = enum_info(LogLevel{});
    EXPECT_EQ(info.type_name, "DizezidaDovodarudContractsLogLogLevel");
    EXPECT_EQ(info.find(0)->name, "DIZEZIDA_DOVODARUD_CONTRACTS_LOG_LOG_LEVEL_RISKY");
    EXPECT_EQ(to_string(LogLevel::Plain), "plain");
    EXPECT_EQ(to_string(LogLevel::Debug), "debug");
    EXPECT_EQ(to_color(LogLevel::Risky), "red");
    EXPECT_EQ(to_color(LogLevel::Plain), "blue");
    EXPECT_EQ(to_color(LogLevel::Debug), "green");
    EXPECT_EQ(to_color(static_cast<LogLevel>(7)), "black");
    EXPECT_EQ(to_number(LogLevel::Debug), "2");
    EXPECT_TRUE(passes(LogLevel::Debug, LogLevel::Risky));
    EXPECT_TRUE(passes(LogLevel::Plain, LogLevel::Plain));
    EXPECT_FALSE(passes(LogLevel::Plain, LogLevel::Debug));
    EXPECT_FALSE(passes(LogLevel::Risky, LogLevel::Plain));
}

TEST(Printf, FormatsShortAndLongTexts) {
    EXPECT_EQ(printf_text("failed: %d -> %s", 42, "boom"), "failed: 42 -> boom");
    const std::string long_text(5000, 'x');
    EXPECT_EQ(printf_text("[%s]", long_text.c_str()), "[" + long_text + "]");
}

TEST(Formatters, LineShapes) {
    const std::string stamp = "[0-9]{8} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}";
    const std::string time = "[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}";
    EXPECT_THAT(DefaultFormatter().format(LogLevel::Risky, "srv", "conn", "hello"),
                MatchesRegex(stamp + " \\[srv\\]\\[conn\\]\\[RISKY\\] hello\n"));
    EXPECT_THAT(SimpleFormatter().format(LogLevel::Risky, "srv", "conn", "hello"),
                MatchesRegex(time + " hello\n"));
    const std::string line = ColorFormatter().format(LogLevel::Plain, "srv", "conn", "hello");
    EXPECT_EQ(line.substr(12), " [srv         ][conn        ][\033[1;34mPLAIN\033[00m   ] hello\n");
    EXPECT_EQ(ColorFormatter().get_level_name(LogLevel::Risky), "\033[1;31mRISKY\033[00m");
    EXPECT_EQ(ColorFormatter().get_level_name(LogLevel::Debug), "\033[1;32mDEBUG\033[00m");
}

TEST(Formatters, PercentSignsInNamesAndMessagesAreWrittenAsTheyStand) {
    const std::string line =
        DefaultFormatter().format(LogLevel::Plain, "db%s%n", "100%%", "rate 50% %d");
    EXPECT_NE(line.find(" [db%s%n][100%%][PLAIN] rate 50% %d\n"), std::string::npos) << line;
    const std::string coloured = ColorFormatter().format(LogLevel::Plain, "%s", "%n", "%x");
    EXPECT_NE(coloured.find("[%s          ][%n          ]"), std::string::npos) << coloured;
}

TEST(Formatters, UnknownLevelIsACallersFault) {
    Testing::PlatformLogCapture log;
    EXPECT_EQ(DefaultFormatter().get_level_name(static_cast<LogLevel>(9)), "");
    EXPECT_TRUE(log.contains("level is RISKY, PLAIN or DEBUG"));
}

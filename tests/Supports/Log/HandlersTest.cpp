#include "Supports/Log/DefaultFormatter.hpp"
#include "Supports/Log/DelegateHandler.hpp"
#include "Supports/Log/GLibLogHandler.hpp"
#include "Supports/Log/SimpleFormatter.hpp"
#include "Supports/Log/TempFileLogHandler.hpp"

#include "tests/Supports/Log/LogTestSupport.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts::Log;
using namespace Dizezida::Dovodarud::Supports::Log;
using Testing::lines_of;
using Testing::message_of;

TEST(TempFileLogHandler, RecentReturnsEveryLineInOrderWhileWritingGoesOn) {
    TempFileLogHandler handler;
    handler.initialize("conn-1");
    ASSERT_FALSE(handler.path().empty());
    gchar* basename = g_path_get_basename(handler.path().c_str());
    const std::string base = basename;
    g_free(basename);
    EXPECT_EQ(base.rfind("conn-1-", 0), 0u) << base;
    EXPECT_EQ(base.substr(base.size() - 4), ".log");
    struct stat info {};
    ASSERT_EQ(::stat(handler.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(std::dynamic_pointer_cast<SimpleFormatter>(handler.get_formatter()), nullptr);

    for (int i = 0; i < 5; ++i)
        handler.publish(LogLevel::Plain, "s", "n", "m" + std::to_string(i));
    auto first = lines_of(handler.recent());
    ASSERT_EQ(first.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(message_of(first[static_cast<std::size_t>(i)]), "m" + std::to_string(i));

    handler.publish(LogLevel::Risky, "s", "n", "m5");
    handler.publish(LogLevel::Debug, "s", "n", "debug is below PLAIN");
    auto second = lines_of(handler.recent());
    ASSERT_EQ(second.size(), 6u);
    EXPECT_EQ(message_of(second[5]), "m5");
    EXPECT_EQ(std::vector(second.begin(), second.begin() + 5), first);

    const std::string path = handler.path();
    handler.close();
    EXPECT_EQ(handler.recent(), "");
    EXPECT_EQ(lines_of(Testing::read_file(path)).size(), 6u) << "the file stays after close";
    g_remove(path.c_str());
}

TEST(TempFileLogHandler, BadNameIsAWarningAndMessagesAreDropped) {
    Testing::PlatformLogCapture log;
    TempFileLogHandler handler;
    handler.initialize("no/slashes");
    EXPECT_TRUE(log.contains("Failed to open file: "));
    handler.publish(LogLevel::Risky, "s", "n", "lost");
    EXPECT_EQ(handler.recent(), "");
}

namespace {

/// Runs the default main context until `done` or about five seconds.
template <class Done> bool iterate_until(Done done) {
    const gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
    while (!done() && g_get_monotonic_time() < deadline)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(1000);
    return done();
}

} // namespace

TEST(DelegateHandler, WritesMarkupLinesAndCallsBackOnTheMainLoop) {
    Testing::ScratchFolder folder;
    DelegateHandler handler;
    EXPECT_EQ(handler.get_formatter(), nullptr);
    int calls = 0;
    handler.initialize([&calls] { ++calls; }, folder.file("channel.txt"));
    ASSERT_EQ(handler.path(), folder.file("channel.txt"));

    handler.publish(LogLevel::Risky, "s", "n", "a < b && c");
    handler.publish(LogLevel::Debug, "s", "n", "dropped at PLAIN");
    handler.publish(LogLevel::Plain, "s", "n", std::string("bad \xff byte"));
    EXPECT_TRUE(iterate_until([&] { return calls > 0; }));

    const auto lines = lines_of(Testing::read_file(folder.file("channel.txt")));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(g_regex_match_simple("^[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}   <span", lines[0].c_str(),
                                     GRegexCompileFlags(0), GRegexMatchFlags(0)))
        << lines[0];
    EXPECT_EQ(lines[0].substr(12),
              "   <span foreground=\"red\">a &lt; b &amp;&amp; c</span>");
    EXPECT_TRUE(g_utf8_validate(lines[1].c_str(), -1, nullptr));
    EXPECT_NE(lines[1].find("foreground=\"blue\">bad "), std::string::npos);

    handler.close();
    EXPECT_EQ(handler.path(), "");
    handler.publish(LogLevel::Risky, "s", "n", "after close");
    EXPECT_EQ(lines_of(Testing::read_file(folder.file("channel.txt"))).size(), 2u);
}

TEST(DelegateHandler, UnopenableChannelIsAWarning) {
    Testing::PlatformLogCapture log;
    Testing::ScratchFolder folder;
    DelegateHandler handler;
    handler.initialize([] {}, folder.file("absent/channel.txt"));
    EXPECT_TRUE(log.contains("Failed to open channel: "));
    handler.publish(LogLevel::Risky, "s", "n", "nowhere");
}

TEST(GLibLogHandler, SendsEveryLevelToThePlatformLog) {
    Testing::PlatformLogCapture log;
    GLibLogHandler handler;
    EXPECT_NE(std::dynamic_pointer_cast<DefaultFormatter>(handler.get_formatter()), nullptr);
    handler.set_threshold(LogLevel::Risky); // not consulted
    handler.publish(LogLevel::Risky, "s", "n", "bad %s");
    handler.publish(LogLevel::Plain, "s", "n", "plain");
    handler.publish(LogLevel::Debug, "s", "n", "detail");
    EXPECT_TRUE(log.contains("handler_console:23: bad %s"));
    EXPECT_TRUE(log.contains("handler_console:26: plain"));
    EXPECT_TRUE(log.contains("handler_console:29: detail"));
}

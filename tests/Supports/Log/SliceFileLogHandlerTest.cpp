#include "Supports/Log/DefaultFormatter.hpp"
#include "Supports/Log/SliceFileLogHandler.hpp"

#include "tests/Supports/Log/LogTestSupport.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts::Log;
using namespace Dizezida::Dovodarud::Supports::Log;
using Testing::ScratchFolder;

namespace {

/// Slices 000..004 of "main", each of `last_size` bytes for 004 and 10 bytes before.
void make_slices(const ScratchFolder& folder, std::size_t last_size) {
    for (int i = 0; i < 4; ++i)
        Testing::write_file(folder.file("main-00" + std::to_string(i) + ".log"),
                            std::string(10, 'a'));
    Testing::write_file(folder.file("main-004.log"), std::string(last_size, 'b'));
}

} // namespace

TEST(SliceFileLogHandler, ResumesTheNewestSliceBelowTheLimit) {
    ScratchFolder folder;
    make_slices(folder, 100);
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("main", folder.path(), 1000));
    EXPECT_EQ(handler.current_path(), folder.file("main-004.log"));
    EXPECT_EQ(handler.current_size(), 100);
    EXPECT_NE(std::dynamic_pointer_cast<DefaultFormatter>(handler.get_formatter()), nullptr);
    handler.publish(LogLevel::Plain, "SYS", "SYS", "appended");
    handler.close();
    const std::string text = Testing::read_file(folder.file("main-004.log"));
    EXPECT_EQ(text.substr(0, 100), std::string(100, 'b'));
    EXPECT_NE(text.find("[SYS][SYS][PLAIN] appended\n"), std::string::npos);
    EXPECT_FALSE(g_file_test(folder.file("main-005.log").c_str(), G_FILE_TEST_EXISTS));
}

TEST(SliceFileLogHandler, StartsANewSliceWhenTheNewestIsAboveTheLimit) {
    ScratchFolder folder;
    make_slices(folder, 2000);
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("main", folder.path(), 1000));
    EXPECT_EQ(handler.current_path(), folder.file("main-005.log"));
    EXPECT_EQ(handler.current_size(), 0);
    handler.publish(LogLevel::Risky, "SYS", "SYS", "first");
    EXPECT_EQ(Testing::read_file(folder.file("main-004.log")), std::string(2000, 'b'));
    EXPECT_NE(Testing::read_file(folder.file("main-005.log")).find("first"), std::string::npos);
}

TEST(SliceFileLogHandler, ZeroSizeNeverRotates) {
    ScratchFolder folder;
    make_slices(folder, 5000);
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("main", folder.path(), 0));
    EXPECT_EQ(handler.current_path(), folder.file("main-004.log"));
    for (int i = 0; i < 200; ++i)
        handler.publish(LogLevel::Plain, "SYS", "SYS", std::string(100, 'x'));
    EXPECT_EQ(handler.current_path(), folder.file("main-004.log"));
    EXPECT_FALSE(g_file_test(folder.file("main-005.log").c_str(), G_FILE_TEST_EXISTS));
}

TEST(SliceFileLogHandler, RotatesBeforeALineWouldPassTheLimitAndLosesNothing) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("app", folder.path(), 300));
    EXPECT_EQ(handler.current_path(), folder.file("app-000.log"));
    for (int i = 0; i < 40; ++i)
        handler.publish(LogLevel::Plain, "s", "n", "line " + std::to_string(i));
    handler.close();

    std::vector<std::string> messages;
    int slice = 0;
    for (;; ++slice) {
        char name[32];
        g_snprintf(name, sizeof name, "app-%03d.log", slice);
        if (!g_file_test(folder.file(name).c_str(), G_FILE_TEST_EXISTS))
            break;
        const std::string text = Testing::read_file(folder.file(name));
        EXPECT_LE(text.size(), 300u) << name;
        for (const auto& line : Testing::lines_of(text))
            messages.push_back(Testing::message_of(line));
    }
    EXPECT_GT(slice, 3);
    ASSERT_EQ(messages.size(), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(messages[static_cast<std::size_t>(i)], "line " + std::to_string(i));
}

TEST(SliceFileLogHandler, ALongLineStillGoesIntoAnEmptySlice) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("app", folder.path(), 50));
    handler.publish(LogLevel::Plain, "s", "n", std::string(80, 'L'));
    EXPECT_EQ(handler.current_path(), folder.file("app-000.log"));
    handler.publish(LogLevel::Plain, "s", "n", "short");
    EXPECT_EQ(handler.current_path(), folder.file("app-001.log"));
}

TEST(SliceFileLogHandler, NameIsMatchedLiterallyAndWhole) {
    ScratchFolder folder;
    // Only the first two are slices of "a.b+"; the others belong to other logs.
    for (const char* name : {"a.b+-001.log", "a.b+-003.log", "axb+-007.log", "aa.b+-008.log",
                             "a.b+-009.logx", "a.bbb-006.log"})
        Testing::write_file(folder.file(name), "x\n");
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("a.b+", folder.path(), 1000));
    EXPECT_EQ(handler.current_path(), folder.file("a.b+-003.log"));
}

TEST(SliceFileLogHandler, PercentInTheNameIsPartOfTheFileName) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("50%d", folder.path(), 1000));
    EXPECT_EQ(handler.current_path(), folder.file("50%d-000.log"));
}

TEST(SliceFileLogHandler, NewSlicesArePrivateToTheUser) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("main", folder.path(), 1000));
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("main-000.log").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SliceFileLogHandler, ThresholdDropsLessSevereMessages) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    ASSERT_TRUE(handler.initialize("main", folder.path(), 1000));
    EXPECT_EQ(handler.get_threshold(), LogLevel::Plain);
    handler.publish(LogLevel::Debug, "s", "n", "debug-dropped");
    handler.publish(LogLevel::Plain, "s", "n", "plain-kept");
    handler.set_threshold(LogLevel::Risky);
    handler.publish(LogLevel::Plain, "s", "n", "plain-dropped");
    handler.publish(LogLevel::Risky, "s", "n", "risky-kept");
    const auto* levels = &enum_info(LogLevel{});
    EXPECT_TRUE(handler.set_property("threshold", Core::Value::enumeration(*levels, 2)));
    EXPECT_EQ(handler.get_threshold(), LogLevel::Debug);
    handler.publish(LogLevel::Debug, "s", "n", "debug-kept");
    const std::string text = Testing::read_file(folder.file("main-000.log"));
    EXPECT_EQ(text.find("dropped"), std::string::npos);
    EXPECT_NE(text.find("plain-kept"), std::string::npos);
    EXPECT_NE(text.find("[RISKY] risky-kept"), std::string::npos);
    EXPECT_NE(text.find("[DEBUG] debug-kept"), std::string::npos);
}

TEST(SliceFileLogHandler, MissingFolderIsAnError) {
    ScratchFolder folder;
    SliceFileLogHandler handler;
    auto result = handler.initialize("main", folder.file("absent"), 1000);
    ASSERT_FALSE(result);
    EXPECT_FALSE(result.error().message.empty());
    Testing::PlatformLogCapture log;
    handler.publish(LogLevel::Plain, "s", "n", "nowhere");
    EXPECT_EQ(handler.current_path(), "");
    EXPECT_TRUE(log.contains("Error in FileHandler.publish: "));
}

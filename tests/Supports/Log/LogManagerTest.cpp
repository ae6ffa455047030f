#include "Supports/Log/GLibLogHandler.hpp"
#include "Supports/Log/LogManager.hpp"
#include "Supports/Log/SliceFileLogHandler.hpp"
#include "Supports/Log/TempFileLogHandler.hpp"

#include "tests/Supports/Log/LogTestSupport.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts::Log;
using namespace Dizezida::Dovodarud::Supports::Log;
using Testing::lines_of;

namespace {

/// Remembers what it was given.
class RecordingHandler : public GLibLogHandler {
public:
    std::vector<std::string> seen;
    bool closed = false;
    void publish(LogLevel, std::string_view server, std::string_view name,
                 std::string_view message) override {
        seen.push_back(std::string(server) + "|" + std::string(name) + "|" + std::string(message));
    }
    void close() override { closed = true; }
};

} // namespace

TEST(Logger, HandsMessagesToEveryHandlerInOrder) {
    Logger logger("id-1");
    EXPECT_EQ(logger.get_uuid(), "id-1");
    EXPECT_EQ(logger.get_name(), "");
    logger.initialize("server-a", "name-a");
    EXPECT_EQ(logger.get_property("server").get_string(), "server-a");
    EXPECT_EQ(logger.get_property("name").get_string(), "name-a");
    EXPECT_FALSE(logger.set_property("name", Core::Value("x"))) << "read-only";

    auto first = std::make_shared<RecordingHandler>();
    auto second = std::make_shared<RecordingHandler>();
    logger.append_handler(first);
    logger.append_handler(second);
    logger.append_handler(first);
    EXPECT_EQ(logger.get_handlers().size(), 2u);
    logger.warning("srv", "nm", "failed: %d -> %s", 7, "text");
    EXPECT_EQ(first->seen, std::vector<std::string>{"srv|nm|failed: 7 -> text"});
    EXPECT_EQ(second->seen, first->seen);

    logger.delete_handler(first);
    logger.info("srv", "nm", "only second");
    EXPECT_EQ(first->seen.size(), 1u);
    EXPECT_EQ(second->seen.size(), 2u);

    Testing::PlatformLogCapture log;
    logger.info("srv", "nm", nullptr);
    EXPECT_TRUE(log.contains("format != NULL"));
    EXPECT_EQ(second->seen.size(), 2u);

    EXPECT_EQ(logger.recent(), "") << "no temporary-file handler";
    logger.close();
    EXPECT_TRUE(second->closed);
    EXPECT_FALSE(first->closed);
    EXPECT_TRUE(logger.get_handlers().empty());
}

TEST(LogManager, InitializeMakesTheMainLoggerWithSliceFiles) {
    Testing::ScratchFolder scratch;
    const std::string folder = scratch.file("logs");
    LogManager manager;
    EXPECT_EQ(manager.get_main(), nullptr);
    manager.initialize("main-id", LogLevel::Debug, folder, 4096);
    auto main = manager.get_main();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->get_uuid(), "main-id");
    EXPECT_EQ(main->get_name(), "SYS");
    EXPECT_EQ(main->get_server(), "SYS");
    EXPECT_EQ(manager.get_property("main").get_object(), std::dynamic_pointer_cast<Core::Object>(main));
    ASSERT_EQ(main->get_handlers().size(), 1u);
    auto slices = std::dynamic_pointer_cast<SliceFileLogHandler>(main->get_handlers()[0]);
    ASSERT_NE(slices, nullptr);
    EXPECT_EQ(slices->get_threshold(), LogLevel::Debug);
    EXPECT_EQ(slices->max_size(), 4096);
    EXPECT_EQ(manager.open("main-id"), main);

    main->debug("SYS", "SYS", "visible at %s", "DEBUG");
    manager.shutdown();
    EXPECT_NE(Testing::read_file(folder + "/main-id-000.log").find("[SYS][SYS][DEBUG] visible at DEBUG"),
              std::string::npos);
    g_remove((folder + "/main-id-000.log").c_str());
    g_rmdir(folder.c_str());
}

TEST(LogManager, UncreatableFolderLeavesMainWithoutHandler) {
    Testing::PlatformLogCapture log;
    Testing::ScratchFolder scratch;
    LogManager manager;
    const std::string blocker = scratch.file("plain-file");
    g_file_set_contents(blocker.c_str(), "x", 1, nullptr);
    manager.initialize("main-id", LogLevel::Plain, blocker + "/logs", 4096);
    EXPECT_TRUE(log.contains("*** Failed creating FileHandler: "));
    ASSERT_NE(manager.get_main(), nullptr);
    EXPECT_TRUE(manager.get_main()->get_handlers().empty());
    g_remove(blocker.c_str());
}

TEST(LogManager, MissingParentFoldersAreCreated) {
    Testing::ScratchFolder scratch;
    const std::string folder = scratch.file("state/dizezida/logs");
    LogManager manager;
    manager.initialize("main-id", LogLevel::Plain, folder, 4096);
    ASSERT_EQ(manager.get_main()->get_handlers().size(), 1u);
    manager.shutdown();
    EXPECT_TRUE(g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR));
    std::filesystem::remove_all(scratch.file("state"));
}

TEST(LogManager, OpenMakesAConnectionLoggerWithATemporaryFile) {
    LogManager manager;
    auto logger = manager.open("conn-7");
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(manager.open("conn-7"), logger);
    EXPECT_EQ(logger->get_name(), "");
    ASSERT_EQ(logger->get_handlers().size(), 1u);
    auto temp = std::dynamic_pointer_cast<TempFileLogHandler>(logger->get_handlers()[0]);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->get_threshold(), LogLevel::Plain);
    const std::string first_path = temp->path();

    logger->message("", "", "one");
    logger->debug("", "", "not at PLAIN");
    EXPECT_EQ(lines_of(logger->recent()).size(), 1u);

    manager.close("unknown"); // nothing happens
    manager.close("conn-7");
    EXPECT_TRUE(logger->get_handlers().empty());
    auto fresh = manager.open("conn-7");
    EXPECT_NE(fresh, logger);
    auto fresh_temp = std::dynamic_pointer_cast<TempFileLogHandler>(fresh->get_handlers()[0]);
    EXPECT_NE(fresh_temp->path(), first_path);
    EXPECT_EQ(fresh->recent(), "");
    manager.shutdown();
    g_remove(first_path.c_str());
    g_remove(fresh_temp->path().c_str());
}

// Each test case runs in its own process, so the logging service and the
// service registry start empty in every one.
#include "Foundation/LoggingService.hpp"
#include "Foundation/Services.hpp"
#include "Supports/Log/LogManager.hpp"

#include "tests/Supports/Log/LogTestSupport.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

using namespace Dizezida;
using Dovodarud::Contracts::Log::ILogManager;
using Dovodarud::Contracts::Log::LogLevel;
using Dovodarud::Foundation::LoggingService;
using Dovodarud::Foundation::Services;
using Testing::lines_of;
using Testing::message_of;

namespace {

constexpr const char* k_main = "main-log";

class LoggingServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        Services::initialize();
        Services::register_type<ILogManager, Dovodarud::Supports::Log::LogManager>();
    }
    void start(LogLevel level = LogLevel::Plain, std::int64_t slice_size = 0) {
        LoggingService::initialize(k_main, level, m_folder.path(), slice_size);
    }
    /// The text of every main slice, in slice order.
    std::string main_log() const {
        std::string text;
        for (int slice = 0;; ++slice) {
            char name[64];
            g_snprintf(name, sizeof name, "%s-%03d.log", k_main, slice);
            if (!g_file_test(m_folder.file(name).c_str(), G_FILE_TEST_EXISTS))
                return text;
            text += Testing::read_file(m_folder.file(name));
        }
    }
    /// A connection id no other run uses, so its temporary files can be found.
    static std::string unique_id(const char* base) {
        return std::string(base) + "-" + std::to_string(::getpid());
    }
    /// The temporary files made for a connection id; removes them.
    static int count_and_remove_temp_files(const std::string& uuid) {
        int count = 0;
        GDir* dir = g_dir_open(g_get_tmp_dir(), 0, nullptr);
        while (const char* entry = dir ? g_dir_read_name(dir) : nullptr)
            if (std::string_view(entry).starts_with(uuid + "-")) {
                ++count;
                g_remove((std::string(g_get_tmp_dir()) + "/" + entry).c_str());
            }
        if (dir)
            g_dir_close(dir);
        return count;
    }

    Testing::ScratchFolder m_folder;
};

} // namespace

TEST(LoggingServiceStart, WithoutALogManagerTheProcessStops) {
    Services::initialize();
    EXPECT_DEATH(LoggingService::initialize(k_main, LogLevel::Plain, "/tmp", 0),
                 "null != s_Log_manager");
}

TEST(LoggingServiceStart, MessagesBeforeInitializeAreDropped) {
    LoggingService::message(nullptr, "nobody listens %d", 1);
    EXPECT_EQ(LoggingService::get_manager(), nullptr);
}

TEST_F(LoggingServiceTest, NullOrMainIdWritesOnceToTheMainLogOnly) {
    start();
    LoggingService::message(nullptr, "null id %d", 1);
    LoggingService::info("", "empty id");
    LoggingService::warning(k_main, "main id %s", "given");
    LoggingService::write(LogLevel::Plain, nullptr, "100% as it stands %s");
    const auto lines = lines_of(main_log());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find(" [SYS][SYS][PLAIN] null id 1"), std::string::npos) << lines[0];
    EXPECT_NE(lines[2].find(" [SYS][SYS][RISKY] main id given"), std::string::npos) << lines[2];
    EXPECT_EQ(message_of(lines[3]), "100% as it stands %s");
    EXPECT_EQ(count_and_remove_temp_files(k_main), 0);
}

TEST_F(LoggingServiceTest, ConnectionIdWritesToItsOwnLoggerAndTheMainLog) {
    start(LogLevel::Debug);
    const std::string uuid = unique_id("conn");
    LoggingService::get_manager()->open(uuid)->initialize("db-server", "orders");
    const std::string sql = "SELECT 1";
    const std::string text = "syntax error";
    LoggingService::message(uuid, "SQL: %s", sql.c_str());
    LoggingService::warning(uuid, "failed: %d -> %s", 42, text.c_str());
    LoggingService::debug(uuid, "detail");

    const auto own = lines_of(LoggingService::get_manager()->open(uuid)->recent());
    ASSERT_EQ(own.size(), 2u) << "DEBUG is below the connection log's PLAIN threshold";
    EXPECT_EQ(message_of(own[0]), "SQL: SELECT 1");
    EXPECT_EQ(message_of(own[1]), "failed: 42 -> syntax error");

    const auto main = lines_of(main_log());
    ASSERT_EQ(main.size(), 3u);
    EXPECT_NE(main[0].find(" [db-server][orders][PLAIN] SQL: SELECT 1"), std::string::npos);
    EXPECT_NE(main[2].find(" [db-server][orders][DEBUG] detail"), std::string::npos);
    LoggingService::shutdown();
    EXPECT_EQ(count_and_remove_temp_files(uuid), 1);
}

TEST_F(LoggingServiceTest, NewIdCreatesItsTemporaryFileAndCloseStartsAfresh) {
    start();
    const std::string uuid = unique_id("fresh");
    LoggingService::info(uuid, "first");
    auto manager = LoggingService::get_manager();
    EXPECT_EQ(lines_of(manager->open(uuid)->recent()).size(), 1u);
    EXPECT_NE(main_log().find(" [][][PLAIN] first"), std::string::npos);

    manager->close(uuid);
    LoggingService::info(uuid, "second");
    const auto own = lines_of(manager->open(uuid)->recent());
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(message_of(own[0]), "second");
    LoggingService::shutdown();
    EXPECT_EQ(count_and_remove_temp_files(uuid), 2);
}

TEST_F(LoggingServiceTest, ShutdownClosesEveryLogger) {
    start();
    const std::string uuid = unique_id("shut");
    LoggingService::info(uuid, "before");
    LoggingService::shutdown();
    LoggingService::info(nullptr, "after");
    LoggingService::info(uuid, "after");
    EXPECT_EQ(lines_of(main_log()).size(), 1u);
    EXPECT_EQ(count_and_remove_temp_files(uuid), 2) << "a message after shutdown reopens the id";
}

// Many threads log at once to the main log and to a few connection ids:
// every line arrives once, whole, and in each thread's order.
TEST_F(LoggingServiceTest, ConcurrentLoggingLosesAndInterleavesNothing) {
    start(LogLevel::Plain, 64 * 1024);
    constexpr int k_threads = 8;
    constexpr int k_messages = 400;
    const std::string padding(60, '.');
    std::vector<std::string> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(unique_id(("multi" + std::to_string(i)).c_str()));

    // Meanwhile the main log's threshold changes (both values pass PLAIN).
    auto slices = LoggingService::get_manager()->get_main()->get_handlers().at(0);
    std::atomic<bool> done{false};
    std::thread toggler([&] {
        for (int n = 0; !done; ++n)
            slices->set_threshold(n % 2 ? LogLevel::Plain : LogLevel::Debug);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < k_threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < k_messages; ++i) {
                if (i % 2 == 0)
                    LoggingService::message(nullptr, "t=%d i=%d %s", t, i, padding.c_str());
                else
                    LoggingService::warning(ids[static_cast<std::size_t>((t + i) % 3)],
                                            "t=%d i=%d %s", t, i, padding.c_str());
            }
        });
    for (auto& thread : threads)
        thread.join();
    done = true;
    toggler.join();

    // t -> the i seen so far, for one log; checks shape, order and completeness.
    auto check = [&](const std::vector<std::string>& lines, auto wanted) {
        std::map<int, std::vector<int>> seen;
        for (const auto& line : lines) {
            int t = -1;
            int i = -1;
            char rest[128] = {};
            ASSERT_EQ(std::sscanf(message_of(line).c_str(), "t=%d i=%d %127s", &t, &i, rest), 3)
                << line;
            ASSERT_EQ(rest, padding) << line;
            seen[t].push_back(i);
        }
        for (int t = 0; t < k_threads; ++t) {
            std::vector<int> expected;
            for (int i = 0; i < k_messages; ++i)
                if (wanted(t, i))
                    expected.push_back(i);
            EXPECT_EQ(seen[t], expected) << "thread " << t;
        }
    };
    const auto main_lines = lines_of(main_log());
    EXPECT_EQ(main_lines.size(), static_cast<std::size_t>(k_threads * k_messages));
    check(main_lines, [](int, int) { return true; });
    for (int c = 0; c < 3; ++c)
        check(lines_of(LoggingService::get_manager()->open(ids[static_cast<std::size_t>(c)])->recent()),
              [c](int t, int i) { return i % 2 == 1 && (t + i) % 3 == c; });
    EXPECT_TRUE(g_file_test(m_folder.file("main-log-001.log").c_str(), G_FILE_TEST_EXISTS))
        << "the slices rotated while the threads wrote";
    LoggingService::shutdown();
    for (const auto& id : ids)
        EXPECT_EQ(count_and_remove_temp_files(id), 1);
}

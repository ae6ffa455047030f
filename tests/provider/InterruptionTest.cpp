// An interruption of the process stops the statements running on every open
// session, lets nothing but a rollback start after it, and leaves each
// session usable for closing.
#include "core/Interruption.hpp"
#include "provider/Supports/PostgreSQLError.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>

using namespace Dizezida;
using namespace Dizezida::Zozuvoru::Contracts;
using Zozuvoru::Supports::sqlstate_code;

namespace {

struct ResetInterruption {
    ~ResetInterruption() { Core::Interruption::reset(); }
};

TEST(ProviderInterruption, CancelsRunningStatementsAndReadersAndStartsOnlyRollbacks) {
    ResetInterruption reset;
    auto sleeper = Testing::open_test_provider(Testing::test_conninfo());
    auto reader_session = Testing::open_test_provider(Testing::test_conninfo());
    auto idle = Testing::open_test_provider(Testing::test_conninfo());
    ASSERT_TRUE(idle->transaction());
    ASSERT_TRUE(idle->execute_statements("CREATE TEMP TABLE t (x int)", 0));

    const auto started = std::chrono::steady_clock::now();
    auto sleeping = std::async(std::launch::async,
                               [&] { return sleeper->execute_scalar("SELECT pg_sleep(60)", 0); });
    auto reading = std::async(std::launch::async, [&]() -> Core::Result<std::uint64_t> {
        auto reader = reader_session->execute_reader(
            "SELECT g, pg_sleep(CASE WHEN g > 2 THEN 60 ELSE 0 END) FROM generate_series(1, 5) g");
        if (!reader)
            return Core::fail(reader.error());
        for (;;) {
            auto more = (*reader)->read();
            if (!more)
                return Core::fail(more.error());
            if (!*more)
                return (*reader)->get_rows_read();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Core::Interruption::request(SIGINT);
    // A second request keeps the first signal.
    Core::Interruption::request(SIGTERM);
    EXPECT_EQ(Core::Interruption::signal(), SIGINT);

    const auto slept = sleeping.get();
    ASSERT_FALSE(slept);
    EXPECT_EQ(slept.error().code, sqlstate_code("57014")) << slept.error().message;
    const auto read = reading.get();
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, sqlstate_code("57014")) << read.error().message;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));

    // Nothing new starts, not even a commit; a rollback does, and the
    // session closes.
    const auto refused = idle->execute_statements("INSERT INTO t VALUES (1)", 0);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, sqlstate_code("57014"));
    EXPECT_FALSE(idle->commit());
    EXPECT_TRUE(idle->execute_statements("  rollback", 0));
    EXPECT_TRUE(idle->rollback());
    EXPECT_TRUE(idle->close());
    EXPECT_TRUE(sleeper->close());

    Core::Interruption::reset();
    auto again = Testing::open_test_provider(Testing::test_conninfo());
    auto one = again->execute_scalar("SELECT 1", 0);
    ASSERT_TRUE(one);
    EXPECT_EQ((*one)->to_string(), "1");
}

} // namespace

// The streaming reader: bounded memory, early close, errors and the session
// it holds while open.
#include "provider/Supports/PostgreSQLError.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

using namespace Dizezida;
using namespace Dizezida::Zozuvoru::Contracts;
using Zozuvoru::Supports::sqlstate_code;

namespace {

/// The peak resident memory of this process, in bytes.
std::size_t peak_resident_bytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024;
    return 0;
}

TEST(DataReader, StreamsAMillionRowsInLittleMemory) {
    auto provider = Testing::open_test_provider(Testing::test_conninfo());
    [[maybe_unused]] const std::size_t before = peak_resident_bytes();
    // About 230 MB of row data: far more than the reader may hold at once.
    auto reader =
        provider->execute_reader("SELECT g, repeat('x', 200) AS pad, g % 7 = 0 AS seventh "
                                 "FROM generate_series(1, 1000000) g");
    ASSERT_TRUE(reader.has_value()) << reader.error().message;
    ASSERT_EQ((*reader)->get_columns().size(), 3u);
    EXPECT_EQ((*reader)->get_columns()[1]->get_name(), "pad");
    std::int64_t sum = 0;
    std::size_t sevenths = 0;
    std::size_t pad_bytes = 0;
    while (true) {
        auto more = (*reader)->read();
        ASSERT_TRUE(more.has_value()) << more.error().message;
        if (!*more)
            break;
        sum += std::stoll(std::string((*reader)->get_text_at(0)));
        pad_bytes += (*reader)->get_text_at(1).size();
        if ((*reader)->get_text_at(2) == "t")
            ++sevenths;
    }
    EXPECT_EQ((*reader)->get_rows_read(), 1000000u);
    EXPECT_EQ(sum, 500000500000);
    EXPECT_EQ(pad_bytes, 200000000u);
    EXPECT_EQ(sevenths, 142857u);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer keeps freed blocks in quarantine
    EXPECT_LT(peak_resident_bytes() - before, 32u << 20);
#endif
    EXPECT_FALSE(*(*reader)->read());
}

TEST(DataReader, ValuesAndRowsOfTheCurrentRow) {
    auto provider = Testing::open_test_provider(Testing::test_conninfo());
    auto reader = provider->execute_reader(
        "CREATE TEMP TABLE r (a int); SELECT 42::int4 AS n, NULL::text AS t, '\\x01'::bytea AS b");
    ASSERT_TRUE(reader.has_value()) << reader.error().message;
    EXPECT_EQ((*reader)->get_value_at(0), nullptr); // before the first read
    ASSERT_TRUE(*(*reader)->read());
    EXPECT_EQ((*reader)->get_value_at(0)->get_data_type(), DataType::INTEGER);
    EXPECT_EQ((*reader)->get_value_at(0)->to_string(), "42");
    EXPECT_TRUE((*reader)->is_null_at(1));
    EXPECT_TRUE((*reader)->get_value_at(1)->is_null());
    EXPECT_EQ((*reader)->get_value_at(2)->to_string(), "\\x01");
    EXPECT_EQ((*reader)->get_value_at(3), nullptr);
    const RowPtr row = (*reader)->get_row();
    ASSERT_EQ(row->size(), 3u);
    EXPECT_EQ(row->get_value_at(0)->to_string(), "42");
    EXPECT_FALSE(*(*reader)->read());
}

TEST(DataReader, EarlyCloseGivesTheSessionBack) {
    auto provider = Testing::open_test_provider(Testing::test_conninfo());
    {
        auto reader = provider->execute_reader("SELECT g FROM generate_series(1, 200000) g");
        ASSERT_TRUE(reader.has_value());
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(*(*reader)->read());
        EXPECT_EQ((*reader)->get_text_at(0), "10");
        // While the reader is open, this thread may not use the session.
        auto busy = provider->execute_scalar("SELECT 1", 0);
        ASSERT_FALSE(busy.has_value());
        EXPECT_EQ(busy.error().code, sqlstate_code("55006"));
        (*reader)->close();
        EXPECT_FALSE(*(*reader)->read());
    }
    {
        auto dropped = provider->execute_reader("SELECT g FROM generate_series(1, 1000) g");
        ASSERT_TRUE(dropped.has_value());
        ASSERT_TRUE(*(*dropped)->read());
    } // destroyed while open
    auto after = provider->execute_scalar("SELECT 'free'", 0);
    ASSERT_TRUE(after.has_value()) << after.error().message;
    EXPECT_EQ((*after)->to_string(), "free");
}

TEST(DataReader, OtherThreadsWaitForTheReader) {
    auto provider = Testing::open_test_provider(Testing::test_conninfo());
    auto reader = provider->execute_reader("SELECT g FROM generate_series(1, 3) g");
    ASSERT_TRUE(reader.has_value());
    std::atomic<bool> done{false};
    std::string answer;
    std::thread other([&] {
        auto value = provider->execute_scalar("SELECT 'after'", 1);
        answer = value ? (*value)->to_string() : value.error().message;
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done.load());
    while (*(*reader)->read()) {
    }
    other.join();
    EXPECT_EQ(answer, "after");
}

TEST(DataReader, ErrorsBeforeAndDuringTheRows) {
    auto provider = Testing::open_test_provider(Testing::test_conninfo());
    auto missing = provider->execute_reader("SELECT * FROM no_such_table");
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().code, sqlstate_code("42P01"));

    auto reader =
        provider->execute_reader("SELECT 1 / (5000 - g) FROM generate_series(1, 10000) g");
    ASSERT_TRUE(reader.has_value()) << reader.error().message;
    Core::Result<bool> more = true;
    std::size_t rows = 0;
    while (more && *more) {
        more = (*reader)->read();
        rows += more && *more;
    }
    ASSERT_FALSE(more.has_value());
    EXPECT_EQ(more.error().code, sqlstate_code("22012"));
    EXPECT_LT(rows, 5000u);
    EXPECT_EQ((*provider->execute_scalar("SELECT 3", 0))->to_string(), "3");

    auto empty = provider->execute_reader("SELECT 1 AS one WHERE false");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ((*empty)->get_columns().size(), 1u);
    EXPECT_FALSE(*(*empty)->read());
}

} // namespace

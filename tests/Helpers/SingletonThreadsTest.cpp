// Both singletons are made and used by worker threads; this case races their
// creation and use (it is also run under ThreadSanitizer).
#include "Helpers/EncodingHelper.hpp"
#include "Helpers/FileTypeHelper.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using Dizezida::Dovodarud::Helpers::EncodingHelper;
using Dizezida::Dovodarud::Helpers::FileTypeHelper;
using namespace std::string_literals;

TEST(HelperSingletons, AreMadeAndUsedFromSeveralThreadsAtOnce) {
    const std::string utf8 = "Grüße aus Köln, Привет из Москвы, Ελληνικά κείμενα. "
                             "Grüße aus Köln, Привет из Москвы, Ελληνικά κείμενα.";
    const std::string ascii = "nothing but plain text";
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s;
    constexpr int k_threads = 6;
    constexpr int k_rounds = 200;
    std::atomic<int> ready = 0;
    std::atomic<int> wrong = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < k_threads; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < k_threads)
                std::this_thread::yield();
            for (int round = 0; round < k_rounds; ++round) {
                const bool odd = (round + t) % 2 != 0;
                const std::string charset =
                    EncodingHelper::get_singleton().detect_buffer(odd ? utf8 : ascii);
                if (charset != (odd ? "UTF-8" : "ASCII"))
                    ++wrong;
                if (FileTypeHelper::get_singleton().guess_file_type(png) != "image/png")
                    ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

#include "Supports/Database/DataCache.hpp"

#include <gtest/gtest.h>

#include <thread>

using Dizezida::Dovodarud::Supports::Database::DataCache;

TEST(DataCache, LookupAppendReplaceAndClear) {
    DataCache cache;
    EXPECT_FALSE(cache.lookup("k"));
    cache.append("k", "first");
    cache.append("k", "second");
    cache.append("", "empty key");
    EXPECT_EQ(cache.lookup("k"), "second");
    EXPECT_EQ(cache.lookup(""), "empty key");
    cache.clear();
    EXPECT_FALSE(cache.lookup("k"));
    EXPECT_FALSE(cache.lookup(""));
}

TEST(DataCache, ConcurrentWritersAndReadersLoseNothing) {
    DataCache cache;
    constexpr int threads = 8, keys = 2000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&cache, t] {
            for (int i = 0; i < keys; ++i) {
                const std::string key = std::to_string(t) + ":" + std::to_string(i);
                cache.append(key, key);
                const auto read = cache.lookup(key);
                if (!read || *read != key)
                    ADD_FAILURE() << "lost " << key;
            }
        });
    for (auto& worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(cache.lookup(std::to_string(t) + ":" + std::to_string(keys - 1)),
                  std::to_string(t) + ":" + std::to_string(keys - 1));
}

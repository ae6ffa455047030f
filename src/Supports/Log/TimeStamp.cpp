#include "Supports/Log/TimeStamp.hpp"

#include <array>
#include <cstring>
#include <ctime>

namespace Dizezida::Dovodarud::Supports::Log {
namespace {

struct CachedSecond {
    const char* pattern = nullptr;
    std::time_t second = -1;
    std::string text;
};

} // namespace

LocalStamp local_stamp(const char* pattern) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    thread_local std::array<CachedSecond, 4> cache;
    thread_local std::size_t next_slot = 0;

    CachedSecond* slot = nullptr;
    for (auto& entry : cache)
        if (entry.pattern && std::strcmp(entry.pattern, pattern) == 0)
            slot = &entry;
    if (!slot) {
        slot = &cache[next_slot];
        next_slot = (next_slot + 1) % cache.size();
        slot->pattern = pattern;
        slot->second = -1;
    }
    if (slot->second != now.tv_sec) {
        std::tm local{};
        localtime_r(&now.tv_sec, &local);
        char buffer[128];
        const std::size_t length = std::strftime(buffer, sizeof buffer, pattern, &local);
        slot->text.assign(buffer, length);
        slot->second = now.tv_sec;
    }
    return LocalStamp{slot->text, static_cast<int>(now.tv_nsec / 1000000)};
}

void append_stamp(std::string& line, const LocalStamp& stamp) {
    line += stamp.text;
    const int ms = stamp.milliseconds;
    const char digits[] = {'.', static_cast<char>('0' + ms / 100),
                           static_cast<char>('0' + ms / 10 % 10), static_cast<char>('0' + ms % 10)};
    line.append(digits, sizeof digits);
}

} // namespace Dizezida::Dovodarud::Supports::Log

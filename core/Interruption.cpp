#include "core/Interruption.hpp"

#include <atomic>
#include <map>
#include <mutex>

namespace Dizezida::Core::Interruption {
namespace {

std::atomic<int> g_signal{0};

struct Registry {
    std::mutex lock;
    std::map<std::uint64_t, Canceller> cancellers;
    std::uint64_t next = 1;
};

/// Never destroyed: the front end's watcher thread may still cancel while
/// the process exits.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

} // namespace

int signal() {
    return g_signal.load();
}

void request(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    cancel_running();
}

void cancel_running() {
    Registry& all = registry();
    std::lock_guard lock(all.lock);
    for (auto& [id, canceller] : all.cancellers)
        canceller();
}

void reset() {
    g_signal.store(0);
}

std::uint64_t add_canceller(Canceller canceller) {
    Registry& all = registry();
    std::lock_guard lock(all.lock);
    const std::uint64_t id = all.next++;
    all.cancellers.emplace(id, std::move(canceller));
    return id;
}

void remove_canceller(std::uint64_t id) {
    Registry& all = registry();
    std::lock_guard lock(all.lock);
    all.cancellers.erase(id);
}

} // namespace Dizezida::Core::Interruption

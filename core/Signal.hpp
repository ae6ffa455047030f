// A named event with handlers ("opened", "closed", ...).
//
// Handlers run in connection order on the thread that emits; a handler may
// connect or disconnect others while it runs (emission walks a snapshot).
// Not synchronised: connect, disconnect and emit on one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace Dizezida::Core {

template <class... Args> class Signal {
public:
    using Handler = std::function<void(Args...)>;

    /// Adds a handler; returns an id for disconnect.
    std::uint64_t connect(Handler handler) {
        m_handlers.emplace_back(m_next_id, std::move(handler));
        return m_next_id++;
    }
    void disconnect(std::uint64_t id) {
        std::erase_if(m_handlers, [id](const auto& entry) { return entry.first == id; });
    }
    void emit(Args... args) const {
        const auto handlers = m_handlers;
        for (const auto& entry : handlers)
            entry.second(args...);
    }

private:
    std::vector<std::pair<std::uint64_t, Handler>> m_handlers;
    std::uint64_t m_next_id = 1;
};

} // namespace Dizezida::Core

#include "Transform/CopyLines.hpp"

#include "provider/Contracts/IProvider.hpp"

namespace Dizezida::Dovodarud::Transform {

CopyLines::CopyLines(Contracts::Database::IConnection& connection, std::string sql)
    : m_provider(connection.get_provider()) {
    m_worker = std::thread([this, sql = std::move(sql)] { produce(sql); });
}

std::optional<std::string_view> CopyLines::next() {
    if (m_line_given) {
        m_line.clear();
        m_line_given = false;
    }
    for (;;) {
        if (const std::size_t end = m_block.find('\n', m_at); end != std::string::npos) {
            const std::string_view piece(m_block.data() + m_at, end - m_at);
            m_at = end + 1;
            if (m_line.empty())
                return piece;
            m_line += piece;
            m_line_given = true;
            return std::string_view(m_line);
        }
        m_line.append(m_block, m_at);
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_blocks.empty() || m_done; });
        if (m_blocks.empty())
            return std::nullopt;
        m_block = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_at = 0;
        m_room.notify_one();
    }
}

Core::Result<void> CopyLines::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_room.notify_one();
    }
    if (m_worker.joinable())
        m_worker.join();
    if (m_error)
        return Core::fail(*m_error);
    return {};
}

void CopyLines::produce(const std::string& sql) {
    auto copied = m_provider->copy_out(sql, [this](std::string_view data) -> Core::Result<void> {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_blocks.size() < k_blocks || m_stopped; });
        if (m_stopped)
            return Core::fail(Core::Error{"Transform", 0, "the copy was stopped"});
        m_blocks.emplace_back(data);
        m_ready.notify_one();
        return {};
    });
    std::lock_guard lock(m_mutex);
    if (!copied && !m_stopped)
        m_error = copied.error();
    m_done = true;
    m_ready.notify_one();
}

} // namespace Dizezida::Dovodarud::Transform

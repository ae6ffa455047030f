#include "Transform/CopyStream.hpp"

#include "Transform/CopyBinary.hpp"
#include "provider/Contracts/IProvider.hpp"

namespace Dizezida::Dovodarud::Transform {

CopyStream::CopyStream(Contracts::Database::IConnection& connection, std::string sql)
    : CopyStream(connection.get_provider(), std::move(sql)) {}

CopyStream::CopyStream(Zozuvoru::Contracts::ProviderPtr provider, std::string sql)
    : m_provider(std::move(provider)) {
    m_worker = std::thread([this, sql = std::move(sql)] { produce(sql); });
}

bool CopyStream::take_block(bool keep_rest) {
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return !m_blocks.empty() || m_done; });
    if (m_blocks.empty())
        return false;
    if (keep_rest && m_at < m_block.size()) {
        m_block.erase(0, m_at);
        m_block += m_blocks.front();
    } else {
        m_block = std::move(m_blocks.front());
    }
    m_blocks.pop_front();
    m_at = 0;
    m_room.notify_one();
    return true;
}

std::optional<std::string_view> CopyStream::next_line() {
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
        m_at = m_block.size();
        if (!take_block(false))
            return std::nullopt;
    }
}

bool CopyStream::have(std::size_t size) {
    while (m_block.size() - m_at < size)
        if (!take_block(true))
            return false;
    return true;
}

void CopyStream::fail_format(const char* why) {
    if (!m_format_error)
        m_format_error = Core::Error{"Transform", 0, std::string("binary COPY data: ") + why};
}

bool CopyStream::skip_header() {
    constexpr std::size_t k_fixed = CopyBinary::k_signature.size() + 8;
    if (!have(k_fixed))
        return false; // no rows and no header: the copy failed, `finish` says why
    if (std::string_view(m_block.data() + m_at, CopyBinary::k_signature.size()) !=
        CopyBinary::k_signature) {
        fail_format("no signature");
        return false;
    }
    const std::size_t extension = CopyBinary::read_u32(m_block.data() + m_at + k_fixed - 4);
    if (!have(k_fixed + extension)) {
        fail_format("the header is cut short");
        return false;
    }
    m_at += k_fixed + extension;
    m_header_read = true;
    return true;
}

std::size_t CopyStream::tuple_size() {
    // Offsets from m_at: taking a block moves what is left of the current one.
    const std::int16_t fields = CopyBinary::read_i16(m_block.data() + m_at);
    std::size_t size = 2;
    for (std::int16_t field = 0; field < fields; ++field) {
        if (!have(size + 4))
            return 0;
        const std::int32_t length = CopyBinary::read_i32(m_block.data() + m_at + size);
        size += 4 + static_cast<std::size_t>(length < 0 ? 0 : length);
        if (!have(size))
            return 0;
    }
    return size;
}

std::optional<std::string_view> CopyStream::next_tuple() {
    if (!m_header_read && !skip_header())
        return std::nullopt;
    if (!have(2))
        return std::nullopt; // ends without a trailer only when the copy failed
    if (CopyBinary::read_i16(m_block.data() + m_at) == -1) {
        m_at += 2;
        return std::nullopt;
    }
    const std::size_t size = tuple_size();
    if (size == 0) {
        fail_format("a tuple is cut short");
        return std::nullopt;
    }
    const std::string_view tuple(m_block.data() + m_at, size);
    m_at += size;
    return tuple;
}

Core::Result<void> CopyStream::finish() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_room.notify_one();
    }
    if (m_worker.joinable())
        m_worker.join();
    if (m_error)
        return Core::fail(*m_error);
    if (m_format_error)
        return Core::fail(*m_format_error);
    return {};
}

void CopyStream::produce(const std::string& sql) {
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

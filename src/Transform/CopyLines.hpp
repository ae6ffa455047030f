// The lines of `COPY (query) TO STDOUT`, copied by a worker thread and
// handed to the caller one at a time through a small queue of blocks, so
// that the server streams while the caller works and memory stays bounded.
//
// Threads: the worker is the only user of the connection's provider until
// `finish` returns (the destructor calls it).
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "core/Error.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace Dizezida::Dovodarud::Transform {

class CopyLines {
public:
    CopyLines(Contracts::Database::IConnection& connection, std::string sql);
    ~CopyLines() { (void)finish(); }
    CopyLines(const CopyLines&) = delete;
    CopyLines& operator=(const CopyLines&) = delete;

    /// The next line without its line end, valid until the next call;
    /// nothing at the end (or after a failure, which `finish` gives).
    std::optional<std::string_view> next();

    /// Stops the copy if it still runs, waits for it; its failure, if any.
    Core::Result<void> finish();

private:
    static constexpr std::size_t k_blocks = 8;

    void produce(const std::string& sql);

    Zozuvoru::Contracts::ProviderPtr m_provider;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_ready, m_room;
    std::deque<std::string> m_blocks;
    bool m_done = false, m_stopped = false;
    std::optional<Core::Error> m_error;
    std::string m_block;
    std::size_t m_at = 0;
    std::string m_line;
    bool m_line_given = false;
};

} // namespace Dizezida::Dovodarud::Transform

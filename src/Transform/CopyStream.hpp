// The records of `COPY (query) TO STDOUT`, copied by a worker thread and
// handed to the caller one at a time through a small queue of blocks, so
// that the server streams while the caller works and memory stays bounded.
// A text copy gives lines (`next_line`), a binary one (FORMAT binary) its
// tuples whole (`next_tuple`: the 16-bit field count, then each field's
// 32-bit length, -1 for NULL, and its bytes), the header and trailer
// consumed. Read one stream one way only.
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

class CopyStream {
public:
    CopyStream(Contracts::Database::IConnection& connection, std::string sql);
    /// On the provider itself (its `copy_out` may hand blocks cut anywhere).
    CopyStream(Zozuvoru::Contracts::ProviderPtr provider, std::string sql);
    ~CopyStream() { (void)finish(); }
    CopyStream(const CopyStream&) = delete;
    CopyStream& operator=(const CopyStream&) = delete;

    /// The next line without its line end, valid until the next call;
    /// nothing at the end (or after a failure, which `finish` gives).
    std::optional<std::string_view> next_line();
    /// The next tuple of a binary copy, valid until the next call; nothing
    /// at the trailer, at the end, or for data that is not the binary
    /// format (`finish` then says so).
    std::optional<std::string_view> next_tuple();

    /// Stops the copy if it still runs, waits for it; its failure, if any.
    Core::Result<void> finish();

private:
    static constexpr std::size_t k_blocks = 8;

    void produce(const std::string& sql);
    /// Moves the next block from the queue into m_block (after what is left
    /// of the current one when `keep_rest`); false at the end.
    bool take_block(bool keep_rest);
    /// Whether `size` bytes from m_at are in m_block, taking blocks as needed.
    bool have(std::size_t size);
    /// Reads past the binary header; false when the data has none.
    bool skip_header();
    /// The size of the tuple starting at m_at; 0 when the stream ends inside it.
    std::size_t tuple_size();
    void fail_format(const char* why);

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
    bool m_header_read = false;
    std::optional<Core::Error> m_format_error;
};

} // namespace Dizezida::Dovodarud::Transform

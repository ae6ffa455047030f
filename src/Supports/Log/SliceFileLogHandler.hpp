// Writes the main log into size-limited slice files "<name>-NNN.log" in a
// folder (slice 0 is "<name>-000.log").
//
// A new run resumes the newest slice unless it has already passed the
// maximum size; while running, a line that would carry the open slice past
// the maximum starts a new slice. A maximum of 0 or less never rotates.
// Slice files are created readable and writable by their owner only.
//
// Not synchronised: the owning logger serialises publish, rotate and close.
#pragma once

#include "Supports/Log/LogFile.hpp"
#include "Supports/Log/LogHandler.hpp"

#include <cstdint>

namespace Dizezida::Dovodarud::Supports::Log {

class SliceFileLogHandler : public LogHandler {
    DIZEZIDA_OBJECT(SliceFileLogHandler)
public:
    static constexpr std::int64_t k_default_slice_size = 1048576;

    /// A handler with a SimpleFormatter and no file yet.
    SliceFileLogHandler();

    /// Uses a DefaultFormatter, finds the highest slice number of `name` in
    /// `folder` and opens the slice to write (see rotate).
    [[nodiscard]] Core::Result<void> initialize(std::string_view name, std::string_view folder,
                                                std::int64_t slice_size);
    /// Closes the open slice and opens the newest one, or a new one when the
    /// newest has passed the maximum size.
    [[nodiscard]] Core::Result<void> rotate();

    void publish(Contracts::Log::LogLevel level, std::string_view server, std::string_view name,
                 std::string_view message) override;
    void close() override;

    /// The file of slice `index`.
    std::string slice_path(std::int32_t index) const;
    /// The file being written; "" when none is open.
    std::string current_path() const;
    /// Bytes in the open slice, counting every line written to it.
    std::int64_t current_size() const { return m_current_size; }
    std::int64_t max_size() const { return m_max_size; }

private:
    /// Opens slice `index` for appending (creating it private to the user).
    [[nodiscard]] Core::Result<void> open_slice(std::int32_t index);
    /// Closes the open slice; `fresh` starts the slice after the newest existing one.
    [[nodiscard]] Core::Result<void> rotate_to(bool fresh);

    std::string m_folder;
    std::string m_name;
    std::int64_t m_current_size = 0;
    std::int32_t m_index = 0;
    std::int32_t m_open_index = -1;
    std::int64_t m_max_size = k_default_slice_size;
    bool m_closed = false;
    LogFile m_file;
};

} // namespace Dizezida::Dovodarud::Supports::Log

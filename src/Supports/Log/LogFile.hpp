// An open file descriptor that log handlers write whole lines to (internal).
//
// Each `write` is one or more write(2) calls with no buffer in between, so
// every line reaches the operating system before `publish` returns and
// survives a crash of the process. Move-only; not synchronised.
#pragma once

#include "core/Error.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Supports::Log {

class LogFile {
public:
    LogFile() = default;
    explicit LogFile(int fd) : m_fd(fd) {}
    LogFile(LogFile&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    LogFile& operator=(LogFile&& other) noexcept;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    bool is_open() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    /// Writes all of `text`, retrying short writes and interruptions.
    [[nodiscard]] Core::Result<void> write(std::string_view text);
    /// Closes the descriptor (a closed file stays closed whatever the result).
    [[nodiscard]] Core::Result<void> close();

private:
    int m_fd = -1;
};

/// A file error in the platform's I/O error domain, from an errno value.
Core::Error io_error(int errno_value, std::string_view what);

/// Whether `path` names an existing regular file.
bool is_regular_file(const std::string& path);

} // namespace Dizezida::Dovodarud::Supports::Log

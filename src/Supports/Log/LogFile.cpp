#include "Supports/Log/LogFile.hpp"

#include <gio/gio.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Dizezida::Dovodarud::Supports::Log {

LogFile& LogFile::operator=(LogFile&& other) noexcept {
    if (this != &other) {
        (void)close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

LogFile::~LogFile() { (void)close(); }

Core::Result<void> LogFile::write(std::string_view text) {
    if (m_fd < 0)
        return Core::fail(io_error(EBADF, "Error writing to file"));
    while (!text.empty()) {
        const ssize_t written = ::write(m_fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Core::fail(io_error(errno, "Error writing to file"));
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

Core::Result<void> LogFile::close() {
    if (m_fd < 0)
        return {};
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return Core::fail(io_error(errno, "Error closing file"));
    return {};
}

Core::Error io_error(int errno_value, std::string_view what) {
    std::string message(what);
    message += ": ";
    message += g_strerror(errno_value);
    return Core::Error::make("g-io-error-quark", g_io_error_from_errno(errno_value),
                             std::move(message));
}

bool is_regular_file(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace Dizezida::Dovodarud::Supports::Log

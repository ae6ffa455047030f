#include "Helpers/AtomicFile.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Dizezida::Dovodarud::Helpers {

namespace {

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

/// The umask without changing it (Linux shows it in /proc); 022 otherwise.
unsigned current_umask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<unsigned>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

} // namespace

Core::Error file_error(int errno_value, std::string_view what) {
    return Core::Error::make("g-file-error-quark", g_file_error_from_errno(errno_value),
                             fmt::format("{}: {}", what, g_strerror(errno_value)));
}

unsigned AtomicFile::default_mode() {
    static const unsigned mode = 0666u & ~current_umask();
    return mode;
}

Core::Result<AtomicFile> AtomicFile::create(std::string path, unsigned mode) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Core::fail(
            file_error(errno, fmt::format("Cannot create a file in {}", folder_of(path))));
    AtomicFile file(std::move(path), std::move(temp), fd);
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0)
        return Core::fail(file.give_up(errno, "Cannot set the mode of"));
    return file;
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_temp(std::move(other.m_temp)),
      m_fd(std::exchange(other.m_fd, -1)) {}

AtomicFile::~AtomicFile() {
    discard();
}

Core::Error AtomicFile::give_up(int errno_value, std::string_view what) {
    discard();
    return file_error(errno_value, fmt::format("{} {}", what, m_path));
}

void AtomicFile::discard() {
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(m_temp.c_str());
    m_fd = -1;
}

Core::Result<void> AtomicFile::write(std::string_view text) {
    if (m_fd < 0)
        return Core::fail(file_error(EBADF, fmt::format("Cannot write {}", m_path)));
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(m_fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Core::fail(give_up(errno, "Cannot write"));
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

Core::Result<void> AtomicFile::commit() {
    if (m_fd < 0)
        return Core::fail(file_error(EBADF, fmt::format("Cannot write {}", m_path)));
    if (::fsync(m_fd) != 0)
        return Core::fail(give_up(errno, "Cannot flush"));
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(m_temp.c_str());
        return Core::fail(file_error(saved, fmt::format("Cannot close {}", m_path)));
    }
    if (::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(m_temp.c_str());
        return Core::fail(file_error(saved, fmt::format("Cannot replace {}", m_path)));
    }
    const std::string folder = folder_of(m_path);
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Core::Result<void> write_file_atomically(const std::string& path, std::string_view text,
                                         unsigned mode) {
    auto file = AtomicFile::create(path, mode);
    if (!file)
        return Core::fail(std::move(file).error());
    DIZEZIDA_TRY(file->write(text));
    return file->commit();
}

} // namespace Dizezida::Dovodarud::Helpers

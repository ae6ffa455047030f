#include "Helpers/StagedFile.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <fcntl.h>
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

} // namespace

Core::Error file_error(int errno_value, std::string_view what) {
    return Core::Error::make("g-file-error-quark", g_file_error_from_errno(errno_value),
                             fmt::format("{}: {}", what, g_strerror(errno_value)));
}

Core::Result<StagedFile> StagedFile::write(const std::string& path, std::string_view text,
                                           unsigned mode) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Core::fail(
            file_error(errno, fmt::format("Cannot create a file in {}", folder_of(path))));
    const auto give_up = [&](std::string_view what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return Core::fail(file_error(saved, fmt::format("{} {}", what, path)));
    };
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0)
        return give_up("Cannot set the mode of");
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return give_up("Cannot write");
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return give_up("Cannot flush");
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        return Core::fail(file_error(saved, fmt::format("Cannot close {}", path)));
    }
    return StagedFile(path, std::move(temp));
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_temp(std::exchange(other.m_temp, {})) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        m_path = std::move(other.m_path);
        m_temp = std::exchange(other.m_temp, {});
    }
    return *this;
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

Core::Result<void> StagedFile::commit() {
    if (m_temp.empty())
        return Core::fail(file_error(ENOENT, fmt::format("Nothing staged for {}", m_path)));
    if (::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        const int saved = errno;
        discard();
        return Core::fail(file_error(saved, fmt::format("Cannot replace {}", m_path)));
    }
    m_temp.clear();
    // Make the rename itself durable.
    if (const int dir = ::open(folder_of(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace Dizezida::Dovodarud::Helpers

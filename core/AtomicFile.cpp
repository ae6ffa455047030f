#include "core/AtomicFile.hpp"

#include "core/Interruption.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Dizezida::Core {

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

/// What a path names for writing, its links followed.
struct OutputTarget {
    enum class Kind { replace, stream, descriptor };
    Kind kind = Kind::replace;
    std::string path;              ///< the file to replace or the node to open
    int descriptor = -1;           ///< the open descriptor a /dev/fd-like path names
    std::optional<struct stat> existing; ///< the regular file being replaced
};

/// The descriptor number a path such as /dev/stdout or /dev/fd/3 stands
/// for; nothing for any other path.
std::optional<int> descriptor_path(std::string_view path) {
    if (path == "-" || path == "/dev/stdout")
        return 1;
    if (path == "/dev/stderr")
        return 2;
    const std::string own = fmt::format("/proc/{}/fd/", ::getpid());
    for (std::string_view prefix : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
                                    std::string_view(own)}) {
        if (!path.starts_with(prefix))
            continue;
        const std::string_view number = path.substr(prefix.size());
        int fd = -1;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), fd);
        if (error == std::errc() && end == number.data() + number.size() && fd >= 0)
            return fd;
    }
    return std::nullopt;
}

Core::Error cannot_write(int errno_value, const std::string& path) {
    return file_error(errno_value, fmt::format("Cannot write {}", path));
}

/// Follows `path` through its links to what it names for writing.
Core::Result<OutputTarget> resolve_output(const std::string& path) {
    if (path.empty())
        return Core::fail(cannot_write(ENOENT, "\"\""));
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        if (const auto fd = descriptor_path(current)) {
            if (::fcntl(*fd, F_GETFD) < 0)
                return Core::fail(cannot_write(EBADF, path));
            return OutputTarget{OutputTarget::Kind::descriptor, current, *fd, std::nullopt};
        }
        struct stat node{};
        if (::lstat(current.c_str(), &node) != 0) {
            if (errno != ENOENT)
                return Core::fail(cannot_write(errno, path));
            // A new file: its folder must be there.
            struct stat folder{};
            if (::stat(folder_of(current).c_str(), &folder) != 0)
                return Core::fail(cannot_write(errno, path));
            if (!S_ISDIR(folder.st_mode))
                return Core::fail(cannot_write(ENOTDIR, path));
            return OutputTarget{OutputTarget::Kind::replace, current, -1, std::nullopt};
        }
        if (S_ISLNK(node.st_mode)) {
            std::string link(static_cast<std::size_t>(node.st_size > 0 ? node.st_size : 255) + 1, '\0');
            const ssize_t size = ::readlink(current.c_str(), link.data(), link.size());
            if (size < 0)
                return Core::fail(cannot_write(errno, path));
            link.resize(static_cast<std::size_t>(size));
            current = link.starts_with('/') ? link : folder_of(current) + "/" + link;
            continue;
        }
        if (S_ISDIR(node.st_mode))
            return Core::fail(cannot_write(EISDIR, path));
        if (S_ISREG(node.st_mode)) {
            // Replacing needs only the folder's permission; the file's own is kept.
            if (::access(current.c_str(), W_OK) != 0)
                return Core::fail(cannot_write(errno, path));
            return OutputTarget{OutputTarget::Kind::replace, current, -1, node};
        }
        return OutputTarget{OutputTarget::Kind::stream, current, -1, std::nullopt};
    }
    return Core::fail(cannot_write(ELOOP, path));
}

/// Opens a FIFO, device or socket for writing.
int open_stream(const std::string& path) {
    struct stat node{};
    if (::stat(path.c_str(), &node) == 0 && S_ISSOCK(node.st_mode)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) {
            errno = ENAMETOOLONG;
            return -1;
        }
        path.copy(address.sun_path, path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return -1;
        }
        return fd;
    }
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

/// write(2) of the whole text; a reader that went away is EPIPE, never the
/// signal that would end the process.
int write_all(int fd, std::string_view text) {
    sigset_t pipe_signal, saved;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool was_pending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_signal, &saved);
    int failure = 0;
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (failure == EPIPE && !was_pending) {
        const timespec now{};
        (void)sigtimedwait(&pipe_signal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return failure;
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

Core::Result<void> check_output_path(const std::string& path) {
    auto target = resolve_output(path);
    if (!target)
        return Core::fail(std::move(target).error());
    return {};
}

Core::Result<AtomicFile> AtomicFile::create(std::string path, unsigned mode, FilePrivacy privacy) {
    auto target = resolve_output(path);
    if (!target)
        return Core::fail(std::move(target).error());
    if (target->kind == OutputTarget::Kind::descriptor) {
        const int fd = ::fcntl(target->descriptor, F_DUPFD_CLOEXEC, 3);
        if (fd < 0)
            return Core::fail(cannot_write(errno, path));
        return AtomicFile(std::move(path), {}, fd);
    }
    if (target->kind == OutputTarget::Kind::stream) {
        const int fd = open_stream(target->path);
        if (fd < 0)
            return Core::fail(cannot_write(errno, path));
        return AtomicFile(std::move(path), {}, fd);
    }
    std::string temp = target->path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Core::fail(
            file_error(errno, fmt::format("Cannot create a file in {}", folder_of(target->path))));
    AtomicFile file(std::move(path), std::move(temp), fd);
    file.m_target = target->path;
    const struct stat* existing = target->existing ? &*target->existing : nullptr;
    const unsigned kept = existing && privacy == FilePrivacy::shared ? existing->st_mode & 07777 : mode;
    if (existing && ::geteuid() == 0 && ::fchown(fd, existing->st_uid, existing->st_gid) != 0)
        return Core::fail(file.give_up(errno, "Cannot keep the owner of"));
    if (::fchmod(fd, static_cast<mode_t>(kept)) != 0)
        return Core::fail(file.give_up(errno, "Cannot set the mode of"));
    return file;
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_temp(std::move(other.m_temp)),
      m_target(std::move(other.m_target)), m_fd(std::exchange(other.m_fd, -1)) {}

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
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_fd = -1;
}

Core::Result<void> AtomicFile::write(std::string_view text) {
    if (m_fd < 0)
        return Core::fail(file_error(EBADF, fmt::format("Cannot write {}", m_path)));
    if (const int failure = write_all(m_fd, text); failure != 0)
        return Core::fail(give_up(failure, "Cannot write"));
    return {};
}

Core::Result<void> AtomicFile::commit() {
    if (m_fd < 0)
        return Core::fail(file_error(EBADF, fmt::format("Cannot write {}", m_path)));
    if (Core::Interruption::requested()) {
        discard();
        return Core::fail(file_error(ECANCELED, fmt::format("{} was not written", m_path)));
    }
    if (streams()) {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            return Core::fail(file_error(errno, fmt::format("Cannot write {}", m_path)));
        return {};
    }
    if (::fsync(m_fd) != 0)
        return Core::fail(give_up(errno, "Cannot flush"));
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(m_temp.c_str());
        return Core::fail(file_error(saved, fmt::format("Cannot close {}", m_path)));
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(m_temp.c_str());
        return Core::fail(file_error(saved, fmt::format("Cannot replace {}", m_path)));
    }
    const std::string folder = folder_of(m_target);
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Core::Result<void> write_file_atomically(const std::string& path, std::string_view text,
                                         unsigned mode, FilePrivacy privacy) {
    auto file = AtomicFile::create(path, mode, privacy);
    if (!file)
        return Core::fail(std::move(file).error());
    DIZEZIDA_TRY(file->write(text));
    return file->commit();
}

} // namespace Dizezida::Core

#include "Supports/Log/SliceFileLogHandler.hpp"

#include "Supports/Log/DefaultFormatter.hpp"
#include "Supports/Log/SimpleFormatter.hpp"

#include <glib.h>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::LogLevel;

namespace {

struct RegexDeleter {
    void operator()(GRegex* regex) const { g_regex_unref(regex); }
};
struct MatchDeleter {
    void operator()(GMatchInfo* match) const { g_match_info_free(match); }
};
struct DirDeleter {
    void operator()(GDir* dir) const { g_dir_close(dir); }
};
struct ErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};

Core::Error from_gerror(GError* error) {
    std::unique_ptr<GError, ErrorDeleter> owned(error);
    return Core::Error::make(g_quark_to_string(error->domain), error->code, error->message);
}

/// The pattern of this log's slice names. The name is escaped, so that a log
/// named "a.b" does not pick up the slices of "axb", and anchored, so that
/// the slices of "domain" are not taken for those of "main".
std::string slice_pattern(const std::string& name) {
    char* escaped = g_regex_escape_string(name.c_str(), static_cast<gint>(name.size()));
    std::string pattern = "^";
    pattern += escaped;
    pattern += "-(?<index>[0-9]+)\\.log$";
    g_free(escaped);
    return pattern;
}

/// The largest slice number among the folder's entries.
Core::Result<std::int32_t> highest_slice(const std::string& folder, const std::string& name) {
    GError* error = nullptr;
    std::unique_ptr<GRegex, RegexDeleter> regex(
        g_regex_new(slice_pattern(name).c_str(), G_REGEX_OPTIMIZE, GRegexMatchFlags(0), &error));
    if (!regex)
        return Core::fail(from_gerror(error));
    std::unique_ptr<GDir, DirDeleter> dir(g_dir_open(folder.c_str(), 0, &error));
    if (!dir)
        return Core::fail(from_gerror(error));

    std::int32_t highest = 0;
    while (const char* entry = g_dir_read_name(dir.get())) {
        GMatchInfo* raw = nullptr;
        const bool matched = g_regex_match(regex.get(), entry, GRegexMatchFlags(0), &raw);
        std::unique_ptr<GMatchInfo, MatchDeleter> match(raw);
        if (!matched)
            continue;
        char* digits = g_match_info_fetch_named(match.get(), "index");
        const guint64 index = g_ascii_strtoull(digits, nullptr, 10);
        g_free(digits);
        if (index <= static_cast<guint64>(INT32_MAX) && static_cast<std::int32_t>(index) > highest)
            highest = static_cast<std::int32_t>(index);
    }
    return highest;
}

} // namespace

const Core::TypeInfo& SliceFileLogHandler::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<SliceFileLogHandler, LogHandler>(
            "DizezidaDovodarudSupportsLogSliceFileLogHandler");
    return info;
}

SliceFileLogHandler::SliceFileLogHandler() : LogHandler(std::make_shared<SimpleFormatter>()) {}

Core::Result<void> SliceFileLogHandler::initialize(std::string_view name, std::string_view folder,
                                                   std::int64_t slice_size) {
    set_formatter(std::make_shared<DefaultFormatter>());
    m_max_size = slice_size;
    m_folder = folder;
    m_name = name;
    m_closed = false;
    auto highest = highest_slice(m_folder, m_name);
    if (!highest)
        return Core::fail(highest.error());
    m_index = *highest;
    return rotate();
}

std::string SliceFileLogHandler::slice_path(std::int32_t index) const {
    char number[16];
    g_snprintf(number, sizeof number, "-%03d.log", index);
    char* path = g_build_filename(m_folder.c_str(), (m_name + number).c_str(), nullptr);
    std::string result(path);
    g_free(path);
    return result;
}

std::string SliceFileLogHandler::current_path() const {
    return m_file.is_open() ? slice_path(m_open_index) : std::string();
}

Core::Result<void> SliceFileLogHandler::rotate() { return rotate_to(false); }

Core::Result<void> SliceFileLogHandler::rotate_to(bool fresh) {
    auto closed = m_file.close();
    m_open_index = -1;
    if (!closed)
        g_critical("Error in FileHandler.close: %s\n", closed.error().message.c_str());

    while (m_index < INT32_MAX && is_regular_file(slice_path(m_index)))
        ++m_index;
    std::int32_t candidate = fresh ? m_index : (m_index > 0 ? m_index - 1 : 0);
    const std::string candidate_path = slice_path(candidate);
    if (!fresh && m_max_size > 0 && is_regular_file(candidate_path)) {
        struct stat info {};
        if (::stat(candidate_path.c_str(), &info) != 0)
            g_warning("query file info failed: %s", candidate_path.c_str());
        else if (info.st_size > m_max_size)
            candidate = m_index;
    }
    return open_slice(candidate);
}

Core::Result<void> SliceFileLogHandler::open_slice(std::int32_t index) {
    const std::string path = slice_path(index);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Core::fail(io_error(errno, "Error opening file " + path));
    m_file = LogFile(fd);
    struct stat info {};
    m_current_size = ::fstat(fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
    m_open_index = index;
    return {};
}

void SliceFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                  std::string_view message) {
    if (!accepts(level) || m_closed || m_folder.empty())
        return;
    const std::string line = line_for(level, server, name, message);
    const auto length = static_cast<std::int64_t>(line.size());
    // A line that would carry a non-empty slice past the maximum opens the
    // next slice, so a slice passes the maximum only by a single long line.
    // A failed earlier rotation is retried here as well.
    const bool full = m_max_size > 0 && m_current_size > 0 && m_current_size + length > m_max_size;
    if (full || !m_file.is_open()) {
        if (auto rotated = rotate_to(full); !rotated) {
            g_critical("Error in FileHandler.publish: %s\n", rotated.error().message.c_str());
            return;
        }
    }
    if (auto written = m_file.write(line); !written) {
        g_critical("Error in FileHandler.publish: %s\n", written.error().message.c_str());
        return;
    }
    m_current_size += length;
}

void SliceFileLogHandler::close() {
    m_closed = true;
    m_open_index = -1;
    if (auto closed = m_file.close(); !closed)
        g_critical("Error in FileHandler.close: %s\n", closed.error().message.c_str());
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::SliceFileLogHandler)

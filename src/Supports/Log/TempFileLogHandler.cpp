#include "Supports/Log/TempFileLogHandler.hpp"

#include "Supports/Log/SimpleFormatter.hpp"

#include <glib.h>

#include <cerrno>
#include <unistd.h>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::LogLevel;

const Core::TypeInfo& TempFileLogHandler::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<TempFileLogHandler, LogHandler>(
        "DizezidaDovodarudSupportsLogTempFileLogHandler");
    return info;
}

TempFileLogHandler::TempFileLogHandler() : LogHandler(std::make_shared<SimpleFormatter>()) {}

void TempFileLogHandler::initialize(std::string_view name) {
    const std::string pattern = std::string(name) + "-XXXXXX.log";
    GError* error = nullptr;
    gchar* path = nullptr;
    // g_file_open_tmp creates the file 0600 and opens it for reading and writing.
    const int fd = g_file_open_tmp(pattern.c_str(), &path, &error);
    if (fd < 0) {
        g_warning("Failed to open file: %s", error->message);
        g_error_free(error);
        return;
    }
    m_file = LogFile(fd);
    m_path = path;
    g_free(path);
}

void TempFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                 std::string_view message) {
    if (!accepts(level) || !m_file.is_open())
        return;
    if (auto written = m_file.write(line_for(level, server, name, message)); !written)
        g_warning("Error in FileHandler.publish: %s\n", written.error().message.c_str());
}

std::string TempFileLogHandler::recent() {
    if (!m_file.is_open())
        return {};
    // Writes go straight to the file, so there is nothing to flush; pread
    // leaves the write position where it is.
    const off_t end = ::lseek(m_file.fd(), 0, SEEK_CUR);
    if (end < 0) {
        g_warning("Failed to get recent log: %s", g_strerror(errno));
        return {};
    }
    std::string text(static_cast<std::size_t>(end), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::pread(m_file.fd(), text.data() + done, text.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            g_warning("Failed to get recent log: %s", g_strerror(errno));
            break;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    text.resize(done);
    return text;
}

void TempFileLogHandler::close() {
    if (auto closed = m_file.close(); !closed)
        g_warning("Error in FileHandler.close: %s\n", closed.error().message.c_str());
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::TempFileLogHandler)

// Small helpers for the logging tests: a scratch folder and file reading.
#pragma once

#include <glib.h>
#include <glib/gstdio.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Dizezida::Testing {

/// A new empty folder in the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder() {
        GError* error = nullptr;
        gchar* path = g_dir_make_tmp("dizezida-log-XXXXXX", &error);
        EXPECT_NE(path, nullptr);
        m_path = path ? path : "";
        g_free(path);
        if (error)
            g_error_free(error);
    }
    ~ScratchFolder() {
        if (GDir* dir = g_dir_open(m_path.c_str(), 0, nullptr)) {
            while (const char* entry = g_dir_read_name(dir))
                g_remove(file(entry).c_str());
            g_dir_close(dir);
        }
        g_rmdir(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_file(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

/// The lines of a text, without their newlines.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/// The message part of a line: what follows the first "] " (or the first
/// blank for lines without brackets).
inline std::string message_of(const std::string& line) {
    const auto bracket = line.find("] ");
    if (bracket != std::string::npos)
        return line.substr(bracket + 2);
    const auto blank = line.find(' ');
    return blank == std::string::npos ? line : line.substr(blank + 1);
}

} // namespace Dizezida::Testing

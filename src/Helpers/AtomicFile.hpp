// A file written whole or not at all: the text goes to a temporary file in
// the target's folder, and `commit` flushes it to disk and renames it over
// the target. Until then the old file (if any) is untouched; a writer
// destroyed without a commit removes its temporary file.
//
// Move-only; one thread at a time.
#pragma once

#include "core/Error.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Helpers {

class AtomicFile {
public:
    /// The mode new files get by default: 0666 less the process's umask.
    static unsigned default_mode();

    /// Opens a temporary file beside `path` that becomes `path` with `mode`
    /// on commit.
    [[nodiscard]] static Core::Result<AtomicFile> create(std::string path, unsigned mode);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    ~AtomicFile();

    [[nodiscard]] Core::Result<void> write(std::string_view text);
    /// Flushes, closes and renames over the target (and makes the rename
    /// durable). After a failure the target is unchanged.
    [[nodiscard]] Core::Result<void> commit();
    /// Drops what was written; the target is unchanged.
    void discard();

    const std::string& path() const { return m_path; }

private:
    AtomicFile(std::string path, std::string temp, int fd)
        : m_path(std::move(path)), m_temp(std::move(temp)), m_fd(fd) {}
    Core::Error give_up(int errno_value, std::string_view what);

    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
};

/// Writes a whole file through AtomicFile.
[[nodiscard]] Core::Result<void> write_file_atomically(const std::string& path,
                                                       std::string_view text, unsigned mode);

/// A GLib file-domain error for an errno value: "<what>: <reason>".
Core::Error file_error(int errno_value, std::string_view what);

} // namespace Dizezida::Dovodarud::Helpers

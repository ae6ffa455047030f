// Every file the engine and the front end write goes through AtomicFile,
// with one rule for what the path names:
// - nothing yet, or a regular file: the text goes to a temporary file in the
//   target's folder, and `commit` flushes it, renames it over the target and
//   flushes the folder. Until then the old file (if any) is untouched; a
//   writer destroyed without a commit removes its temporary file. A replaced
//   file keeps its permission bits (and, for root, its owner), except a
//   private one, which always gets the mode it is created with;
// - a symbolic link: followed through every level, and the rule applied to
//   the final target; the link stays a link;
// - a FIFO, a character or block device, a socket, "/dev/stdout",
//   "/dev/stderr", "/dev/fd/N" and "/proc/self/fd/N": opened (or the
//   descriptor duplicated) and written directly, with no temporary file and
//   no rename; "-" is standard output;
// - a folder, or a path whose folder does not exist: refused, nothing written.
// While the process is being interrupted (core/Interruption.hpp) `commit`
// refuses and drops what was written, so an interrupted job never leaves a
// file that looks complete.
//
// Move-only; one thread at a time.
#pragma once

#include "core/Error.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Core {

/// Whether a replaced file keeps its own mode, or always gets the writer's.
enum class FilePrivacy { shared, private_file };

class AtomicFile {
public:
    /// The mode new files get by default: 0666 less the process's umask.
    static unsigned default_mode();

    /// Opens the writer for `path` as the rule above says: a new file gets
    /// `mode`, and so does a replaced private one.
    [[nodiscard]] static Core::Result<AtomicFile>
    create(std::string path, unsigned mode, FilePrivacy privacy = FilePrivacy::shared);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    ~AtomicFile();

    [[nodiscard]] Core::Result<void> write(std::string_view text);
    /// Flushes, closes and renames over the target (and makes the rename
    /// durable); for a stream, closes it. After a failure a replaced target
    /// is unchanged.
    [[nodiscard]] Core::Result<void> commit();
    /// Drops what was written; a replaced target is unchanged.
    void discard();

    /// The path as the caller gave it.
    const std::string& path() const { return m_path; }
    /// Whether the writer streams into its target (no temporary file).
    bool streams() const { return m_temp.empty(); }

private:
    AtomicFile(std::string path, std::string temp, int fd)
        : m_path(std::move(path)), m_temp(std::move(temp)), m_fd(fd) {}
    Core::Error give_up(int errno_value, std::string_view what);

    std::string m_path;
    std::string m_temp;   ///< the temporary file; empty for a stream
    std::string m_target; ///< the file the temporary one replaces (links followed)
    int m_fd = -1;
};

/// Whether `path` can be written by the rule above, without writing it:
/// fails for a folder, a missing folder, or a link loop, with the path and
/// the reason.
[[nodiscard]] Core::Result<void> check_output_path(const std::string& path);

/// Writes a whole file through AtomicFile.
[[nodiscard]] Core::Result<void> write_file_atomically(const std::string& path, std::string_view text,
                                                       unsigned mode,
                                                       FilePrivacy privacy = FilePrivacy::shared);

/// A GLib file-domain error for an errno value: "<what>: <reason>".
Core::Error file_error(int errno_value, std::string_view what);

} // namespace Dizezida::Core

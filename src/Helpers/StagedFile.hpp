// Files replaced whole or not at all.
//
// A StagedFile is the new content of a file, written to a temporary file in
// the target's folder (created with the requested mode, flushed to disk);
// `commit` renames it over the target and makes the rename durable. A staged
// file dropped without `commit` is removed, so a failure leaves the old file
// untouched. Several staged files can be committed one after the other, so
// that a set of files is written first and replaced afterwards.
//
// Move-only; one thread at a time.
#pragma once

#include "core/Error.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Helpers {

/// An error of GLib's file domain for an errno value: "<what>: <reason>".
Core::Error file_error(int errno_value, std::string_view what);

class StagedFile {
public:
    /// Writes `text` to a temporary file beside `path` with mode `mode`.
    [[nodiscard]] static Core::Result<StagedFile> write(const std::string& path,
                                                        std::string_view text,
                                                        unsigned mode = 0600);

    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    /// Renames the temporary file over the target.
    [[nodiscard]] Core::Result<void> commit();

    const std::string& path() const { return m_path; }

private:
    StagedFile(std::string path, std::string temp)
        : m_path(std::move(path)), m_temp(std::move(temp)) {}
    void discard();

    std::string m_path;
    /// The temporary file; empty once committed or discarded.
    std::string m_temp;
};

} // namespace Dizezida::Dovodarud::Helpers

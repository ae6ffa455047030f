// XDG_CONFIG_HOME pointed at a fresh folder while a front-end test runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace Dizezida::Testing {

/// Sets XDG_CONFIG_HOME to a new folder under /tmp; the destructor removes
/// the folder and puts the old value back.
class ScratchConfigHome {
public:
    ScratchConfigHome() {
        char pattern[] = "/tmp/config-home-XXXXXX";
        if (!::mkdtemp(pattern))
            ADD_FAILURE() << "mkdtemp failed";
        m_folder = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            m_saved = old;
        ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
    }
    ~ScratchConfigHome() {
        if (m_saved)
            ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(m_folder);
    }
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    std::optional<std::string> m_saved;
};

} // namespace Dizezida::Testing

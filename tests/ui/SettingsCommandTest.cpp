#include "tests/ui/CommandRun.hpp"
#include "tests/ui/ConfigHome.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

using Dizezida::Testing::run_command;
namespace fs = std::filesystem;

namespace {

class SettingsCommand : public ::testing::Test {
protected:
    Dizezida::Testing::ScratchConfigHome m_home;
    const fs::path m_folder = m_home.folder();
};

} // namespace

TEST_F(SettingsCommand, SetThenGetThroughTheDefaultFile) {
    const std::string file = (m_folder / "dizezida" / "settings.json").string();
    EXPECT_EQ(run_command("settings", {"path"}).out, file + "\n");

    EXPECT_EQ(run_command("settings", {"get", "editor.tab-width"}).out, "4\n");
    ASSERT_EQ(run_command("settings", {"set", "network.proxy-port", "3128"}).status, 0);
    ASSERT_EQ(run_command("settings", {"set", "general.connecton-icon-size", "12.5"}).status, 0);
    ASSERT_EQ(run_command("settings", {"set", "editor.style-scheme", "dark"}).status, 0);
    EXPECT_EQ(run_command("settings", {"get", "network.proxy-port"}).out, "3128\n");
    EXPECT_EQ(run_command("settings", {"get", "general.connecton-icon-size"}).out, "12.5\n");
    EXPECT_EQ(run_command("settings", {"get", "editor.style-scheme"}).out, "dark\n");

    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const auto shown = run_command("settings", {"show"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("  \"network\": {"), std::string::npos);
}

TEST_F(SettingsCommand, BadKeysAndValuesAreNamed) {
    const auto port = run_command("settings", {"set", "network.proxy-port", "70000"});
    EXPECT_EQ(port.status, 2);
    EXPECT_NE(port.err.find("network.proxy-port"), std::string::npos);
    EXPECT_NE(port.err.find("16-bit unsigned integer"), std::string::npos);

    const auto flag = run_command("settings", {"set", "editor.code-fold", "yes"});
    EXPECT_EQ(flag.status, 2);
    EXPECT_NE(flag.err.find("boolean"), std::string::npos);

    const auto unknown = run_command("settings", {"get", "editor.nothing"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("editor.nothing"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_folder / "dizezida" / "settings.json"));
}

TEST_F(SettingsCommand, FileOptionNamesAnotherFile) {
    const std::string other = (m_folder / "other.json").string();
    ASSERT_EQ(run_command("settings", {"--file", other, "set", "logging.logger-level", "2"}).status,
              0);
    EXPECT_EQ(run_command("settings", {"get", "--file", other, "logging.logger-level"}).out, "2\n");
    EXPECT_EQ(run_command("settings", {"get", "logging.logger-level"}).out, "0\n");
}

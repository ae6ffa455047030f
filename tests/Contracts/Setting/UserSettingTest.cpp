#include "Contracts/Setting/UserSetting.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Dizezida;
using Dovodarud::Contracts::Serialization::Json;
using Dovodarud::Setting::UserSetting;
using Testing::PlatformLogCapture;
namespace fs = std::filesystem;

namespace {

class SettingFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/setting-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_path = (m_folder / "settings.json").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void write(const std::string& text) const { std::ofstream(m_path, std::ios::binary) << text; }
    std::string read(const std::string& path = {}) const {
        std::ifstream in(path.empty() ? m_path : path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path m_folder;
    std::string m_path;
};

/// Every key of every group with a value that is not its initial one.
const char* const k_every_key = R"json({
  "general": {
    "window-left": -10,
    "window-top": 20,
    "window-width": 1280,
    "window-height": 720,
    "window-state": 2,
    "user-locale": 3,
    "color-scheme": 1,
    "broadcasting": "2024-05-06T12:00:00Z",
    "titlebar-background": "#336699",
    "toolbar-main-icon": true,
    "toolbar-main-text": false,
    "toolbar-minor-text": false,
    "starter-page": 2,
    "connecton-icon-size": 48.5,
    "snippet-mode": 0,
    "check-updates-on-startup": true
  },
  "editor": {
    "highlight-syntax": false,
    "highlight-matching-brackets": false,
    "highlight-current-line": false,
    "autocompletion": false,
    "code-fold": true,
    "text-wrap": false,
    "display-line-numbers": false,
    "insert-tab-as-spaces": false,
    "auto-indent": false,
    "indent-width": 8,
    "tab-width": 2,
    "font-with-size": "Monospace 12",
    "overview-map": true,
    "style-scheme": "oblivion"
  },
  "datagrid": {
    "submit-mode": 1,
    "records-limit": 5000,
    "font-with-size": "monospace 9",
    "color-bg-dark": "rgba(1, 0, 0, 0.05)",
    "color-bg-light": "rgba(2, 255, 255, 0.05)",
    "color-bg-dirty": "rgba(3, 108, 108, 0.3)",
    "color-text": "rgba(4, 0, 0, 1.0)",
    "color-integer": "rgba(5, 0, 0, 1.0)",
    "color-float": "rgba(6, 0, 0, 1.0)",
    "color-datetime": "rgba(7, 0, 0, 1.0)",
    "color-binary": "rgba(8, 0, 0, 1.0)",
    "color-spatial": "rgba(9, 0, 0, 1.0)",
    "color-compute": "rgba(10, 0, 0, 1.0)",
    "color-others": "rgba(11, 0, 0, 1.0)",
    "color-dbnull": "rgba(12, 0, 0, 1.0)",
    "color-current": "rgba(13, 204, 204, 0.8)"
  },
  "network": {
    "proxy-using": true,
    "proxy-type": 2,
    "proxy-host": "proxy.example",
    "proxy-port": 3128,
    "proxy-username": "ünïcode",
    "proxy-password": "p\"ss\\word"
  },
  "logging": {
    "file-size-max": 4294967295,
    "logger-level": 5
  },
  "datatool": {
    "external-editor": "/usr/bin/editor"
  },
  "extension": {
    "loaded-plugins": "a,b"
  }
}
)json";

} // namespace

TEST_F(SettingFile, EveryKeyRoundTripsByteForByte) {
    write(k_every_key);
    UserSetting setting;
    ASSERT_TRUE(setting.load(m_path));
    EXPECT_EQ(setting.editor()->indent_width(), 8);
    EXPECT_EQ(setting.network()->proxy_port(), 3128);
    EXPECT_EQ(setting.general()->connecton_icon_size(), 48.5);
    ASSERT_TRUE(setting.save());
    EXPECT_EQ(read(), k_every_key);
    struct stat info {};
    ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SettingFile, PartialFileAndCompactFormLoad) {
    // Another writer's layout: other spacing, members left out, one group only.
    write(R"({"general" : {"window-width" : 800, "broadcasting" : "2024-05-06T14:00:00+02:00"}})");
    UserSetting setting;
    setting.editor()->set_indent_width(2);
    ASSERT_TRUE(setting.load(m_path));
    EXPECT_EQ(setting.general()->window_width(), 800);
    EXPECT_EQ(setting.general()->titlebar_background(), "none");
    EXPECT_EQ(setting.general()->broadcasting()->unix_microseconds, 1'714'996'800LL * 1'000'000);
    EXPECT_EQ(setting.editor()->indent_width(), 4);
    EXPECT_EQ(setting.datagrid()->font_with_size(), "monospace 10");
    EXPECT_EQ(setting.network()->proxy_port(), 8080);
}

TEST_F(SettingFile, FreshSettingsReadBackEqual) {
    UserSetting fresh;
    fresh.set_filename(m_path);
    ASSERT_TRUE(fresh.save());
    UserSetting back;
    ASSERT_TRUE(back.load(m_path));
    EXPECT_EQ(back.to_json(), fresh.to_json());
    EXPECT_EQ(back.datagrid()->font_with_size(), "monospace 10");
    EXPECT_EQ(back.general()->broadcasting()->unix_microseconds,
              fresh.general()->broadcasting()->unix_microseconds);
}

TEST_F(SettingFile, BadMembersKeepInitialValues) {
    write(R"({"editor": null, "general": {"window-left": 1099511627776, "connecton-icon-size": null,
              "snippet-mode": -1}, "network": {"proxy-port": 70000, "proxy-host": "h"},
              "datagrid": {"records-limit": "4"}, "logging": {"file-size-max": 7}})");
    UserSetting setting;
    PlatformLogCapture log;
    ASSERT_TRUE(setting.load(m_path));
    ASSERT_TRUE(setting.editor());
    EXPECT_EQ(setting.editor()->indent_width(), 4);
    EXPECT_EQ(setting.general()->window_left(), 0);
    EXPECT_EQ(setting.general()->connecton_icon_size(), 96.0);
    EXPECT_EQ(setting.general()->snippet_mode(), 1u);
    EXPECT_EQ(setting.network()->proxy_port(), 8080);
    EXPECT_EQ(setting.network()->proxy_host(), "h");
    EXPECT_EQ(setting.datagrid()->records_limit(), 1000);
    EXPECT_EQ(setting.logging()->file_size_max(), 7u);
    EXPECT_TRUE(log.contains("\"proxy-port\" skipped"));
    EXPECT_TRUE(log.contains("\"editor\""));
}

TEST_F(SettingFile, NanIsSavedAsSomethingReadable) {
    UserSetting setting;
    setting.set_filename(m_path);
    setting.general()->set_connecton_icon_size(std::numeric_limits<double>::quiet_NaN());
    setting.network()->set_proxy_host("bad\xff");
    ASSERT_TRUE(setting.save());
    UserSetting back;
    PlatformLogCapture log;
    ASSERT_TRUE(back.load(m_path));
    EXPECT_EQ(back.general()->connecton_icon_size(), 96.0);
}

TEST_F(SettingFile, UnparsableFileIsKeptAsBackup) {
    write("{\"general\": {\"window-left\": 5");
    UserSetting setting;
    setting.editor()->set_tab_width(3);
    PlatformLogCapture log;
    const auto loaded = setting.load(m_path);
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.error().domain, "JSON");
    EXPECT_EQ(setting.editor()->tab_width(), 3);
    EXPECT_EQ(read(m_path + ".bak"), "{\"general\": {\"window-left\": 5");
    EXPECT_TRUE(log.contains(".bak"));

    write("[1, 2]");
    const auto not_object = setting.load(m_path);
    ASSERT_FALSE(not_object);
    EXPECT_EQ(not_object.error(),
              Core::Error::make("UserSetting", -2, "Load user setting file failure"));

    const auto missing = setting.load((m_folder / "none.json").string());
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().domain, "g-file-error-quark");
}

TEST_F(SettingFile, SaveWithoutFileNameFails) {
    UserSetting setting;
    const auto saved = setting.save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().domain, "UserSetting");
}

TEST_F(SettingFile, KilledSaveLeavesTheOldFileWhole) {
    write(k_every_key);
    constexpr int k_attempts = 8;
    int interrupted = 0; // kills that landed while a temporary file existed
    for (int attempt = 0; attempt < k_attempts; ++attempt) {
        int pipe_fds[2];
        ASSERT_EQ(::pipe(pipe_fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipe_fds[0]);
            UserSetting big;
            big.set_filename(m_path);
            big.datatool()->set_external_editor(std::string(4 << 20, 'x'));
            for (;;) {
                (void)big.save();
                (void)!::write(pipe_fds[1], "s", 1);
            }
        }
        ::close(pipe_fds[1]);
        // Wait for the next save to create its temporary file, then let it
        // write for a while before killing it.
        char byte;
        ASSERT_EQ(::read(pipe_fds[0], &byte, 1), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool writing = false;
        while (!writing && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : fs::directory_iterator(m_folder))
                writing = writing || entry.path().filename() != "settings.json";
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 * attempt));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipe_fds[0]);
        // Either the old file or a complete new one, never a torn one.
        const std::string text = read();
        EXPECT_TRUE(Json::accept(text)) << "attempt " << attempt << ", " << text.size() << " bytes";
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            if (entry.path().filename() != "settings.json") {
                ++interrupted;
                fs::remove(entry.path());
            }
        }
        write(k_every_key);
    }
    EXPECT_GT(interrupted, 0) << "no kill landed in the middle of a save";
}

TEST_F(SettingFile, NumbersDoNotDependOnTheLocale) {
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"};
    const char* found = nullptr;
    for (const char* name : names)
        if (std::setlocale(LC_ALL, name)) {
            found = name;
            break;
        }
    if (!found) {
        // Build the German locale into the test folder when none is installed.
        const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                    (m_folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            ::setenv("LOCPATH", m_folder.c_str(), 1);
            if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
                found = "de_DE.UTF-8";
            ::unsetenv("LOCPATH");
        }
    }
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma is available";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    write(k_every_key);
    UserSetting setting;
    const auto loaded = setting.load(m_path);
    const auto saved = setting.save();
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(saved);
    EXPECT_EQ(setting.general()->connecton_icon_size(), 48.5);
    EXPECT_EQ(read(), k_every_key);
}

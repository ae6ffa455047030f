#include "launcher/Home.hpp"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using Dizezida::Launcher::application_home;

namespace {

struct LaunchResult {
    int status;
    std::string out;
};

LaunchResult run_launcher(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<gchar*> argv{const_cast<gchar*>(program.c_str())};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gint wait_status = 0;
    GError* error = nullptr;
    const bool spawned = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_STDERR_TO_DEV_NULL,
                                      nullptr, nullptr, &out, nullptr, &wait_status, &error);
    EXPECT_TRUE(spawned) << (error ? error->message : "");
    g_clear_error(&error);
    LaunchResult run{WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, out ? out : ""};
    g_free(out);
    return run;
}

} // namespace

TEST(LauncherHome, IsTwoLevelsAboveTheExecutable) {
    EXPECT_EQ(application_home("/opt/x/bin/dizezida-postgresql"), "/opt/x");
    EXPECT_EQ(application_home("apps/pg/bin/dizezida-postgresql"), "apps/pg");
    EXPECT_EQ(application_home("/bin/dizezida-postgresql"), "/");
}

TEST(LauncherHome, BareNameGivesTheCurrentFolder) {
    EXPECT_EQ(application_home("dizezida-postgresql"), ".");
    EXPECT_EQ(application_home("./dizezida-postgresql"), ".");
}

TEST(Launcher, HomeCommandPrintsTheHomeOfTheStartPath) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("dizezida-home-" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "bin");
    const auto link = root / "bin" / "dizezida-postgresql";
    std::filesystem::create_symlink(DIZEZIDA_LAUNCHER, link);
    const LaunchResult run = run_launcher(link.string(), {"home"});
    std::filesystem::remove_all(root);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, root.string() + "\n");
}

TEST(Launcher, ExitStatusIsTheApplicationsOwn) {
    EXPECT_EQ(run_launcher(DIZEZIDA_LAUNCHER, {"--version"}).status, 0);
    EXPECT_NE(run_launcher(DIZEZIDA_LAUNCHER, {"--version"}).out.find("dizezida-postgresql"),
              std::string::npos);
    EXPECT_EQ(run_launcher(DIZEZIDA_LAUNCHER, {"--help"}).status, 0);
    EXPECT_EQ(run_launcher(DIZEZIDA_LAUNCHER, {"no-such-command"}).status, 2);
}

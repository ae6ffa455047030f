#include "core/AtomicFile.hpp"

#include "core/Interruption.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using Dizezida::Core::AtomicFile;
using Dizezida::Core::check_output_path;
using Dizezida::Core::FilePrivacy;
using Dizezida::Core::write_file_atomically;
namespace fs = std::filesystem;

namespace {

class AtomicFileRule : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override {
        Dizezida::Core::Interruption::reset();
        fs::remove_all(m_folder);
    }
    std::string path(const std::string& name) const { return (m_folder / name).string(); }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static unsigned mode_of(const std::string& file) {
        struct stat node{};
        EXPECT_EQ(::stat(file.c_str(), &node), 0) << file;
        return node.st_mode & 07777;
    }
    /// Names in the folder (temporary files show up here).
    std::vector<std::string> entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path m_folder;
};

TEST_F(AtomicFileRule, ReplacesARegularFileKeepingItsModeUnlessPrivate) {
    const std::string shared = path("shared.txt"), secret = path("secret.json");
    for (const auto& [file, mode] : {std::pair{shared, 0640u}, std::pair{secret, 0644u}}) {
        std::ofstream(file) << "old";
        ::chmod(file.c_str(), mode);
    }
    ASSERT_TRUE(write_file_atomically(shared, "new", 0666));
    ASSERT_TRUE(write_file_atomically(secret, "{}", 0600, FilePrivacy::private_file));
    EXPECT_EQ(read(shared), "new");
    EXPECT_EQ(mode_of(shared), 0640u);
    EXPECT_EQ(mode_of(secret), 0600u);
    // A new file gets the mode asked for.
    ASSERT_TRUE(write_file_atomically(path("fresh"), "x", 0604));
    EXPECT_EQ(mode_of(path("fresh")), 0604u);
    EXPECT_EQ(entries(m_folder), (std::vector<std::string>{"fresh", "secret.json", "shared.txt"}));
}

TEST_F(AtomicFileRule, FollowsLinksToTheirFinalTargetAndKeepsTheLinks) {
    fs::create_directory(m_folder / "dotfiles");
    std::ofstream(path("dotfiles/settings.json")) << "old";
    ::chmod(path("dotfiles/settings.json").c_str(), 0640);
    // settings -> middle (relative) -> dotfiles/settings.json (absolute)
    fs::create_symlink(path("dotfiles/settings.json"), m_folder / "middle");
    fs::create_symlink("middle", m_folder / "settings");
    ASSERT_TRUE(write_file_atomically(path("settings"), "new", 0666));
    EXPECT_TRUE(fs::is_symlink(m_folder / "settings"));
    EXPECT_TRUE(fs::is_symlink(m_folder / "middle"));
    EXPECT_EQ(read(path("dotfiles/settings.json")), "new");
    EXPECT_EQ(mode_of(path("dotfiles/settings.json")), 0640u);
    EXPECT_EQ(entries(m_folder / "dotfiles"), std::vector<std::string>{"settings.json"});

    // A dangling link gets its target made.
    fs::create_symlink("dotfiles/later.txt", m_folder / "later");
    ASSERT_TRUE(write_file_atomically(path("later"), "made", 0600));
    EXPECT_TRUE(fs::is_symlink(m_folder / "later"));
    EXPECT_EQ(read(path("dotfiles/later.txt")), "made");

    // A loop is refused.
    fs::create_symlink("loop-b", m_folder / "loop-a");
    fs::create_symlink("loop-a", m_folder / "loop-b");
    const auto looped = write_file_atomically(path("loop-a"), "x", 0600);
    ASSERT_FALSE(looped);
    EXPECT_NE(looped.error().message.find(path("loop-a")), std::string::npos);
}

TEST_F(AtomicFileRule, StreamsIntoAFifoWithoutReplacingIt) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return read(fifo); });
    std::string text(300000, 'x'); // more than a pipe holds
    text += "end\n";
    ASSERT_TRUE(write_file_atomically(fifo, text, 0666));
    EXPECT_EQ(reader.get(), text);
    struct stat node{};
    ASSERT_EQ(::lstat(fifo.c_str(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode));
    EXPECT_EQ(entries(m_folder), std::vector<std::string>{"pipe"});
}

TEST_F(AtomicFileRule, WritesDescriptorPathsAndReportsAReaderThatWentAway) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    auto file = AtomicFile::create("/dev/fd/" + std::to_string(ends[1]), 0666);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->streams());
    ASSERT_TRUE(file->write("through the descriptor"));
    ASSERT_TRUE(file->commit());
    ::close(ends[1]);
    char buffer[64] = {};
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(::read(ends[0], buffer, sizeof buffer))),
              "through the descriptor");

    // "-" and /dev/stdout are this process's standard output.
    ASSERT_EQ(::pipe(ends), 0);
    const int saved = ::dup(1);
    ::dup2(ends[1], 1);
    const bool written = write_file_atomically("-", "a", 0666) &&
                         write_file_atomically("/dev/stdout", "b", 0666);
    ::dup2(saved, 1);
    ::close(saved);
    ::close(ends[1]);
    ASSERT_TRUE(written);
    EXPECT_EQ(::read(ends[0], buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "ab");

    // The reader is gone: an error, not the end of the process.
    ASSERT_EQ(::pipe(ends), 0);
    auto lonely = AtomicFile::create("/dev/fd/" + std::to_string(ends[1]), 0666);
    ASSERT_TRUE(lonely);
    ::close(ends[0]);
    ::close(ends[1]);
    const auto broken = lonely->write("nobody reads this");
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error().message.find("Broken pipe"), std::string::npos) << broken.error().message;
}

TEST_F(AtomicFileRule, RefusesFoldersAndMissingFoldersWithoutWriting) {
    fs::create_directory(m_folder / "sub");
    for (const std::string& bad : {path("sub"), path("missing/out.txt"), path("sub/")}) {
        const auto checked = check_output_path(bad);
        ASSERT_FALSE(checked) << bad;
        EXPECT_NE(checked.error().message.find(bad), std::string::npos) << checked.error().message;
        EXPECT_FALSE(write_file_atomically(bad, "x", 0666)) << bad;
    }
    EXPECT_NE(check_output_path(path("sub")).error().message.find("Is a directory"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(m_folder / "sub"));
    EXPECT_FALSE(fs::exists(m_folder / "missing"));
    EXPECT_TRUE(check_output_path(path("new.txt")));
    EXPECT_TRUE(check_output_path("-"));
}

TEST_F(AtomicFileRule, AnInterruptedWriterCommitsNothing) {
    const std::string target = path("report.csv");
    std::ofstream(target) << "previous";
    auto file = AtomicFile::create(target, 0666);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->write("half a report"));
    Dizezida::Core::Interruption::request(SIGINT);
    const auto committed = file->commit();
    ASSERT_FALSE(committed);
    EXPECT_NE(committed.error().message.find("was not written"), std::string::npos);
    EXPECT_EQ(read(target), "previous");
    EXPECT_EQ(entries(m_folder), std::vector<std::string>{"report.csv"});
}

} // namespace

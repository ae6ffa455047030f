#include "ui/FrontEnd.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

struct CommandRun {
    int status;
    std::string out;
};

/// Runs the front end in-process with `input` as stdin, capturing stdout.
CommandRun run_command(const std::vector<std::string>& arguments, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::streambuf* saved_in = std::cin.rdbuf(in.rdbuf());
    std::streambuf* saved_out = std::cout.rdbuf(out.rdbuf());
    const int status = Dizezida::Rezizida::run_front_end(arguments, "/tmp");
    std::cin.rdbuf(saved_in);
    std::cout.rdbuf(saved_out);
    return {status, out.str()};
}

} // namespace

TEST(FormatCommand, BeautifiesAFile) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("dizezida-format-" + std::to_string(getpid()) + ".sql");
    std::ofstream(path) << "select a,b from t where x=1 and y=2";
    const CommandRun run = run_command({"dizezida-postgresql", "format", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SELECT a,\n        b\nFROM t\nWHERE x=1\n        AND y=2\n");
}

TEST(FormatCommand, MinifiesStandardInput) {
    const CommandRun run = run_command({"dizezida-postgresql", "format", "--minify"},
                                       "select  (  1 ) -- one\n,  'a  b'\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "select( 1) -- one\n, 'a  b' \n");
}

TEST(FormatCommand, MissingFileFails) {
    const CommandRun run =
        run_command({"dizezida-postgresql", "format", "/nonexistent/dizezida/query.sql"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

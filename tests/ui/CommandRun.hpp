// Runs one front-end command in this process and captures what it prints.
#pragma once

#include "ui/FrontEnd.hpp"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace Dizezida::Testing {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

/// `dizezida-postgresql <command> <arguments...>` with stdout and stderr
/// captured and `input` as standard input.
inline CommandRun run_command(const std::string& command, std::vector<std::string> arguments,
                              const std::string& input = {}) {
    arguments.insert(arguments.begin(), {"dizezida-postgresql", command});
    std::ostringstream out, err;
    std::istringstream in(input);
    std::streambuf* saved_out = std::cout.rdbuf(out.rdbuf());
    std::streambuf* saved_err = std::cerr.rdbuf(err.rdbuf());
    std::streambuf* saved_in = std::cin.rdbuf(in.rdbuf());
    const int status = Rezizida::run_front_end(arguments, "/tmp");
    std::cout.rdbuf(saved_out);
    std::cerr.rdbuf(saved_err);
    std::cin.rdbuf(saved_in);
    std::cin.clear();
    return {status, out.str(), err.str()};
}

} // namespace Dizezida::Testing

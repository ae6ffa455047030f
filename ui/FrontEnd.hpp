// The headless front end: `dizezida-postgresql <command> ...`.
//
// Each command lives in ui/Commands/ and registers itself with
// DIZEZIDA_FRONT_END_COMMAND; run_front_end parses the command line, runs the
// chosen command and returns the process exit status (0 only on success).
// Data goes to stdout, progress and diagnostics to stderr.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace Dizezida::Rezizida {

/// What a command's set-up receives and leaves behind.
struct CommandContext {
    std::string app_home;
    /// Set by the command's parse callback; run after parsing succeeded.
    std::function<int()> run;
};

/// Adds one sub-command to the parser.
using CommandSetup = void (*)(CLI::App& app, CommandContext& context);

/// Records a command for every later run_front_end call.
bool register_command(CommandSetup setup);

/// Parses `arguments` (argument 0 is the program) and runs the command.
int run_front_end(const std::vector<std::string>& arguments, const std::string& app_home);

/// Exit status of a command-line usage error.
inline constexpr int k_usage_error = 2;

} // namespace Dizezida::Rezizida

#define DIZEZIDA_FRONT_END_COMMAND(setup)                                                          \
    namespace {                                                                                    \
    [[maybe_unused]] const bool dizezida_command_registered_ =                                     \
        ::Dizezida::Rezizida::register_command(setup);                                             \
    }

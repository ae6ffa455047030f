#include "ui/FrontEnd.hpp"

#include "ui/Interruption.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <set>

#ifndef DIZEZIDA_VERSION
#define DIZEZIDA_VERSION "0.0.0"
#endif

namespace Dizezida::Rezizida {
namespace {

std::vector<CommandSetup>& commands() {
    static std::vector<CommandSetup> list;
    return list;
}

/// The commands that may run long: Ctrl-C and SIGTERM interrupt them
/// cleanly; the others end at once, as by default.
const std::set<std::string, std::less<>> k_interruptible = {
    "browse", "catalog", "ddl", "diff", "dictionary", "export", "import", "query", "sync", "transfer"};

} // namespace

bool register_command(CommandSetup setup) {
    commands().push_back(setup);
    return true;
}

int run_front_end(const std::vector<std::string>& arguments, const std::string& app_home) {
    CLI::App app{"Headless front end of the dizezida PostgreSQL engine.", "dizezida-postgresql"};
    app.set_version_flag("--version", std::string("dizezida-postgresql ") + DIZEZIDA_VERSION);
    app.require_subcommand(0, 1);
    CommandContext context{app_home, {}};
    for (CommandSetup setup : commands())
        setup(app, context);

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty())
        reversed.pop_back(); // the program itself
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, std::cout, std::cerr);
        return status == 0 ? 0 : k_usage_error;
    }
    if (!context.run) {
        std::cout << app.help();
        return 0;
    }
    const std::string command = app.get_subcommands().empty() ? std::string()
                                                               : app.get_subcommands()[0]->get_name();
    if (!k_interruptible.contains(command))
        return context.run();
    catch_interruptions();
    const int status = context.run();
    const int interrupted = interrupted_status();
    if (interrupted == 0 || status == interrupted)
        return status;
    // The command did not say what the interruption left; say it stopped.
    // Those that write their output whole write nothing once interrupted.
    const bool whole = command == "catalog" || command == "ddl" || command == "diff" ||
                       command == "dictionary";
    return report_interruption(command, status == 0 ? "the job had completed before it stopped"
                                        : whole     ? "nothing was written"
                                                    : "the job stopped before it completed");
}

} // namespace Dizezida::Rezizida

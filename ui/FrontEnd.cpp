#include "ui/FrontEnd.hpp"

#include <CLI/CLI.hpp>

#include <iostream>

#ifndef DIZEZIDA_VERSION
#define DIZEZIDA_VERSION "0.0.0"
#endif

namespace Dizezida::Rezizida {
namespace {

std::vector<CommandSetup>& commands() {
    static std::vector<CommandSetup> list;
    return list;
}

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
    return context.run();
}

} // namespace Dizezida::Rezizida

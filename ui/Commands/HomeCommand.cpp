// `dizezida-postgresql home`: prints the application home the launcher recorded.
#include "ui/FrontEnd.hpp"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

void add_home_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    CLI::App* command = app.add_subcommand("home", "Print the application home folder");
    command->callback([&context] {
        context.run = [&context] {
            std::cout << context.app_home << '\n';
            return 0;
        };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_home_command)

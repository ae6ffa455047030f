// `dizezida-postgresql password generate [N]`: a random password of N
// characters (16 by default) from the cryptographic generator.
#include "ui/FrontEnd.hpp"

#include "Helpers/PasswordHelper.hpp"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

void add_password_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto count = std::make_shared<int>(16);
    CLI::App* command = app.add_subcommand("password", "Password tools");
    command->require_subcommand(1);
    CLI::App* generate = command->add_subcommand(
        "generate", "Print a random password of digits, symbols, vowels and consonants");
    generate->add_option("count", *count, "Number of characters (default 16)")
        ->check(CLI::Range(1, 4096));
    generate->callback([&context, count] {
        context.run = [count] {
            const std::string password =
                Dizezida::Dovodarud::Helpers::PasswordHelper::generate_password(*count);
            if (password.empty()) {
                std::cerr << "password: the random generator failed\n";
                return 1;
            }
            std::cout << password << '\n' << std::flush;
            return std::cout ? 0 : 1;
        };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_password_command)

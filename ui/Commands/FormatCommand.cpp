// `dizezida-postgresql format [--minify] [FILE]`: beautifies (or minifies) SQL
// read from FILE, or from stdin when no file is named, and prints the result.
#include "ui/FrontEnd.hpp"

#include "Supports/Database/Formatter.hpp"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

struct FormatOptions {
    bool minify = false;
    std::string file;
};

int run_format(const FormatOptions& options) {
    std::ostringstream text;
    if (options.file.empty() || options.file == "-") {
        text << std::cin.rdbuf();
    } else {
        std::ifstream input(options.file, std::ios::binary);
        if (!input) {
            std::cerr << "format: cannot read " << options.file << '\n';
            return 1;
        }
        text << input.rdbuf();
    }
    const auto formatter = std::make_shared<Dizezida::Dovodarud::Supports::Database::Formatter>();
    const std::string sql = text.str();
    const std::string result = options.minify ? formatter->minify(sql) : formatter->beautify(sql);
    std::cout << result;
    if (!result.empty() && result.back() != '\n')
        std::cout << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

void add_format_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<FormatOptions>();
    CLI::App* command =
        app.add_subcommand("format", "Beautify or minify SQL (from FILE or stdin) to stdout");
    command->add_flag("--minify", options->minify, "Fold white space instead of beautifying");
    command->add_option("file", options->file, "SQL file to read (stdin when omitted or -)");
    command->callback([&context, options] {
        context.run = [options] { return run_format(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_format_command)

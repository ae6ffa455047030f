#include "ui/OutputFile.hpp"

#include "Helpers/AtomicFile.hpp"

#include <CLI/CLI.hpp>

#include <iostream>

namespace Dizezida::Rezizida {

using Dovodarud::Helpers::AtomicFile;

CLI::Validator output_path() {
    return CLI::Validator(
        [](std::string& path) {
            auto checked = Dovodarud::Helpers::check_output_path(path);
            return checked ? std::string() : checked.error().message;
        },
        "FILE");
}

bool write_output(const std::string& text, const std::string& file, const std::string& command) {
    if (file.empty()) {
        std::cout << text;
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::cout.flush();
    auto written = Dovodarud::Helpers::write_file_atomically(file, text, AtomicFile::default_mode());
    if (!written)
        std::cerr << command << ": " << written.error().message << '\n';
    return written.has_value();
}

} // namespace Dizezida::Rezizida

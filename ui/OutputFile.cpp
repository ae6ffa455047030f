#include "ui/OutputFile.hpp"

#include "core/AtomicFile.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

namespace Dizezida::Rezizida {

using Core::AtomicFile;

CLI::Validator output_path() {
    return CLI::Validator(
        [](std::string& path) {
            auto checked = Core::check_output_path(path);
            return checked ? std::string() : checked.error().message;
        },
        "FILE");
}

bool write_output_pieces(const std::string& file, const std::string& command,
                         const std::function<bool(const OutputSink&)>& produce) {
    if (file.empty()) {
        const bool made = produce([](std::string_view piece) {
            std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            return static_cast<bool>(std::cout);
        });
        std::cout.flush();
        return made && std::cout;
    }
    std::cout.flush();
    auto opened = AtomicFile::create(file, AtomicFile::default_mode());
    if (!opened) {
        std::cerr << command << ": " << opened.error().message << '\n';
        return false;
    }
    std::optional<Core::Error> failure;
    const bool made = produce([&](std::string_view piece) {
        if (auto written = opened->write(piece); !written)
            failure = written.error();
        return !failure;
    });
    if (!failure && made)
        if (auto committed = opened->commit(); !committed)
            failure = committed.error();
    if (failure)
        std::cerr << command << ": " << failure->message << '\n';
    return made && !failure;
}

bool write_output(const std::string& text, const std::string& file, const std::string& command) {
    return write_output_pieces(file, command, [&](const OutputSink& sink) { return sink(text); });
}

} // namespace Dizezida::Rezizida

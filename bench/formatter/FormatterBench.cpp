// Beautify and minify throughput in MB/s (10^6 bytes a second).
//
//   formatter_bench [--script=FILE] [benchmark flags]   times the formatter on FILE, or on
//                                                       the corpus script when none is named
//   formatter_bench --write-script=FILE                 writes the corpus script and stops
//
// The corpus script repeats the formatter's test corpus (every statement
// followed by ";" and a blank line) until it holds at least 1 MiB.
#include "Supports/Database/Formatter.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using Dizezida::Dovodarud::Supports::Database::Formatter;

namespace {

constexpr std::size_t k_script_size = 1 << 20;

std::string read_file(const std::filesystem::path& path) {
    std::ifstream input(path, std::ios::binary);
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

std::string corpus_script() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(DIZEZIDA_CORPUS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("query") || name.starts_with("ddl"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::string once;
    for (const auto& file : files) {
        const std::string text = read_file(file);
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find("\n----\n", start);
            if (end == std::string::npos)
                end = text.size();
            const std::string statement = trimmed(text.substr(start, end - start));
            if (!statement.empty())
                once += statement + (statement.back() == ';' ? "\n\n" : ";\n\n");
            start = end + 6;
        }
    }
    if (once.empty())
        return once;
    std::string script;
    while (script.size() < k_script_size)
        script += once;
    return script;
}

std::string& script() {
    static std::string text;
    return text;
}

void report(benchmark::State& state) {
    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(script().size());
    state.counters["MB"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["script_MB"] = static_cast<double>(script().size()) / 1e6;
}

void beautify(benchmark::State& state) {
    const Formatter formatter;
    for (auto _ : state)
        benchmark::DoNotOptimize(formatter.beautify(script()));
    report(state);
}

void minify(benchmark::State& state) {
    const Formatter formatter;
    for (auto _ : state)
        benchmark::DoNotOptimize(formatter.minify(script()));
    report(state);
}

BENCHMARK(beautify)->Unit(benchmark::kMillisecond);
BENCHMARK(minify)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    std::string script_file;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.starts_with("--write-script=")) {
            std::ofstream(argument.substr(15), std::ios::binary) << corpus_script();
            return 0;
        }
        if (argument.starts_with("--script="))
            script_file = argument.substr(9);
        else
            rest.push_back(argv[i]);
    }
    script() = script_file.empty() ? corpus_script() : read_file(script_file);
    if (script().empty()) {
        std::cerr << "formatter_bench: no script to format\n";
        return 1;
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Peak memory of one phase of the JSON form of a large model.
//
//   model_json_memory write FILE [TABLES COLUMNS]  builds the model, writes its JSON text to FILE
//   model_json_memory read FILE                    reads the model back from FILE
//
// Each phase runs in a process of its own, so each reports its own peak
// resident set size next to the time it took.
#include "bench/model/ModelBuilder.hpp"

#include "Model/MetaJson.hpp"
#include "Model/MetaSchema.hpp"

#include <fmt/format.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int write_phase(const std::string& file, std::size_t tables, std::size_t columns) {
    auto start = Clock::now();
    const auto database = Bench::build_model(tables, columns);
    fmt::print("build: {:.3f} s, peak {:.1f} MiB\n", seconds_since(start), Bench::peak_rss_mib());
    start = Clock::now();
    const std::string text = to_json_text(*database);
    fmt::print("write: {:.3f} s, {:.1f} MiB of JSON, peak {:.1f} MiB\n", seconds_since(start),
               static_cast<double>(text.size()) / (1024.0 * 1024.0), Bench::peak_rss_mib());
    std::ofstream(file, std::ios::binary) << text;
    return 0;
}

int read_phase(const std::string& file) {
    std::ifstream input(file, std::ios::binary);
    if (!input) {
        std::cerr << "cannot open " << file << "\n";
        return 1;
    }
    std::ostringstream buffer;
    buffer << input.rdbuf();
    const std::string text = std::move(buffer).str();
    fmt::print("loaded: {:.1f} MiB of JSON, peak {:.1f} MiB\n",
               static_cast<double>(text.size()) / (1024.0 * 1024.0), Bench::peak_rss_mib());
    const auto start = Clock::now();
    const auto database = from_json_text<MetaDatabase>(text);
    if (!database) {
        std::cerr << database.error().message << "\n";
        return 1;
    }
    std::size_t tables = 0;
    for (const auto& schema : (*database)->get_schemas())
        tables += schema->get_tables().size();
    fmt::print("read: {:.3f} s, {} tables, peak {:.1f} MiB\n", seconds_since(start), tables,
               Bench::peak_rss_mib());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc > 2)
        return write_phase(argv[2], argc > 3 ? std::stoul(argv[3]) : 10'000,
                           argc > 4 ? std::stoul(argv[4]) : 20);
    if (mode == "read" && argc > 2)
        return read_phase(argv[2]);
    std::cerr << "usage: model_json_memory write FILE [TABLES COLUMNS] | read FILE\n";
    return 2;
}

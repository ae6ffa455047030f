// `dizezida-postgresql catalog --server SERVER [--schema NAME]... [--table
// SCHEMA.TABLE] [-o FILE]`: reads a database's catalog (or only some
// schemas, or one table) deeply into the meta model and writes its JSON
// form to stdout or FILE (written whole or not at all).
#include "ui/FrontEnd.hpp"
#include "ui/OutputFile.hpp"
#include "ui/CatalogReader.hpp"
#include "ui/Session.hpp"

#include "Model/MetaJson.hpp"
#include "Model/MetaObject.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;

struct CatalogOptions {
    std::string server;
    std::vector<std::string> schemas;
    std::string table;
    std::string output;
    bool pretty = false;
    bool system = false;
};

int run_catalog(const CatalogOptions& options) {
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    const auto model = Dizezida::Rezizida::read_catalog(
        **connection, {options.schemas, options.table, options.system}, "catalog");
    (*connection)->close();
    if (!model)
        return 1;
    // Streamed: the model's text is never held whole.
    return Dizezida::Rezizida::write_output_pieces(
               options.output, "catalog",
               [&](const Dizezida::Rezizida::OutputSink& sink) {
                   return MetaModel::write_json_text(*model, options.pretty ? 2 : -1, sink) &&
                          sink("\n");
               })
               ? 0
               : 1;
}

void add_catalog_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<CatalogOptions>();
    CLI::App* command = app.add_subcommand(
        "catalog", "Read a database's catalog into the model and write it as JSON");
    command->add_option("--server", options->server,
                        Dizezida::Rezizida::k_server_help);
    command->add_option("--schema", options->schemas, "Only this schema (repeatable)");
    command->add_option("--table", options->table, "Only this table, as SCHEMA.TABLE");
    command->add_option("-o,--output", options->output, "Write to FILE instead of stdout")
        ->check(Dizezida::Rezizida::output_path());
    command->add_flag("--pretty", options->pretty, "Indent the JSON");
    command->add_flag("--system", options->system,
                      "Also read pg_catalog and information_schema (left out by default)");
    command->callback([&context, options] {
        context.run = [options] { return run_catalog(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_catalog_command)

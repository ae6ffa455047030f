// `dizezida-postgresql ddl --server SERVER [--schema NAME]... [--table
// SCHEMA.TABLE] [--with-database] [-o FILE]`: reads the catalog as `catalog`
// does and writes a script that recreates the schemas and every object in
// them (with --with-database, the database first). The script applies with
// `psql -v ON_ERROR_STOP=1 -f FILE` to an empty database.
#include "ui/CatalogReader.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/OutputFile.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IBuildable.hpp"
#include "Model/MetaModel.hpp"

#include <CLI/CLI.hpp>

#include <memory>

namespace {

using namespace Dizezida::Dovodarud;

struct DdlOptions {
    std::string server;
    std::vector<std::string> schemas;
    std::string table;
    std::string output;
    bool with_database = false;
};

int run_ddl(const DdlOptions& options) {
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    const auto model = Dizezida::Rezizida::read_catalog(
        **connection, {options.schemas, options.table, false}, "ddl");
    auto builder = (*connection)->builder();
    std::string script;
    if (model) {
        if (auto database = std::dynamic_pointer_cast<MetaModel::MetaDatabase>(model)) {
            if (options.with_database) {
                script = builder->create_database(database, 1);
            } else {
                script = builder->build_schemas(database->get_schemas(), true);
            }
        } else {
            script = "SET check_function_bodies = false;\n" + builder->build_create(model, true);
        }
    }
    (*connection)->close();
    if (!model)
        return 1;
    return Dizezida::Rezizida::write_output(script, options.output, "ddl") ? 0 : 1;
}

void add_ddl_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<DdlOptions>();
    CLI::App* command =
        app.add_subcommand("ddl", "Write a script that recreates the schemas of a database");
    command->add_option("--server", options->server,
                        Dizezida::Rezizida::k_server_help);
    command->add_option("--schema", options->schemas, "Only this schema (repeatable)");
    command->add_option("--table", options->table, "Only this table, as SCHEMA.TABLE");
    command->add_flag("--with-database", options->with_database,
                      "Begin with CREATE DATABASE (and connect to it)");
    command->add_option("-o,--output", options->output, "Write to FILE instead of stdout")
        ->check(Dizezida::Rezizida::output_path());
    command->callback([&context, options] {
        context.run = [options] { return run_ddl(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_ddl_command)

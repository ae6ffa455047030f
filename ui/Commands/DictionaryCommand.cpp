// `dizezida-postgresql dictionary --server SERVER --format html|md
// [--schema NAME]... [--title TEXT] [--data-version TEXT] [--description TEXT]
// [--footer-text TEXT [--footer-url URL]] -o FILE`: reads the tables and views
// of the user schemas (or of the schemas named) with their columns and
// comments, and writes a data dictionary as one HTML page or one Markdown
// file. The title defaults to the database name.
#include "ui/CatalogReader.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/OutputFile.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Data/Documents/HtmlDocument.hpp"
#include "Supports/Data/Documents/MarkdownDocument.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;

struct DictionaryOptions {
    std::string server;
    std::string format;
    std::vector<std::string> schemas;
    Contracts::Data::Configuration cfg;
    bool titled = false;
    std::string output;
};

/// The database's tables and views with every column: view columns come from
/// the catalog rather than from the definition, so they have types and comments.
std::shared_ptr<MetaModel::MetaDatabase>
read_dictionary(Supports::Database::ConnectionImpl& connection,
                const std::vector<std::string>& schemas) {
    auto database = std::dynamic_pointer_cast<MetaModel::MetaDatabase>(
        Dizezida::Rezizida::read_catalog(connection, {schemas, "", false}, "dictionary"));
    const auto adapter = connection.adapter();
    if (!database || !adapter)
        return nullptr;
    for (const auto& schema : database->get_schemas()) {
        if (auto filled = adapter->fill_view_columns(*schema); !filled) {
            std::cerr << "dictionary: " << filled.error().message << '\n';
            return nullptr;
        }
    }
    return database;
}

int run_dictionary(DictionaryOptions options) {
    std::shared_ptr<Supports::Data::Documents::DictionaryDocument> document;
    if (options.format == "html")
        document = std::make_shared<Supports::Data::Documents::HtmlDocument>();
    else
        document = std::make_shared<Supports::Data::Documents::MarkdownDocument>();
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    const auto database = read_dictionary(**connection, options.schemas);
    (*connection)->close();
    if (!database)
        return 1;
    if (!options.titled)
        options.cfg.title = database->get_name();
    if (auto written = document->produce(database, options.output, options.cfg); !written) {
        std::cerr << "dictionary: " << written.error().message << '\n';
        return 1;
    }
    return 0;
}

void add_dictionary_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<DictionaryOptions>();
    CLI::App* command = app.add_subcommand(
        "dictionary", "Write a data dictionary of the tables and views (HTML or Markdown)");
    command->add_option("--server", options->server, Dizezida::Rezizida::k_server_help);
    command->add_option("--format", options->format, "html or md")
        ->required()
        ->check(CLI::IsMember({"html", "md"}));
    command->add_option("--schema", options->schemas, "Only this schema (repeatable)");
    command->add_option("--title", options->cfg.title, "Title (default: the database name)");
    command->add_option("--data-version", options->cfg.data_version, "Data version text");
    command->add_option("--description", options->cfg.description, "Description text");
    CLI::Option* footer =
        command->add_option("--footer-text", options->cfg.footer_text, "Footer link text (HTML)");
    command->add_option("--footer-url", options->cfg.footer_url, "Footer link target")
        ->needs(footer);
    command->add_option("-o,--output", options->output, "The document file")
        ->check(Dizezida::Rezizida::output_path())->required();
    command->callback([&context, command, options] {
        options->titled = command->count("--title") > 0;
        context.run = [options] { return run_dictionary(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_dictionary_command)

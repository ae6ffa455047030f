// `dizezida-postgresql browse --server SERVER KIND [--schema NAME]
// [--format table|csv|json]`: the object browser's list of one kind, as an
// aligned table with the explorer's titles, as CSV, or as a JSON array of
// objects keyed by title (NULL stays null).
#include "ui/FrontEnd.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Database/PostgreSQL/Catalog/PostgreSQLExplorer.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace {

using Dizezida::Dovodarud::Supports::Database::PostgreSQLExplorer;

struct BrowseOptions {
    std::string server;
    std::string kind;
    std::string schema;
    std::string format = "table";
};

int run_browse(const BrowseOptions& options) {
    const auto kinds = PostgreSQLExplorer::kinds();
    const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                   [&](const auto& entry) { return options.kind == entry.nick; });
    if (kind == kinds.end()) {
        std::cerr << "browse: unknown kind " << options.kind << " (see browse --help)\n";
        return Dizezida::Rezizida::k_usage_error;
    }
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    auto table = (*connection)->explorer()->load_objects(kind->kind, "", options.schema, "");
    (*connection)->close();
    if (!table) {
        std::cerr << "browse: " << table.error().message << '\n';
        return 1;
    }
    if (options.format == "csv")
        Dizezida::Rezizida::print_csv_table(**table, std::cout);
    else if (options.format == "json")
        Dizezida::Rezizida::print_json_table(**table, std::cout);
    else
        Dizezida::Rezizida::print_aligned_table(**table, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

void add_browse_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<BrowseOptions>();
    std::string kinds;
    for (const auto& entry : PostgreSQLExplorer::kinds())
        kinds += (kinds.empty() ? "" : ", ") + std::string(entry.nick);
    CLI::App* command =
        app.add_subcommand("browse", "List the objects of one kind, as the object browser does");
    command->add_option("--server", options->server,
                        Dizezida::Rezizida::k_server_help);
    command->add_option("kind", options->kind, "One of: " + kinds)->required();
    command->add_option("--schema", options->schema, "The schema (default public)");
    command->add_option("--format", options->format, "table, csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}));
    command->callback([&context, options] {
        context.run = [options] { return run_browse(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_browse_command)

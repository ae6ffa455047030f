// `dizezida-postgresql browse --server SERVER KIND [--schema NAME]
// [--format table|csv|json]`: the object browser's list of one kind, as an
// aligned table with the explorer's titles, as CSV, or as a JSON array of
// objects keyed by title (NULL stays null).
#include "ui/FrontEnd.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLExplorer.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace {

using Dizezida::Dovodarud::Supports::Database::PostgreSQLExplorer;
using Dizezida::Zozuvoru::Contracts::DataType;
using Dizezida::Zozuvoru::Contracts::TableModel;

struct BrowseOptions {
    std::string server;
    std::string kind;
    std::string schema;
    std::string format = "table";
};

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    return out + '"';
}

void print_csv(const TableModel& table, std::ostream& out) {
    const auto& columns = table.get_columns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << (c ? "," : "") << csv_field(columns[c]->get_title());
    out << "\r\n";
    for (std::size_t r = 0; r < table.get_row_count(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c)
            out << (c ? "," : "") << (table.is_null_at(r, c) ? "" : csv_field(table.get_text_at(r, c)));
        out << "\r\n";
    }
}

/// A value as JSON: booleans and whole numbers as such, the rest as text.
nlohmann::ordered_json json_value(const TableModel& table, std::size_t r, std::size_t c) {
    if (table.is_null_at(r, c))
        return nullptr;
    const std::string text = table.get_text_at(r, c);
    switch (table.get_columns()[c]->get_data_type()) {
    case DataType::BOOLEAN: return text == "t" || text == "true";
    case DataType::SMALLINT:
    case DataType::INTEGER:
    case DataType::BIGINT:
    case DataType::UINTEGER:
        try {
            return std::stoll(text);
        } catch (...) {
            return text;
        }
    default: return text;
    }
}

void print_json(const TableModel& table, std::ostream& out) {
    auto rows = nlohmann::ordered_json::array();
    const auto& columns = table.get_columns();
    for (std::size_t r = 0; r < table.get_row_count(); ++r) {
        nlohmann::ordered_json row = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < columns.size(); ++c)
            row[columns[c]->get_title()] = json_value(table, r, c);
        rows.push_back(std::move(row));
    }
    out << rows.dump(2) << '\n';
}

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
        print_csv(**table, std::cout);
    else if (options.format == "json")
        print_json(**table, std::cout);
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
                        "libpq connection string or URI (PG* variables and ~/.pgpass apply)");
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

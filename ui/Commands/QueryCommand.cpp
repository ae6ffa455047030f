// `dizezida-postgresql query --server SERVER [SQL | -f FILE]`: runs an SQL
// script (the argument, a file, or standard input) statement by statement,
// each through the connection's model execution on this thread (Ctrl-C
// cancels the running one from the interruption watcher; a worker thread and
// a main-loop turn per statement cost more than a small statement itself),
// and prints every result in order as psql does: the rows of a statement
// that returns rows (aligned, CSV or JSON), the command tag of one that does
// not. The first failing statement stops the script with its number and line.
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "Supports/Database/SqlStatements.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include <fmt/format.h>

namespace {

using Dizezida::Dovodarud::Supports::Database::ConnectionImpl;
using Dizezida::Zozuvoru::Contracts::TableModel;

struct QueryOptions {
    std::string server;
    std::string sql;
    std::string file;
    std::string format = "aligned";
    bool quiet = false;
};

/// A script and the name messages give it.
struct Script {
    std::string text;
    std::string source;
};

/// The script the options name; nothing (and a message) when it cannot be read.
std::optional<Script> read_script(const QueryOptions& options) {
    if (!options.sql.empty())
        return Script{options.sql, "<argument>"};
    std::ostringstream text;
    if (options.file.empty() || options.file == "-") {
        text << std::cin.rdbuf();
        return Script{text.str(), "<stdin>"};
    }
    std::ifstream in(options.file, std::ios::binary);
    if (in)
        text << in.rdbuf();
    if (!in || in.bad()) {
        std::cerr << "query: cannot read " << options.file << '\n';
        return std::nullopt;
    }
    return Script{text.str(), options.file};
}

/// A result as psql prints it: the rows, then the tag of a command that
/// changed rows and returned them; the tag alone for a command without rows.
/// JSON output holds rows only, one array per statement that returns rows.
void print_result(const TableModel& table, const QueryOptions& options) {
    const std::string& tag = table.get_command_status();
    const bool json = options.format == "json";
    if (table.get_returns_rows()) {
        if (json)
            Dizezida::Rezizida::print_json_table(table, std::cout);
        else if (options.format == "csv")
            Dizezida::Rezizida::print_csv_table(table, std::cout, "\n");
        else {
            Dizezida::Rezizida::print_aligned_table(table, std::cout);
            std::cout << '\n';
        }
        const bool changed = tag.starts_with("INSERT") || tag.starts_with("UPDATE") ||
                             tag.starts_with("DELETE") || tag.starts_with("MERGE");
        if (!changed)
            return;
    }
    if (!options.quiet && !json && !tag.empty())
        std::cout << tag << '\n';
}

int run_query(const QueryOptions& options) {
    if (!options.sql.empty() && !options.file.empty()) {
        std::cerr << "query: give the SQL as an argument or with -f, not both\n";
        return Dizezida::Rezizida::k_usage_error;
    }
    const auto script = read_script(options);
    if (!script)
        return 1;
    const auto statements = Dizezida::Dovodarud::Supports::Database::split_statements(script->text);
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    int status = 0;
    for (std::size_t i = 0; i < statements.size() && status == 0; ++i) {
        auto table = (*connection)->execute_as_model(statements[i].text, 0);
        if (table) {
            print_result(**table, options);
            continue;
        }
        std::cout.flush();
        std::cerr << "query: " << script->source << ':' << statements[i].line << ": statement "
                  << i + 1 << " failed: " << table.error().message << '\n';
        status = 1;
        if (Dizezida::Rezizida::interrupted_status() != 0) {
            (*connection)->close();
            std::cout.flush();
            return Dizezida::Rezizida::report_interruption(
                "query", fmt::format("statement {} of {} was cancelled and none after it ran; the {} "
                                     "before it ran (a transaction the script left open is rolled back)",
                                     i + 1, statements.size(), i));
        }
    }
    (*connection)->close();
    std::cout.flush();
    return std::cout ? status : 1;
}

void add_query_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<QueryOptions>();
    CLI::App* command = app.add_subcommand(
        "query", "Run SQL (a script of one or more statements) on a server and print each result");
    command->add_option("--server", options->server, Dizezida::Rezizida::k_server_help);
    command->add_option("sql", options->sql,
                        "The SQL to run (without it and -f: read from standard input)");
    command->add_option("-f,--file", options->file, "Read the SQL from FILE (- for standard input)");
    command->add_option("--format", options->format, "aligned (psql's table), csv or json")
        ->check(CLI::IsMember({"aligned", "csv", "json"}));
    command->add_flag("-q,--quiet", options->quiet,
                      "Leave out the command tags (CREATE TABLE, INSERT 0 1, ...)");
    command->callback([&context, options] {
        context.run = [options] { return run_query(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_query_command)

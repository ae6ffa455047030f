// `dizezida-postgresql query --server SERVER SQL`: runs SQL on a server
// through a connection's asynchronous model execution on the main loop and
// prints the rows as an aligned table followed by the row count.
#include "ui/FrontEnd.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "provider/Contracts/TableModel.hpp"

#include <CLI/CLI.hpp>
#include <glib.h>

#include <iostream>
#include <memory>

namespace {

using Dizezida::Dovodarud::Contracts::Database::AsyncResultPtr;

struct QueryOptions {
    std::string server;
    std::string sql;
};

int run_query(const QueryOptions& options) {
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    AsyncResultPtr done;
    (*connection)->execute_as_model_async(options.sql, [&](const AsyncResultPtr& result) {
        done = result;
        g_main_loop_quit(loop);
    });
    g_main_loop_run(loop);
    g_main_loop_unref(loop);

    auto table = (*connection)->execute_as_model_finish(done);
    (*connection)->close();
    if (!table) {
        std::cerr << "query: " << table.error().message << '\n';
        return 1;
    }
    Dizezida::Rezizida::print_aligned_table(**table, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

void add_query_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<QueryOptions>();
    CLI::App* command = app.add_subcommand("query", "Run SQL on a server and print the rows");
    command->add_option("--server", options->server,
                        Dizezida::Rezizida::k_server_help);
    command->add_option("sql", options->sql, "The SQL to run")->required();
    command->callback([&context, options] {
        context.run = [options] { return run_query(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_query_command)

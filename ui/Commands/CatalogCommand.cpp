// `dizezida-postgresql catalog --server SERVER [--schema NAME]... [--table
// SCHEMA.TABLE] [-o FILE]`: reads a database's catalog (or only some
// schemas, or one table) deeply into the meta model and writes its JSON
// form to stdout or FILE (written whole or not at all).
#include "ui/FrontEnd.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Model/MetaJson.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlText.hpp"

#include <CLI/CLI.hpp>
#include <glib.h>
#include <unistd.h>

#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;
using Dizezida::Dovodarud::Supports::Database::sql_literal;

struct CatalogOptions {
    std::string server;
    std::vector<std::string> schemas;
    std::string table;
    std::string output;
    bool pretty = false;
    bool system = false;
};

/// Counts objects read and shows the count on a terminal.
class Progress {
public:
    Progress() : m_shown(isatty(STDERR_FILENO) != 0) {}
    ~Progress() {
        if (m_shown && m_count > 0)
            std::cerr << '\n';
    }
    void add(const MetaModel::MetaSchema& schema) {
        m_count += schema.get_tables().size() + schema.get_views().size() +
                   schema.get_functions().size() + schema.get_procedures().size() +
                   schema.get_miews().size();
        if (m_shown)
            std::cerr << "\rread " << m_count << " objects (schema " << schema.get_name() << ")"
                      << std::flush;
    }

private:
    bool m_shown;
    std::size_t m_count = 0;
};

std::string failed(const Dizezida::Core::Error& error) {
    std::cerr << "catalog: " << error.message << '\n';
    return {};
}

/// A single value of a query, or "" after printing the error.
std::string scalar(Supports::Database::ConnectionImpl& connection, const std::string& sql) {
    auto value = connection.execute_as_scalar(sql, 0);
    if (!value)
        return failed(value.error());
    return *value ? (*value)->to_string() : std::string();
}

/// The JSON of what the options ask for; "" after printing the reason.
std::string read_catalog(Supports::Database::ConnectionImpl& connection,
                         const CatalogOptions& options) {
    auto adapter = connection.adapter();
    const std::string database_name = scalar(connection, "SELECT pg_catalog.current_database()");
    if (database_name.empty())
        return {};
    Progress progress;
    if (!options.table.empty()) {
        const auto point = options.table.find('.');
        if (point == std::string::npos) {
            std::cerr << "catalog: --table takes SCHEMA.TABLE\n";
            return {};
        }
        const std::string schema = options.table.substr(0, point);
        const std::string name = options.table.substr(point + 1);
        const std::string exists = scalar(
            connection, "SELECT count(*) FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n"
                        " ON n.oid = c.relnamespace WHERE c.relkind IN ('r', 'p', 'f') AND"
                        " n.nspname = " + sql_literal(schema) + " AND c.relname = " +
                            sql_literal(name));
        if (exists != "1") {
            if (!exists.empty())
                std::cerr << "catalog: no table " << options.table << '\n';
            return {};
        }
        auto table = MetaModel::MetaTable::with_names(database_name, schema, name);
        if (auto filled = adapter->fill_meta_table(table, 1); !filled)
            return failed(filled.error());
        return MetaModel::to_json_text(*table, options.pretty ? 2 : -1);
    }

    auto database = MetaModel::MetaDatabase::with_name(database_name);
    if (options.schemas.empty()) {
        if (auto filled = adapter->fill_meta_database(database, 0); !filled)
            return failed(filled.error());
        if (!options.system)
            std::erase_if(database->get_schemas(), [](const auto& schema) {
                return schema->get_name() == "pg_catalog" ||
                       schema->get_name() == "information_schema";
            });
    } else {
        for (const std::string& name : options.schemas) {
            const std::string exists = scalar(
                connection, "SELECT count(*) FROM pg_catalog.pg_namespace WHERE nspname = " +
                                sql_literal(name));
            if (exists != "1") {
                if (!exists.empty())
                    std::cerr << "catalog: no schema " << name << '\n';
                return {};
            }
            database->append(name);
        }
    }
    for (const auto& schema : database->get_schemas()) {
        if (auto filled = adapter->fill_meta_schema(schema, 1); !filled)
            return failed(filled.error());
        progress.add(*schema);
    }
    return MetaModel::to_json_text(*database, options.pretty ? 2 : -1);
}

int run_catalog(const CatalogOptions& options) {
    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    const std::string json = read_catalog(**connection, options);
    (*connection)->close();
    if (json.empty())
        return 1;
    if (options.output.empty()) {
        std::cout << json << '\n';
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    // Written to a temporary file beside the target, then renamed over it.
    GError* error = nullptr;
    const std::string text = json + '\n';
    if (!g_file_set_contents(options.output.c_str(), text.data(),
                             static_cast<gssize>(text.size()), &error)) {
        std::cerr << "catalog: " << error->message << '\n';
        g_error_free(error);
        return 1;
    }
    return 0;
}

void add_catalog_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<CatalogOptions>();
    CLI::App* command = app.add_subcommand(
        "catalog", "Read a database's catalog into the model and write it as JSON");
    command->add_option("--server", options->server,
                        "libpq connection string or URI (PG* variables and ~/.pgpass apply)");
    command->add_option("--schema", options->schemas, "Only this schema (repeatable)");
    command->add_option("--table", options->table, "Only this table, as SCHEMA.TABLE");
    command->add_option("-o,--output", options->output, "Write to FILE instead of stdout");
    command->add_flag("--pretty", options->pretty, "Indent the JSON");
    command->add_flag("--system", options->system,
                      "Also read pg_catalog and information_schema (left out by default)");
    command->callback([&context, options] {
        context.run = [options] { return run_catalog(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_catalog_command)

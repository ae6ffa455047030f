// `dizezida-postgresql transfer --source SERVER --target SERVER
// [--schema NAME[=TARGET]]... [--table SCHEMA.TABLE[=TARGET]]...
// [--columns SCHEMA.TABLE:SRC=DST,...]... [--where SCHEMA.TABLE:CONDITION]...
// [--batch N] [--drop] [--continue-on-error]`: copies schemas (every
// schema of the source when none is named), or the named tables, to the
// target, structure and rows. The job runs on a worker thread while stderr
// shows tables, rows and rows per second (on a terminal); at the end stdout
// gets a line per table (copied, failed, status) and stderr the failures
// and a summary. Exit status 0 only when every table copied completely and
// every statement ran.
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/Session.hpp"

#include "Supports/Data/Extractors/BaseExtractor.hpp"
#include "Supports/Database/SqlText.hpp"
#include "Transform/Transfer.hpp"
#include "provider/Contracts/DbObject.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

using namespace Dizezida::Dovodarud;
using Transform::Transfer;
using Session = std::shared_ptr<Supports::Database::ConnectionImpl>;
using Dizezida::Zozuvoru::Contracts::DbObject;

struct TransferOptions {
    std::string source, target;
    std::vector<std::string> schemas, tables, columns, wheres;
    /// Ten times the job's own default: a page is one COPY and one
    /// transaction, and smaller pages spend more on starting and committing.
    int batch = 10000;
    bool drop = false;
    bool continue_on_error = false;
};

struct BadArgument {
    std::string message;
};

/// `text` cut at the first `separator` outside double quotes.
std::pair<std::string, std::optional<std::string>> cut(const std::string& text, char separator) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted)
            return {text.substr(0, i), text.substr(i + 1)};
    }
    return {text, std::nullopt};
}

std::vector<std::string> names(const std::string& text, std::size_t most, const std::string& flag) {
    auto parsed = Supports::Data::Extractors::parse_names(text, '.');
    if (!parsed || parsed->empty() || parsed->size() > most)
        throw BadArgument{flag + ": \"" + text + "\" is not a" +
                          (most == 1 ? " name" : " SCHEMA.TABLE name") +
                          " (quote names holding a point: \"a.b\".c)"};
    return *parsed;
}

using TableName = std::pair<std::string, std::string>; // schema, table

/// SCHEMA.TABLE as written.
TableName table_name(const std::string& text, const std::string& flag) {
    const auto parts = names(text, 2, flag);
    if (parts.size() != 2)
        throw BadArgument{flag + ": \"" + text + "\" names no schema (write SCHEMA.TABLE)"};
    return {parts[0], parts[1]};
}

/// "schema.table", as the job's option keys name a table.
std::string key_of(const TableName& table) { return table.first + "." + table.second; }

/// A catalog query that failed.
struct QueryFailed {
    std::string message;
};

/// The rows of a catalog query, each as its columns' texts.
std::vector<std::vector<std::string>> rows_of(Supports::Database::ConnectionImpl& source,
                                              const std::string& sql) {
    auto model = source.execute_as_model(sql, 0);
    if (!model)
        throw QueryFailed{model.error().message};
    std::vector<std::vector<std::string>> rows((*model)->get_row_count());
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t column = 0; column < (*model)->get_columns().size(); ++column)
            rows[row].push_back((*model)->get_text_at(row, column));
    return rows;
}

/// Every relation of the chosen schemas on the source: (schema, name, is table).
struct Relation {
    std::string schema, name;
    bool table;
};

std::vector<Relation> source_relations(Supports::Database::ConnectionImpl& source,
                                       const std::set<std::string>& schemas) {
    std::string list;
    for (const std::string& schema : schemas)
        list += (list.empty() ? "" : ", ") + Supports::Database::sql_literal(schema);
    std::vector<Relation> relations;
    for (const auto& row : rows_of(source,
                                   "SELECT n.nspname::text, c.relname::text, c.relkind IN ('r', 'p') "
                                   "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                                   "ON n.oid = c.relnamespace WHERE n.nspname IN (" +
                                       list + ") AND c.relkind IN ('r', 'p', 'v', 'm') "
                                              "ORDER BY 1, 2"))
        relations.push_back({row[0], row[1], row[2] == "t" || row[2] == "true"});
    return relations;
}

/// The column names of a source table (none when there is no such table).
std::set<std::string> source_columns(Supports::Database::ConnectionImpl& source,
                                     const TableName& table) {
    std::set<std::string> columns;
    for (const auto& row : rows_of(
             source, "SELECT a.attname::text FROM pg_catalog.pg_attribute a "
                     "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid JOIN pg_catalog.pg_namespace "
                     "n ON n.oid = c.relnamespace WHERE n.nspname = " +
                         Supports::Database::sql_literal(table.first) + " AND c.relname = " +
                         Supports::Database::sql_literal(table.second) +
                         " AND a.attnum > 0 AND NOT a.attisdropped"))
        columns.insert(row[0]);
    return columns;
}

/// The job's option map from the flags.
Transfer::Options job_options(const TransferOptions& options,
                              Supports::Database::ConnectionImpl& source) {
    const std::string k_schema = to_string(DbObject::SCHEMA);
    const std::string k_table = to_string(DbObject::TABLE);
    Transfer::Options map;
    map["OPTION|SOURCE|DATABASE"] = rows_of(source, "SELECT pg_catalog.current_database()")[0][0];
    map["OPTION|RESULT|CONTINUE"] = options.continue_on_error ? "true" : "false";
    map["OPTION|RESULT|DROP_OBJECT"] = options.drop ? "true" : "false";

    std::map<std::string, std::string> schema_names; // source to target
    for (const std::string& item : options.schemas) {
        const auto [name, target] = cut(item, '=');
        const std::string schema = names(name, 1, "--schema")[0];
        schema_names[schema] = target ? names(*target, 1, "--schema")[0] : schema;
    }
    std::map<std::string, std::string> table_names; // "schema.table" to target table
    std::set<std::string> schemas_with_tables;
    for (const std::string& item : options.tables) {
        const auto [name, target] = cut(item, '=');
        const TableName table = table_name(name, "--table");
        table_names[key_of(table)] = target ? names(*target, 1, "--table")[0] : table.second;
        schemas_with_tables.insert(table.first);
        schema_names.try_emplace(table.first, table.first);
    }
    std::set<std::string> source_schemas;
    for (const auto& row : rows_of(source, "SELECT nspname::text FROM pg_catalog.pg_namespace "
                                           "WHERE nspname !~ '^pg_' AND nspname <> "
                                           "'information_schema'"))
        source_schemas.insert(row[0]);
    for (const auto& [schema, target] : schema_names)
        if (!source_schemas.count(schema))
            throw BadArgument{"the source has no schema " + schema};
    if (schema_names.empty())
        for (const std::string& schema : source_schemas)
            schema_names.emplace(schema, schema);
    std::map<std::string, std::string> fields, records;
    for (const std::string& item : options.columns) {
        const auto [name, map_text] = cut(item, ':');
        if (!map_text || map_text->empty())
            throw BadArgument{"--columns takes SCHEMA.TABLE:SRC=DST,..., not \"" + item + "\""};
        const TableName table = table_name(name, "--columns");
        const std::string key = key_of(table);
        const std::set<std::string> columns = source_columns(source, table);
        std::string list;
        for (std::size_t start = 0; start <= map_text->size();) {
            const std::size_t end = std::min(map_text->find(',', start), map_text->size());
            const auto [from, to] = cut(map_text->substr(start, end - start), '=');
            const std::string source_name = names(from, 1, "--columns")[0];
            if (!columns.count(source_name))
                throw BadArgument{"--columns: the source table " + key + " has no column " +
                                  source_name};
            list += (list.empty() ? "" : ";") + source_name + "=" +
                    (to ? names(*to, 1, "--columns")[0] : source_name);
            start = end + 1;
        }
        fields[key] = list;
    }
    for (const std::string& item : options.wheres) {
        const auto [name, condition] = cut(item, ':');
        if (!condition || condition->empty())
            throw BadArgument{"--where takes SCHEMA.TABLE:CONDITION, not \"" + item + "\""};
        std::string& text = records[key_of(table_name(name, "--where"))];
        text += (text.empty() ? "" : ";") + *condition;
    }

    std::set<std::string> schemas;
    for (const auto& [schema, target] : schema_names) {
        schemas.insert(schema);
        map[Transfer::option_key(k_schema, schema, "MODE")] = "true";
        map[Transfer::option_key(k_schema, schema, "NAME")] = target;
    }
    for (const Relation& relation : source_relations(source, schemas)) {
        const std::string key = key_of({relation.schema, relation.name});
        if (schemas_with_tables.count(relation.schema) && !table_names.count(key))
            continue; // only the named tables of this schema
        const auto renamed = table_names.find(key);
        map[Transfer::option_key(k_table, key, "MODE")] = "true";
        map[Transfer::option_key(k_table, key, "NAME")] =
            renamed == table_names.end() ? relation.name : renamed->second;
        if (!relation.table)
            continue;
        map[Transfer::option_key(k_table, key, "BATCH")] = std::to_string(options.batch);
        map[Transfer::option_key(k_table, key, "FIELDS")] =
            fields.count(key) ? fields[key] : std::string("ALL");
        map[Transfer::option_key(k_table, key, "RECORDS")] = records[key];
        fields.erase(key);
        records.erase(key);
    }
    for (const auto& unused : {fields, records})
        if (!unused.empty())
            throw BadArgument{"no table " + unused.begin()->first + " takes part in the transfer"};
    for (const auto& [key, target] : table_names)
        if (!map.count(Transfer::option_key(k_table, key, "MODE")))
            throw BadArgument{"--table: the source has no table " + key};
    return map;
}

/// Runs the job, redrawing its progress on a terminal; prints the results.
/// What an interrupted run leaves on the target: each table's rows, and the
/// steps that did not run. The exit status of the interruption.
int report_interrupted(const Transfer& job) {
    using Transform::TransferPhase;
    const TransferPhase phase = job.phase();
    std::cout << "table\tcopied\tfailed\tstatus\n";
    std::string tables;
    for (const auto& table : job.table_results()) {
        const std::string name = table.target_schema + '.' + table.target_table;
        const bool started = table.done || table.copied != 0 || table.failed != 0;
        std::cout << name << '\t' << table.copied << '\t' << table.failed << '\t'
                  << (table.done ? "done" : started ? "incomplete" : "not copied") << '\n';
        if (!table.done && started)
            tables += fmt::format("{}{} {} rows copied, not all", tables.empty() ? "" : "; ", name,
                                  table.copied);
    }
    std::string what;
    switch (phase) {
    case TransferPhase::reading:
        what = "nothing was changed on the target";
        break;
    case TransferPhase::structure:
        what = "the structure was being created; no rows were copied; the target is incomplete";
        break;
    case TransferPhase::rows:
        what = (tables.empty() ? std::string() : tables + "; ") +
               "indexes, triggers, foreign keys, rules, views and sequence values were not "
               "created; the target is incomplete";
        break;
    case TransferPhase::after_rows:
        what = "every row was copied, but some indexes, triggers, foreign keys, rules or views "
               "were not created and sequences were not set; the target is incomplete";
        break;
    case TransferPhase::sequences:
        what = "every row, index and key was copied, but some sequences were not set";
        break;
    case TransferPhase::renames:
        what = "everything was copied, but some tables, columns or views keep their source names";
        break;
    case TransferPhase::finished:
        what = "the transfer had completed";
        break;
    }
    if (phase == TransferPhase::structure || phase == TransferPhase::rows ||
        phase == TransferPhase::after_rows)
        what += " (run the transfer again with --drop to replace it)";
    return Dizezida::Rezizida::report_interruption("transfer", what);
}

int run_job(Transfer& job) {
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::thread worker([&job] { job.handle(); });
    const auto progress = job.get_progress();
    for (;;) {
        {
            std::lock_guard lock(job.progress_lock());
            if (progress->state == 1)
                break;
        }
        if (terminal) {
            const auto tables = job.table_results();
            const auto finished = std::count_if(tables.begin(), tables.end(), [](const auto& table) {
                return table.done || !table.message.empty();
            });
            const std::uint64_t rows = job.rows_copied();
            double seconds = 0;
            {
                std::lock_guard lock(job.progress_lock());
                seconds = static_cast<double>(progress->elapsed) / 1e6;
            }
            std::cerr << "\rtransfer: " << finished << "/" << tables.size() << " tables, " << rows
                      << " rows, " << static_cast<std::uint64_t>(seconds > 0 ? rows / seconds : 0)
                      << " rows/s\033[K" << std::flush;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    worker.join();
    if (terminal)
        std::cerr << "\r\033[K";
    std::lock_guard lock(job.progress_lock());
    for (const std::string& message : progress->messages) {
        // Every line of a message says whose it is.
        std::string lines = message;
        for (std::size_t at = lines.find('\n'); at != std::string::npos; at = lines.find('\n', at + 1))
            lines.insert(at + 1, "transfer:   ");
        std::cerr << "transfer: " << lines << '\n';
    }
    if (Dizezida::Rezizida::interrupted_status() != 0)
        return report_interrupted(job);
    std::uint64_t copied = 0, failed = 0;
    bool complete = progress->failed == 0;
    std::cout << "table\tcopied\tfailed\tstatus\n";
    for (const auto& table : job.table_results()) {
        std::cout << table.target_schema << '.' << table.target_table << '\t' << table.copied << '\t'
                  << table.failed << '\t' << (table.done ? "done" : "failed") << '\n';
        if (!table.done)
            std::cerr << "transfer: " << table.target_schema << '.' << table.target_table << ": "
                      << (table.message.empty() ? std::string("not copied") : table.message) << '\n';
        copied += table.copied;
        failed += table.failed;
        complete = complete && table.done;
    }
    std::cerr << "transfer: " << job.table_results().size() << " tables, " << copied
              << " rows copied, " << failed << " rows failed in "
              << static_cast<double>(progress->elapsed) / 1e6 << " s\n";
    return complete ? 0 : 1;
}

int run_transfer(const TransferOptions& options) {
    const auto sessions = Dizezida::Rezizida::open_sessions(options.source, options.target);
    if (!sessions)
        return 1;
    int status = 0;
    try {
        Transfer job(job_options(options, *sessions->source));
        job.set_server_source(sessions->source);
        job.set_server_target(sessions->target);
        job.set_progress(Contracts::ThreadProgress::create());
        status = run_job(job);
    } catch (const BadArgument& bad) {
        std::cerr << "transfer: " << bad.message << '\n';
        status = Dizezida::Rezizida::k_usage_error;
    } catch (const QueryFailed& failed) {
        std::cerr << "transfer: " << failed.message << '\n';
        status = 1;
    }
    return status;
}

void add_transfer_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<TransferOptions>();
    CLI::App* command = app.add_subcommand(
        "transfer", "Copy schemas or tables, structure and rows, from one server to another");
    command->add_option("--source", options->source, Dizezida::Rezizida::k_server_help)->required();
    command->add_option("--target", options->target, Dizezida::Rezizida::k_server_help)->required();
    command->add_option("--schema", options->schemas,
                        "NAME[=TARGET]: a schema taking part, renamed to TARGET (repeatable; "
                        "default: every schema of the source)");
    command->add_option("--table", options->tables,
                        "SCHEMA.TABLE[=TARGET]: only this table of its schema, renamed to TARGET "
                        "(repeatable)");
    command->add_option("--columns", options->columns,
                        "SCHEMA.TABLE:SRC=DST,...: copy only these columns, SRC renamed to DST");
    command->add_option("--where", options->wheres,
                        "SCHEMA.TABLE:CONDITION: copy only the rows meeting CONDITION (repeatable)");
    command->add_option("--batch", options->batch, "Rows per page, each written in one transaction (default 10000; below 1: 1000)");
    command->add_flag("--drop", options->drop, "Drop the target schemas first (CASCADE)");
    command->add_flag("--continue-on-error", options->continue_on_error,
                      "Go on after failed statements and rows (each is reported)");
    command->callback([&context, options] {
        context.run = [options] { return run_transfer(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_transfer_command)

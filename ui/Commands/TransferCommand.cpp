// `dizezida-postgresql transfer --source SERVER --target SERVER
// [--schema NAME[=TARGET]]... [--table SCHEMA.TABLE[=TARGET]]...
// [--columns SCHEMA.TABLE:SRC=DST,...]... [--where SCHEMA.TABLE:CONDITION]...
// [--batch N] [--jobs N] [--text-copy] [--drop] [--continue-on-error]`: copies schemas (every
// schema of the source when none is named), or the named tables, to the
// target, structure and rows. The flags become the job's typed plan
// (Transform/TransferPlan.hpp); the job runs on a worker thread
// (ui/JobRunner.hpp) while stderr shows tables, rows and rows per second
// (on a terminal); at the end stdout gets a line per table (copied,
// failed, status) and stderr the failures and a summary. Exit status 0 only when every table copied
// completely and every statement ran.
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/JobRunner.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Data/Extractors/BaseExtractor.hpp"
#include "Supports/Database/SqlStatements.hpp"
#include "Transform/Transfer.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

using namespace Dizezida::Dovodarud;
using Transform::Transfer;
using Session = std::shared_ptr<Supports::Database::ConnectionImpl>;

struct TransferOptions {
    std::string source, target;
    std::vector<std::string> schemas, tables, columns, wheres;
    /// Ten times the job's own default: a page is one COPY and one
    /// transaction, and smaller pages spend more on starting and committing.
    int batch = 10000;
    int jobs = 0; ///< tables copied at once; 0: the job's default
    bool text_copy = false;
    bool drop = false;
    bool continue_on_error = false;
};

struct BadArgument {
    std::string message;
};

/// Where the first `separator` outside double quotes stands in `text`,
/// from `from` (outside quotes); npos when none.
std::size_t separator_at(const std::string& text, char separator, std::size_t from = 0) {
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted)
            return i;
    }
    return std::string::npos;
}

/// `text` cut at the first `separator` outside double quotes.
std::pair<std::string, std::optional<std::string>> cut(const std::string& text, char separator) {
    const std::size_t at = separator_at(text, separator);
    if (at == std::string::npos)
        return {text, std::nullopt};
    return {text.substr(0, at), text.substr(at + 1)};
}

/// `text` cut at every `separator` outside double quotes.
std::vector<std::string> pieces(const std::string& text, char separator) {
    std::vector<std::string> list;
    std::size_t start = 0;
    for (std::size_t at = separator_at(text, separator); at != std::string::npos;
         at = separator_at(text, separator, start)) {
        list.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    list.push_back(text.substr(start));
    return list;
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

/// "schema.table", as messages name a table.
std::string shown(const TableName& table) {
    return table.first + "." + table.second;
}

/// A catalog lookup that failed.
struct QueryFailed {
    std::string message;
};

/// The value of a catalog lookup; a failure ends the command.
template <class T> T looked_up(Dizezida::Core::Result<T> result) {
    if (!result)
        throw QueryFailed{result.error().message};
    return std::move(*result);
}

/// Every table and view of the chosen schemas on the source.
std::vector<Contracts::Database::CatalogRelation>
source_relations(Supports::Database::ConnectionImpl& source, const std::set<std::string>& schemas) {
    auto relations = looked_up(source.explorer()->relations({schemas.begin(), schemas.end()}));
    std::erase_if(relations, [](const auto& relation) { return relation.kind == 'f'; });
    return relations;
}

/// The column names of a source table (none when there is no such table).
std::set<std::string> source_columns(Supports::Database::ConnectionImpl& source,
                                     const TableName& table) {
    const auto names = looked_up(source.explorer()->column_names(table.first, table.second));
    return {names.begin(), names.end()};
}

/// The flags of the tables named: their target names, column maps and row conditions.
struct TableFlags {
    std::map<TableName, std::string> targets;
    std::set<std::string> schemas; ///< of the tables named: only those take part
    std::map<TableName, std::vector<Transform::ColumnPair>> columns;
    std::map<TableName, std::vector<std::string>> conditions;
};

/// --schema: source name to target name.
std::map<std::string, std::string, std::less<>> schema_flags(const TransferOptions& options) {
    std::map<std::string, std::string, std::less<>> schemas;
    for (const std::string& item : options.schemas) {
        const auto [name, target] = cut(item, '=');
        const std::string schema = names(name, 1, "--schema")[0];
        schemas[schema] = target ? names(*target, 1, "--schema")[0] : schema;
    }
    return schemas;
}

/// --columns SCHEMA.TABLE:SRC[=DST],...: each source column checked on the source.
std::vector<Transform::ColumnPair> column_flag(const TableName& table, const std::string& map_text,
                                               Supports::Database::ConnectionImpl& source) {
    const std::set<std::string> columns = source_columns(source, table);
    std::vector<Transform::ColumnPair> pairs;
    for (const std::string& pair : pieces(map_text, ',')) {
        const auto [from, to] = cut(pair, '=');
        const std::string source_name = names(from, 1, "--columns")[0];
        if (!columns.count(source_name))
            throw BadArgument{"--columns: the source table " + shown(table) + " has no column " +
                              source_name};
        pairs.push_back({source_name, to ? names(*to, 1, "--columns")[0] : source_name});
    }
    return pairs;
}

/// --where SCHEMA.TABLE:CONDITION: a ";" outside quotes and parentheses
/// separates conditions, copied one after another.
std::vector<std::string> conditions_of(const std::string& text) {
    std::vector<std::string> conditions;
    for (auto& statement : Supports::Database::split_statements(text))
        conditions.push_back(std::move(statement.text));
    return conditions;
}

TableFlags table_flags(const TransferOptions& options, Supports::Database::ConnectionImpl& source) {
    TableFlags flags;
    for (const std::string& item : options.tables) {
        const auto [name, target] = cut(item, '=');
        const TableName table = table_name(name, "--table");
        flags.targets[table] = target ? names(*target, 1, "--table")[0] : table.second;
        flags.schemas.insert(table.first);
    }
    for (const std::string& item : options.columns) {
        const auto [name, map_text] = cut(item, ':');
        if (!map_text || map_text->empty())
            throw BadArgument{"--columns takes SCHEMA.TABLE:SRC=DST,..., not \"" + item + "\""};
        const TableName table = table_name(name, "--columns");
        flags.columns[table] = column_flag(table, *map_text, source);
    }
    for (const std::string& item : options.wheres) {
        const auto [name, condition] = cut(item, ':');
        if (!condition || condition->empty())
            throw BadArgument{"--where takes SCHEMA.TABLE:CONDITION, not \"" + item + "\""};
        auto& conditions = flags.conditions[table_name(name, "--where")];
        for (std::string& each : conditions_of(*condition))
            conditions.push_back(std::move(each));
    }
    return flags;
}

/// Every schema taking part, by its source name; the named ones must exist.
void choose_schemas(Transform::TransferPlan& plan, const TableFlags& flags,
                    Supports::Database::ConnectionImpl& source) {
    for (const std::string& schema : flags.schemas)
        plan.schemas.try_emplace(schema, schema);
    const auto names = looked_up(source.explorer()->schema_names());
    const std::set<std::string> source_schemas(names.begin(), names.end());
    for (const auto& [schema, target] : plan.schemas)
        if (!source_schemas.count(schema))
            throw BadArgument{"the source has no schema " + schema};
    if (plan.schemas.empty())
        for (const std::string& schema : source_schemas)
            plan.schemas.emplace(schema, schema);
}

/// The first table of a map, or nullptr.
template <class Map> const TableName* first_key(const Map& map) {
    return map.empty() ? nullptr : &map.begin()->first;
}

/// The tables and views of the schemas taking part (only the named ones of
/// a schema with named tables), each with its flags; a flag naming a table
/// that takes no part is refused.
void choose_objects(Transform::TransferPlan& plan, TableFlags& flags, std::size_t batch,
                    Supports::Database::ConnectionImpl& source) {
    std::set<std::string> schemas;
    for (const auto& [schema, target] : plan.schemas)
        schemas.insert(schema);
    for (const auto& relation : source_relations(source, schemas)) {
        const TableName name{relation.schema, relation.name};
        if (flags.schemas.count(relation.schema) && !flags.targets.count(name))
            continue; // only the named tables of this schema
        Transform::TransferObjectPlan& object = plan.objects[name];
        const auto renamed = flags.targets.find(name);
        object.target_name = renamed == flags.targets.end() ? relation.name : renamed->second;
        if (!relation.is_table())
            continue;
        object.batch = batch;
        object.columns = std::move(flags.columns[name]);
        object.conditions = std::move(flags.conditions[name]);
        flags.columns.erase(name);
        flags.conditions.erase(name);
    }
    for (const TableName* unused : {first_key(flags.columns), first_key(flags.conditions)})
        if (unused)
            throw BadArgument{"no table " + shown(*unused) + " takes part in the transfer"};
    for (const auto& [table, target] : flags.targets)
        if (!plan.objects.count(table))
            throw BadArgument{"--table: the source has no table " + shown(table)};
}

/// The job's plan from the flags.
Transform::TransferPlan job_plan(const TransferOptions& options,
                                 Supports::Database::ConnectionImpl& source) {
    Transform::TransferPlan plan;
    plan.source_database = looked_up(source.explorer()->current_database());
    plan.go_on = options.continue_on_error;
    plan.drop = options.drop;
    plan.binary = !options.text_copy;
    plan.jobs = static_cast<std::size_t>(std::max(options.jobs, 0));
    plan.schemas = schema_flags(options);
    TableFlags flags = table_flags(options, source);
    choose_schemas(plan, flags, source);
    choose_objects(plan, flags, static_cast<std::size_t>(std::max(options.batch, 0)), source);
    return plan;
}

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

/// "N/M tables, R rows, X rows/s".
std::string progress_line(const Transfer& job, const Dizezida::Rezizida::JobCounters& counters) {
    const auto tables = job.table_results();
    const auto finished = std::count_if(tables.begin(), tables.end(), [](const auto& table) {
        return table.done || !table.message.empty();
    });
    const std::uint64_t rows = job.rows_copied();
    const double seconds = counters.seconds;
    return fmt::format("{}/{} tables, {} rows, {} rows/s", finished, tables.size(), rows,
                       static_cast<std::uint64_t>(seconds > 0 ? rows / seconds : 0));
}

int run_job(Transfer& job) {
    const Dizezida::Rezizida::JobCounters counters = Dizezida::Rezizida::run_job(
        "transfer", job, [&job](const auto& counters) { return progress_line(job, counters); });
    if (Dizezida::Rezizida::interrupted_status() != 0)
        return report_interrupted(job);
    std::uint64_t copied = 0, failed = 0;
    bool complete = counters.failed == 0;
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
              << " rows copied, " << failed << " rows failed in " << counters.seconds << " s\n";
    return complete ? 0 : 1;
}

int run_transfer(const TransferOptions& options) {
    const auto sessions = Dizezida::Rezizida::open_sessions(options.source, options.target);
    if (!sessions)
        return 1;
    int status = 0;
    try {
        Transfer job(job_plan(options, *sessions->source));
        job.set_server_source(sessions->source);
        job.set_server_target(sessions->target);
        job.set_session_opener([](const Transform::ConnectionPtr& like) {
            auto opened = Dizezida::Rezizida::open_like(*like);
            return opened ? Dizezida::Core::Result<Transform::ConnectionPtr>(*opened)
                          : Dizezida::Core::fail(std::move(opened).error());
        });
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
                        "SCHEMA.TABLE:SRC=DST,...: copy only these columns, SRC renamed to DST "
                        "(names holding \",\" or \"=\" in double quotes)");
    command->add_option("--where", options->wheres,
                        "SCHEMA.TABLE:CONDITION: copy only the rows meeting CONDITION (repeatable; "
                        "each condition, also each of several separated by \";\", copied in turn)");
    command->add_option("--batch", options->batch, "Rows per page, each written in one transaction (default 10000; below 1: 1000)");
    command->add_option("--jobs", options->jobs,
                        "Tables copied at once, each on its own pair of sessions sharing the "
                        "source's snapshot (default: as many as there are tables, at most 4)");
    command->add_flag("--text-copy", options->text_copy,
                      "Send rows as COPY text also where both servers could take the binary format");
    command->add_flag("--drop", options->drop, "Drop the target schemas first (CASCADE)");
    command->add_flag("--continue-on-error", options->continue_on_error,
                      "Go on after failed statements and rows (each is reported)");
    command->callback([&context, options] {
        context.run = [options] { return run_transfer(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_transfer_command)

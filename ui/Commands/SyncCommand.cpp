// `dizezida-postgresql sync --source SERVER --target SERVER (--structure |
// --data) --schema NAME [--target-schema NAME] [--table NAME]... [--dry-run]
// [--continue-on-error]`: brings a schema of the target into line with a
// schema of the source. --dry-run prints what would run and changes
// nothing. Otherwise the flags become the job's typed plan
// (Transform/SyncPlan.hpp) and the job runs on a worker thread
// (ui/JobRunner.hpp) while stderr shows the steps done and failed (on a
// terminal), then a summary; the exit status is 0 only when nothing
// failed. With --data the named tables (or every
// table of the schema) are compared row by row by primary key and written
// in the order of the target's foreign keys; --dry-run prints the
// statements in that order, and on stderr per table the rows to insert,
// update and delete.
#include "ui/CatalogReader.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/JobRunner.hpp"
#include "ui/Session.hpp"

#include "Model/MetaModel.hpp"
#include "Transform/StructureSynchronizer.hpp"
#include "Transform/UserdataSynchronizer.hpp"
#include "provider/Contracts/DataSetModel.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;
using Transform::Synchronizer;
using Session = std::shared_ptr<Supports::Database::ConnectionImpl>;

struct SyncOptions {
    std::string source, target, schema, target_schema;
    std::vector<std::string> tables;
    bool structure = false;
    bool data = false;
    bool dry_run = false;
    bool continue_on_error = false;
};

/// The job's plan: both schemas, continue-on-error, and the named tables.
Transform::SyncPlan job_plan(const SyncOptions& options, const std::string& source_database,
                             const std::string& target_database) {
    Transform::SyncPlan plan;
    plan.source_database = source_database;
    plan.source_schema = options.schema;
    plan.target_database = target_database;
    plan.target_schema = options.target_schema.empty() ? options.schema : options.target_schema;
    plan.go_on = options.continue_on_error;
    for (const std::string& table : options.tables)
        plan.objects.emplace("table", table);
    return plan;
}

/// Every object of the loaded schema pair takes part.
void take_every_object(Transform::StructureSynchronizer& job) {
    Transform::SyncPlan plan = job.plan();
    for (const auto& schema : {job.get_schema_source(), job.get_schema_target()})
        for (const auto& object : schema->objects())
            plan.objects.emplace(Dizezida::Zozuvoru::Contracts::to_string(object->character()),
                                 object->get_name());
    job.set_plan(std::move(plan));
}

/// Runs the job (ui/JobRunner.hpp), its progress counted in `unit`s
/// (statements or rows); prints the summary. True when nothing failed.
bool run_job(Synchronizer& job, std::string_view unit = "statements") {
    const auto counters = Dizezida::Rezizida::run_job(
        "sync", job, [unit](const Dizezida::Rezizida::JobCounters& now) {
            return fmt::format("{} {}, {} failed, {} s", now.processed, unit, now.failed,
                               now.seconds);
        });
    std::cerr << "sync: " << counters.succeeded << ' ' << unit << " done, " << counters.failed
              << " failed in " << counters.seconds << " s\n";
    return counters.failed == 0;
}

int run_structure(const SyncOptions& options, const Transform::SyncPlan& plan,
                  const Session& source, const Session& target) {
    Transform::StructureSynchronizer job(plan);
    job.set_server_source(source);
    job.set_server_target(target);
    job.set_progress(Contracts::ThreadProgress::create());
    if (auto loaded = job.initialize(); !loaded) {
        std::cerr << "sync: " << loaded.error().message << '\n';
        return 1;
    }
    if (options.tables.empty())
        take_every_object(job);
    if (options.dry_run) {
        auto statements = job.generate();
        if (!statements) {
            std::cerr << "sync: " << statements.error().message << '\n';
            return 1;
        }
        for (const std::string& statement : *statements)
            std::cout << statement << ";\n";
        std::cerr << "sync: " << statements->size() << " statements (dry run, nothing changed)\n";
        return 0;
    }
    return run_job(job) ? 0 : 1;
}

/// The rows of the named tables, or of every table of the schema.
int run_data(const SyncOptions& options, const Transform::SyncPlan& plan, const Session& source,
             const Session& target) {
    Transform::UserdataSynchronizer job(plan);
    job.set_server_source(source);
    job.set_server_target(target);
    job.set_progress(Contracts::ThreadProgress::create());
    if (auto loaded = job.initialize(); !loaded) {
        std::cerr << "sync: " << loaded.error().message << '\n';
        return 1;
    }
    if (!options.dry_run)
        return run_job(job, "rows") ? 0 : 1;
    auto differences = job.compare();
    if (!differences) {
        std::cerr << "sync: " << differences.error().message << '\n';
        return 1;
    }
    auto statements = job.statements(*differences);
    if (!statements) {
        std::cerr << "sync: " << statements.error().message << '\n';
        return 1;
    }
    for (const std::string& statement : *statements)
        std::cout << statement << ";\n";
    if (!job.notice().empty())
        std::cerr << "sync: " << job.notice() << '\n';
    std::size_t rows = 0;
    for (const auto& table : job.get_dataset_source()->get_tables()) {
        Transform::DataCounts counts;
        for (const auto& difference : *differences)
            if (difference->get_name() == table->get_name())
                counts = Transform::count_marks(*difference);
        std::cerr << "sync: " << table->get_name() << ": " << counts.insert << " to insert, "
                  << counts.update << " to update, " << counts.remove << " to delete\n";
        rows += counts.insert + counts.update + counts.remove;
    }
    std::cerr << "sync: " << rows << " rows differ (dry run, nothing changed)\n";
    return 0;
}

int run_sync(const SyncOptions& options) {
    if (options.structure == options.data) {
        std::cerr << "sync: give one of --structure and --data\n";
        return 2;
    }
    const auto sessions = Dizezida::Rezizida::open_sessions(options.source, options.target);
    if (!sessions)
        return 1;
    const auto plan =
        job_plan(options, Dizezida::Rezizida::database_name(*sessions->source, "sync"),
                 Dizezida::Rezizida::database_name(*sessions->target, "sync"));
    const int status = options.structure
                           ? run_structure(options, plan, sessions->source, sessions->target)
                           : run_data(options, plan, sessions->source, sessions->target);
    if (Dizezida::Rezizida::interrupted_status() == 0)
        return status;
    return Dizezida::Rezizida::report_interruption(
        "sync", options.dry_run ? "the comparison stopped; nothing changed"
                                : "the changes were rolled back; the target is unchanged");
}

void add_sync_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<SyncOptions>();
    CLI::App* command = app.add_subcommand(
        "sync", "Bring a schema of the target into line with a schema of the source");
    command->add_option("--source", options->source, Dizezida::Rezizida::k_server_help)
        ->required();
    command->add_option("--target", options->target, Dizezida::Rezizida::k_server_help)
        ->required();
    command->add_flag("--structure", options->structure, "Synchronise object definitions");
    command->add_flag("--data", options->data, "Synchronise the rows of tables");
    command->add_option("--schema", options->schema, "The source schema")->required();
    command->add_option("--target-schema", options->target_schema,
                        "The target schema (default: the source schema's name)");
    command->add_option("--table", options->tables,
                        "Only this table (repeatable; default: every object)");
    command->add_flag("--dry-run", options->dry_run, "Print what would run; change nothing");
    command->add_flag("--continue-on-error", options->continue_on_error,
                      "Go on after a failed statement (each under its own savepoint)");
    command->callback([&context, options] {
        context.run = [options] { return run_sync(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_sync_command)

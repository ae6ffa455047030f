// `dizezida-postgresql diff --source SERVER --target SERVER [--schema NAME]...
// [--source-schema A --target-schema B] [-o FILE] [--exit-code]`:
// reads both catalogs, compares the schemas and writes the script that makes
// the target's schemas equal to the source's, with a summary of the changes
// on stderr. No differences: an empty script and "no differences". Owners
// are left as the target has them.
#include "ui/CatalogReader.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/OutputFile.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IBuildable.hpp"
#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Transform/Patcher.hpp"
#include "Transform/SchemaMove.hpp"

#include <CLI/CLI.hpp>

#include <future>

#include <iostream>
#include <map>
#include <set>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;
using MetaModel::DataVersion;

struct DiffOptions {
    std::string source, target, source_schema, target_schema, output;
    std::vector<std::string> schemas;
    bool exit_code = false;
};

/// What one side holds: its schemas, moved to the target's names.
std::shared_ptr<MetaModel::MetaDatabase>
side(const std::shared_ptr<MetaModel::MetaDatabase>& read, const std::string& database,
     const std::string& rename_from, const std::string& rename_to) {
    auto result = MetaModel::MetaDatabase::with_name(database);
    const auto found = read->get_attributes().find(MetaModel::Keys::extension);
    if (found != read->get_attributes().end())
        result->get_attributes()[MetaModel::Keys::extension] = found->second;
    for (const auto& schema : read->get_schemas()) {
        if (rename_from.empty() || schema->get_name() != rename_from) {
            // The read model is not used again: moved in place, far cheaper.
            Transform::localize_schema(*schema, database, false);
            result->get_schemas().push_back(schema);
        } else if (auto moved = Transform::moved_schema(*schema, database, rename_to, false)) {
            result->get_schemas().push_back(moved);
        }
    }
    return result;
}

/// One stderr line per object that changes, and the counts; true when any.
bool summarise(const MetaModel::MetaDatabase& difference) {
    std::map<DataVersion, int> counts;
    const auto line = [&](DataVersion mark, const std::string& kind, const std::string& name) {
        const char* sign = mark == DataVersion::APPEND   ? "+"
                           : mark == DataVersion::REMOVE ? "-"
                                                         : "~";
        std::cerr << sign << ' ' << kind << ' ' << name << '\n';
        ++counts[mark];
    };
    if (!difference.diff().empty())
        line(DataVersion::CHANGE, "database", difference.get_name());
    if (const auto before = difference.slice().find("attributes.EXTENSION");
        before != difference.slice().end()) {
        const auto names = [](const std::string& list) {
            std::set<std::string> found;
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t end = std::min(list.find(',', at), list.size());
                const std::string item = list.substr(at, end - at);
                if (!item.empty())
                    found.insert(item.substr(0, item.find('=')));
                at = end + 1;
            }
            return found;
        };
        const auto found = difference.get_attributes().find(MetaModel::Keys::extension);
        const auto had = names(before->second);
        const auto wanted = names(found == difference.get_attributes().end() ? "" : found->second);
        for (const std::string& name : wanted)
            if (!had.count(name))
                line(DataVersion::APPEND, "extension", name);
        for (const std::string& name : had)
            if (!wanted.count(name) && name != "plpgsql")
                line(DataVersion::REMOVE, "extension",
                     name + " (dropped without CASCADE: an object that still needs it stops the script)");
    }
    for (const auto& schema : difference.get_schemas()) {
        if (schema->get_version() != DataVersion::CHANGE) {
            line(schema->get_version(), "schema", schema->get_name());
            continue;
        }
        if (schema->diff().count("comment"))
            line(DataVersion::CHANGE, "schema", schema->get_name());
        const auto each = [&](const auto& list, const std::string& kind) {
            for (const auto& object : list)
                if (object->get_version() != DataVersion::EQUAL)
                    line(object->get_version(), kind, schema->get_name() + "." + object->get_name());
        };
        each(schema->get_types(), "type");
        each(schema->get_sequences(), "sequence");
        each(schema->get_functions(), "function");
        each(schema->get_procedures(), "procedure");
        each(schema->get_tables(), "table");
        each(schema->get_views(), "view");
        each(schema->get_miews(), "materialized view");
    }
    const int total =
        counts[DataVersion::APPEND] + counts[DataVersion::CHANGE] + counts[DataVersion::REMOVE];
    if (total == 0)
        return false;
    std::cerr << counts[DataVersion::APPEND] << " added, " << counts[DataVersion::CHANGE]
              << " changed, " << counts[DataVersion::REMOVE] << " dropped\n";
    return true;
}

int run_diff(const DiffOptions& options) {
    if (options.source_schema.empty() != options.target_schema.empty()) {
        std::cerr << "diff: --source-schema and --target-schema go together\n";
        return 2;
    }
    const bool renamed = !options.source_schema.empty();
    const auto sessions = Dizezida::Rezizida::open_sessions(options.source, options.target);
    if (!sessions)
        return 1;
    Dizezida::Rezizida::CatalogSelection source_selection{
        renamed ? std::vector<std::string>{options.source_schema} : options.schemas, "", false, true};
    Dizezida::Rezizida::CatalogSelection target_selection{
        renamed ? std::vector<std::string>{options.target_schema} : options.schemas, "", false, true};
    // Both catalogs at once, each on its own session.
    auto source_read = std::async(std::launch::async, [&] {
        return Dizezida::Rezizida::read_catalog(*sessions->source, source_selection, "diff");
    });
    const auto target_model = std::dynamic_pointer_cast<MetaModel::MetaDatabase>(
        Dizezida::Rezizida::read_catalog(*sessions->target, target_selection, "diff"));
    const auto source_model =
        std::dynamic_pointer_cast<MetaModel::MetaDatabase>(source_read.get());
    if (!source_model || !target_model)
        return 1;
    const std::string database = target_model->get_name();
    const auto wanted = side(source_model, database, options.source_schema, options.target_schema);
    const auto current = side(target_model, database, "", "");

    std::shared_ptr<MetaModel::MetaDatabase> difference;
    Transform::Patcher().diff_meta_database(wanted, current, false, difference);
    std::string script;
    const bool differs = difference && summarise(*difference);
    if (differs) {
        script = sessions->target->builder()->patch_script(difference);
    } else {
        std::cerr << "no differences\n";
    }
    if (!Dizezida::Rezizida::write_output(script, options.output, "diff"))
        return 1;
    return differs && options.exit_code ? 3 : 0;
}

void add_diff_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* command = app.add_subcommand(
        "diff", "Write the script that makes the target's schemas equal to the source's");
    command->add_option("--source", options->source, Dizezida::Rezizida::k_server_help)
        ->required();
    command->add_option("--target", options->target, Dizezida::Rezizida::k_server_help)
        ->required();
    command->add_option("--schema", options->schemas,
                        "Only this schema (repeatable; default: every user schema)");
    command->add_option("--source-schema", options->source_schema,
                        "Compare this schema of the source ...");
    command->add_option("--target-schema", options->target_schema,
                        "... with this schema of the target");
    command->add_option("-o,--output", options->output, "Write the script to FILE instead of stdout")
        ->check(Dizezida::Rezizida::output_path());
    command->add_flag("--exit-code", options->exit_code,
                      "Exit with 3 when there are differences (0 otherwise)");
    command->callback([&context, options] {
        context.run = [options] { return run_diff(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_diff_command)

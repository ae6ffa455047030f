// `dizezida-postgresql import --server SERVER --table SCHEMA.TABLE [--format
// FORMAT] [--action ACTION] [--columns LIST] [--option KEY=VALUE]...
// [--stop-on-error] [--errors FILE] FILE`: imports a CSV, TSV, JSON or XML file
// into a table in one transaction; `import --preview N FILE` prints the
// first N rows as read, without a server. The file's columns go to the
// table's columns of the same name (by position when a delimited file has
// no header), or as --columns lists them. Failed rows are reported with
// their row number and the server's message; the exit status is 0 only
// when every row was imported.
#include "ui/CatalogReader.hpp"
#include "ui/DataFormats.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/OutputFile.hpp"
#include "ui/RowProgress.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "Model/MetaColumn.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Data/Extractors/DsvText.hpp"
#include "Supports/Data/Extractors/ImportingExtractor.hpp"
#include "core/AtomicFile.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;
using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Dizezida::Rezizida::k_usage_error;

struct ImportOptions {
    std::string server;
    std::string table;
    std::string format;
    std::string action = "append";
    std::string columns;
    std::vector<std::string> options;
    bool stop_on_error = false;
    std::string errors;
    std::string file;
    std::int64_t preview = -1;
};

int fail(const std::string& message, int status = 1) {
    std::cerr << "import: " << message << '\n';
    return status;
}

/// Maps the table's columns to the file's: by --columns (one table column
/// per file column, "-" or "" to skip one), by name, or by position for
/// files whose columns have no names. A message for what cannot be mapped.
std::optional<std::string> map_columns(MetaModel::MetaTable& table,
                                       const std::vector<std::string>& file_columns,
                                       const std::string& listed, bool named) {
    const auto column_named = [&](const std::string& name) -> MetaModel::MetaColumn* {
        for (const auto& column : table.get_columns())
            if (column->get_name() == name)
                return column.get();
        return nullptr;
    };
    if (!listed.empty()) {
        std::vector<std::string> targets;
        for (std::size_t start = 0; start <= listed.size();) {
            const std::size_t comma = std::min(listed.find(',', start), listed.size());
            targets.push_back(listed.substr(start, comma - start));
            start = comma + 1;
        }
        if (targets.size() > file_columns.size())
            return fmt::format("--columns names {} columns; the file has {}", targets.size(),
                               file_columns.size());
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (targets[i].empty() || targets[i] == "-")
                continue;
            MetaModel::MetaColumn* column = column_named(targets[i]);
            if (!column)
                return fmt::format("the table has no column {}", targets[i]);
            set_source(*column, file_columns[i]);
        }
        return std::nullopt;
    }
    if (!named) {
        const auto& columns = table.get_columns();
        for (std::size_t i = 0; i < file_columns.size() && i < columns.size(); ++i)
            set_source(*columns[i], file_columns[i]);
        return std::nullopt;
    }
    for (const std::string& name : file_columns) {
        if (MetaModel::MetaColumn* column = column_named(name))
            set_source(*column, name);
        else
            std::cerr << "import: the file's column " << name
                      << " matches no column of the table; it is left out\n";
    }
    return std::nullopt;
}

/// The failed rows as CSV (row,message), written whole.
bool write_errors(const std::string& file,
                  const std::vector<std::pair<std::uint64_t, std::string>>& errors) {
    DsvMarks marks;
    std::string text = "row,message\n";
    for (const auto& [row, message] : errors) {
        text += std::to_string(row) + ',';
        marks.append_text(text, message);
        text += '\n';
    }
    auto written = Dizezida::Core::write_file_atomically(
        file, text, Dizezida::Core::AtomicFile::default_mode());
    if (!written)
        std::cerr << "import: " << written.error().message << '\n';
    return written.has_value();
}

int run_preview(ImportingExtractor& importer, std::int64_t rows) {
    auto model = importer.load_from_file(rows);
    if (!model)
        return fail(model.error().message);
    Dizezida::Rezizida::print_aligned_table(**model, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int run_import(const ImportOptions& options) {
    std::string format = options.format.empty()
                             ? Dizezida::Rezizida::format_of_file(options.file)
                             : options.format;
    auto importer = Dizezida::Rezizida::importer_for(format);
    if (!importer)
        return fail(format.empty() ? std::string("give --format (") +
                                         Dizezida::Rezizida::k_import_formats + ")"
                                   : "unknown format \"" + format + "\" (" +
                                         Dizezida::Rezizida::k_import_formats + ")",
                    k_usage_error);
    for (const std::string& option : options.options) {
        const auto equals = option.find('=');
        if (equals == std::string::npos || equals == 0)
            return fail("--option takes KEY=VALUE, not \"" + option + "\"", k_usage_error);
        importer->get_options()[option.substr(0, equals)] = option.substr(equals + 1);
    }
    importer->get_options()["FILENAME"] = options.file;
    if (options.preview >= 0)
        return run_preview(*importer, options.preview);
    if (options.table.empty())
        return fail("give --table SCHEMA.TABLE (or --preview N)", k_usage_error);
    importer->get_options()["ACTION"] = options.action;
    importer->get_options().erase("COLUMNS");
    importer->set_continue_on_error(!options.stop_on_error);

    // The file's column names, from its first record.
    auto first = importer->load_from_file(1);
    if (!first)
        return fail(first.error().message);
    std::vector<std::string> file_columns;
    for (const auto& column : (*first)->get_columns())
        file_columns.push_back(column->get_name());
    const bool named = format == "json" || importer->option("HAS_HEADER").empty() ||
                       importer->option("HAS_HEADER") == "true";

    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    auto model = Dizezida::Rezizida::read_catalog(**connection, {{}, options.table, false}, "import");
    auto table = std::dynamic_pointer_cast<MetaModel::MetaTable>(model);
    if (!table) {
        (*connection)->close();
        return 1;
    }
    if (auto problem = map_columns(*table, file_columns, options.columns, named)) {
        (*connection)->close();
        return fail(*problem, k_usage_error);
    }

    Dizezida::Rezizida::RowProgress progress("imported");
    std::vector<std::pair<std::uint64_t, std::string>> errors;
    auto counts = importer->import_file(
        **connection, *table,
        [&](std::uint64_t, std::uint64_t row, std::string_view) { progress.update(row); },
        [&](std::uint64_t row, const Dizezida::Core::Error& error) {
            std::cerr << "\rimport: row " << row << ": " << error.message << '\n';
            errors.emplace_back(row, error.message);
        });
    (*connection)->close();
    if (Dizezida::Rezizida::interrupted_status() != 0) {
        progress.finish(0);
        return Dizezida::Rezizida::report_interruption(
            "import", "nothing was imported (the transaction was rolled back)");
    }
    const bool errors_written = options.errors.empty() || write_errors(options.errors, errors);
    if (!counts) {
        progress.finish(0);
        if (errors.empty() || errors.back().second != counts.error().message)
            std::cerr << "import: " << counts.error().message << '\n';
        std::cerr << "import: nothing was imported (the transaction was rolled back)\n";
        return 1;
    }
    std::cerr << fmt::format("imported {} rows, {} failed\n", counts->imported, counts->failed);
    return counts->failed == 0 && errors_written ? 0 : 1;
}

void add_import_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* command = app.add_subcommand(
        "import", "Import a CSV, TSV, JSON or XML file into a table (one transaction)");
    command->add_option("--server", options->server,
                        "libpq connection string or URI (PG* variables and ~/.pgpass apply)");
    command->add_option("--table", options->table, "The table to import into, as SCHEMA.TABLE");
    command->add_option("--format", options->format,
                        "csv, tsv, json or xml (default: the file's extension)");
    command->add_option("--action", options->action,
                        "append (default) or replace: insert every row; update, delete: by the "
                        "primary key; merge: update, else insert")
        ->check(CLI::IsMember({"append", "replace", "update", "delete", "merge"}));
    command->add_option("--columns", options->columns,
                        "The table column of each file column in order, comma-separated (- or "
                        "empty skips one); default: by name");
    command->add_option("--option", options->options,
                        "KEY=VALUE (repeatable): DELIMITER_COLUMN, DELIMITER_ROWNEW, "
                        "HAS_HEADER=true|false, NULL_VALUE, QUOTATION_LIST=L-R-ESCL-ESCR, "
                        "ROW_PREFIX, ROW_SUFFIX, ENCODING (of the file, default UTF-8)");
    command->add_flag("--stop-on-error", options->stop_on_error,
                      "Stop at the first failing row and import nothing");
    command->add_option("--errors", options->errors, "Write the failed rows (row,message) as CSV")
        ->check(Dizezida::Rezizida::output_path());
    command->add_option("--preview", options->preview,
                        "Print the first N rows as read, without a server");
    command->add_option("file", options->file, "The file to import")->required();
    command->callback([&context, options] {
        context.run = [options] { return run_import(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_import_command)

// `dizezida-postgresql export --server SERVER (--table SCHEMA.TABLE | --query
// SQL) --format FORMAT [--option KEY=VALUE]... [-o FILE]`: streams the rows
// of a table or a query through an extractor to stdout or to a file (written
// whole or not at all). The rows are read in chunks, so memory stays bounded
// whatever their number; the count goes to stderr at the end.
#include "ui/DataFormats.hpp"
#include "ui/FrontEnd.hpp"
#include "ui/Interruption.hpp"
#include "ui/OutputFile.hpp"
#include "ui/RowProgress.hpp"
#include "ui/Session.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Data/Extractors/DsvExtractor.hpp"
#include "Supports/Data/Extractors/ExportStream.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/AtomicFile.hpp"

#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Dovodarud;
using namespace Dizezida::Dovodarud::Supports::Data::Extractors;
using Supports::Database::sql_name;

constexpr std::size_t k_chunk_rows = 5000;

struct ExportOptions {
    std::string server;
    std::string table;
    std::string query;
    std::string format;
    std::vector<std::string> options;
    std::string output;
};

/// The names of the table's primary key, quoted and comma-separated ("" for
/// none); an error when the catalog cannot say.
Dizezida::Core::Result<std::string> primary_key_of(Contracts::Database::IConnection& connection,
                                                   const std::vector<std::string>& table) {
    auto keys = connection.explorer()->primary_key(table.size() == 2 ? table[0] : "", table.back());
    if (!keys)
        return Dizezida::Core::fail(std::move(keys).error());
    std::string names;
    for (const std::string& key : *keys)
        names += (names.empty() ? "" : ",") + sql_name(key);
    return names;
}

/// Writes to stdout, or to a file that replaces the target only on commit.
class Output {
public:
    [[nodiscard]] Dizezida::Core::Result<void> open(const std::string& file) {
        if (file.empty())
            return {};
        auto opened =
            Dizezida::Core::AtomicFile::create(file, Dizezida::Core::AtomicFile::default_mode());
        if (!opened)
            return Dizezida::Core::fail(std::move(opened).error());
        m_file.emplace(std::move(*opened));
        return {};
    }
    [[nodiscard]] Dizezida::Core::Result<void> write(std::string_view text) {
        if (m_file)
            return m_file->write(text);
        if (!std::cout.write(text.data(), static_cast<std::streamsize>(text.size())))
            return Dizezida::Core::fail(
                Dizezida::Core::file_error(EIO, "Cannot write to the standard output"));
        return {};
    }
    /// Whether the rows go straight to their reader (no file replaced at the end).
    bool streams() const { return !m_file || m_file->streams(); }
    [[nodiscard]] Dizezida::Core::Result<void> commit() {
        if (m_file)
            return m_file->commit();
        if (!std::cout.flush())
            return Dizezida::Core::fail(
                Dizezida::Core::file_error(EIO, "Cannot write to the standard output"));
        return {};
    }

private:
    std::optional<Dizezida::Core::AtomicFile> m_file;
};

int fail(const std::string& message, int status = 1) {
    std::cerr << "export: " << message << '\n';
    return status;
}

int run_export(const ExportOptions& options) {
    if (options.table.empty() == options.query.empty())
        return fail("give either --table SCHEMA.TABLE or --query SQL", Dizezida::Rezizida::k_usage_error);
    auto extractor = Dizezida::Rezizida::exporter_for(options.format);
    if (!extractor)
        return fail("unknown format \"" + options.format + "\" (" +
                        Dizezida::Rezizida::k_export_formats + ")",
                    Dizezida::Rezizida::k_usage_error);
    for (const std::string& option : options.options) {
        const auto equals = option.find('=');
        if (equals == std::string::npos || equals == 0)
            return fail("--option takes KEY=VALUE, not \"" + option + "\"",
                        Dizezida::Rezizida::k_usage_error);
        extractor->get_options()[option.substr(0, equals)] = option.substr(equals + 1);
    }
    std::string sql = options.query;
    std::string quoted_table;
    std::vector<std::string> table_names;
    if (!options.table.empty()) {
        auto names = parse_names(options.table, '.');
        if (!names || names->size() > 2)
            return fail("--table takes SCHEMA.TABLE (quote names holding a point: \"a.b\".c)",
                        Dizezida::Rezizida::k_usage_error);
        for (const std::string& name : *names)
            quoted_table += (quoted_table.empty() ? "" : ".") + sql_name(name);
        table_names = *names;
        sql = "SELECT * FROM " + quoted_table;
        extractor->get_options().try_emplace("TABLENAME", quoted_table);
    }

    auto connection = Dizezida::Rezizida::open_session(options.server);
    if (!connection)
        return 1;
    if (options.format == "update" && !quoted_table.empty() &&
        !extractor->get_options().contains("KEYS")) {
        // Without the key the statements would find rows by the first column.
        auto keys = primary_key_of(**connection, table_names);
        if (!keys) {
            (*connection)->close();
            return fail(keys.error().message);
        }
        if (!keys->empty())
            extractor->get_options()["KEYS"] = *keys;
    }
    Output output;
    if (auto opened = output.open(options.output); !opened) {
        (*connection)->close();
        return fail(opened.error().message);
    }
    Dizezida::Rezizida::RowProgress progress("exported");
    const auto write = [&](std::string_view text) { return output.write(text); };
    // Delimited text the server's COPY writes byte for byte as the extractor
    // would is left to COPY; everything else streams through the extractor.
    std::optional<Dizezida::Core::Result<std::uint64_t>> rows;
    if (auto dsv = std::dynamic_pointer_cast<DsvExtractor>(extractor))
        rows = dsv->export_by_copy(**connection, sql, write);
    if (!rows) {
        auto reader = (*connection)->execute_reader(sql);
        if (!reader) {
            (*connection)->close();
            return fail(reader.error().message);
        }
        rows = ExportStream::export_reader(*extractor, **reader, write, k_chunk_rows,
                                           [&](std::uint64_t, std::uint64_t row, std::string_view) {
                                               progress.update(row);
                                           });
        (*reader)->close();
    }
    (*connection)->close();
    if (Dizezida::Rezizida::interrupted_status() != 0)
        return Dizezida::Rezizida::report_interruption(
            "export", options.output.empty() || output.streams()
                          ? "the rows written so far are incomplete"
                          : options.output + " was not written");
    if (!*rows)
        return fail(rows->error().message);
    if (auto committed = output.commit(); !committed)
        return fail(committed.error().message);
    progress.finish(**rows);
    return 0;
}

void add_export_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Write the rows of a table or a query as SQL, HTML, Markdown, CSV, TSV, JSON or XML");
    command->add_option("--server", options->server,
                        Dizezida::Rezizida::k_server_help);
    command->add_option("--table", options->table,
                        "The table to export, as SCHEMA.TABLE (also the default TABLENAME)");
    command->add_option("--query", options->query, "The query whose rows to export");
    command->add_option("--format", options->format,
                        "insert: INSERT statements; update: UPDATE statements keyed on the "
                        "table's primary key (or the KEYS option; on the first column when "
                        "neither is known); html: an HTML page; md: a Markdown table; csv, tsv: "
                        "delimited text with a header; json: {\"RECORDS\": [...]}; xml: an XML "
                        "document of RECORD elements")
        ->required();
    command->add_option("--option", options->options,
                        "KEY=VALUE (repeatable): TABLENAME=[SCHEMA.]TABLE, KEYS=COL[,COL...], "
                        "QUOTE_NAMES=double|backquote; csv/tsv: DELIMITER_COLUMN, DELIMITER_ROWNEW, "
                        "HAS_HEADER=true|false, NULL_VALUE, QUOTATION_TIME=ifneed|always, "
                        "QUOTATION_LIST=L-R-ESCL-ESCR, ROW_PREFIX, ROW_SUFFIX; xml: "
                        "STORAGE=attribute (columns as attributes, else child elements), "
                        "NULL_VALUE=TEXT (else NULL is left out)");
    command->add_option("-o,--output", options->output,
                        "Write to FILE (replaced only when the export succeeds) instead of stdout")
        ->check(Dizezida::Rezizida::output_path());
    command->callback([&context, options] {
        context.run = [options] { return run_export(*options); };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_export_command)

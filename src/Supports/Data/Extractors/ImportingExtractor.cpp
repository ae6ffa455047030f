#include "Supports/Data/Extractors/ImportingExtractor.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "Model/MetaTable.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/RowModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include <glib.h>

#include <atomic>
#include <thread>
#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

using Contracts::Database::AsyncCallback;
using Contracts::Database::AsyncResult;
using Contracts::Database::AsyncResultPtr;

Core::Result<ImportCounts> ImportingExtractor::import_with(
    const Reading& reading, Contracts::Database::IConnection& connection,
    const MetaModel::MetaTable& table, const RowProgressCallback& progress,
    const RowErrorHandler& on_error) {
    RowImport import(*this, connection, table, on_error);
    DIZEZIDA_TRY(import.begin());
    const bool empty_null = empty_is_null();
    DIZEZIDA_TRY(reading([&](std::uint64_t number, TextList sources,
                             FieldSpan fields) -> Core::Result<bool> {
        DIZEZIDA_TRY(import.add(number, sources, fields, empty_null));
        if (progress)
            progress(0, number, {});
        return true;
    }));
    return import.finish();
}

Core::Result<ImportCounts> ImportingExtractor::import_file(
    Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
    const RowProgressCallback& progress, const RowErrorHandler& on_error) {
    const std::string filename = option("FILENAME");
    if (filename.empty())
        return Core::fail(
            extractor_error(ExtractorError::Options, "the option FILENAME names no file"));
    return import_with(
        [&](const RecordSink& sink) { return read_file(filename, sink, true); }, connection,
        table, progress, on_error);
}

Core::Result<ImportCounts> ImportingExtractor::import_text(
    std::string_view text, Contracts::Database::IConnection& connection,
    const MetaModel::MetaTable& table, const RowProgressCallback& progress,
    const RowErrorHandler& on_error) {
    return import_with([&](const RecordSink& sink) { return read_text(text, sink, true); },
                       connection, table, progress, on_error);
}

Core::Result<std::shared_ptr<TableModel>> ImportingExtractor::load_with(const Reading& reading,
                                                                        std::int64_t limit) {
    auto model = TableModel::create();
    std::unordered_map<std::string, std::size_t> positions;
    DIZEZIDA_TRY(reading([&](std::uint64_t, TextList sources,
                             FieldSpan fields) -> Core::Result<bool> {
        if (model->get_column_count() == 0) {
            for (const std::string& name : sources) {
                positions.try_emplace(name, model->get_column_count());
                model->add_column(std::make_shared<Zozuvoru::Contracts::ColumnModel>(
                    name, DataType::TEXT));
            }
        }
        std::vector<Zozuvoru::Contracts::ValuePtr> values(model->get_column_count());
        for (std::size_t i = 0; i < sources.size() && i < fields.size(); ++i) {
            const auto found = positions.find(sources[i]);
            if (found == positions.end() || values[found->second])
                continue;
            if (fields[i])
                values[found->second] =
                    Zozuvoru::Contracts::ValueString::create(*fields[i], DataType::TEXT);
        }
        for (auto& value : values)
            if (!value)
                value = Zozuvoru::Contracts::ValueNull::create(DataType::TEXT);
        model->append(std::make_shared<Zozuvoru::Contracts::RowModel>(std::move(values)));
        return limit <= 0 || model->get_row_count() < static_cast<std::uint64_t>(limit);
    }));
    return model;
}

Core::Result<std::shared_ptr<TableModel>> ImportingExtractor::load_from_file(
    std::int64_t records_limit) {
    const std::string filename = option("FILENAME");
    if (filename.empty())
        return Core::fail(
            extractor_error(ExtractorError::Options, "the option FILENAME names no file"));
    return load_with([&](const RecordSink& sink) { return read_file(filename, sink, false); },
                     records_limit);
}

Core::Result<std::shared_ptr<TableModel>> ImportingExtractor::load_from_text(
    std::string_view textbuffer, std::int64_t records_limit) {
    return load_with([&](const RecordSink& sink) { return read_text(textbuffer, sink, false); },
                     records_limit);
}

// ---- asynchronous imports ---------------------------------------------------------------------

namespace {

/// A finished import waiting for the main loop.
struct ImportJob {
    AsyncResultPtr result;
    AsyncCallback callback;
    std::shared_ptr<Core::Object> keep; ///< the extractor, alive until completion
    /// Set by the worker after the result: the main loop reads the result
    /// only after seeing it, an order race detectors can follow (the main
    /// loop's own locks order it too, but out of their sight).
    std::atomic<bool> settled{false};
};

} // namespace

void ImportingExtractor::start_import(std::string_view operation,
                                      std::function<Core::Result<std::int64_t>()> work,
                                      AsyncCallback callback) {
    auto job = new ImportJob{std::make_shared<AsyncResult>(operation), std::move(callback),
                             shared_from_this()};
    std::thread([job, work = std::move(work)] {
        auto rows = work();
        if (rows)
            job->result->set_value(*rows);
        else
            job->result->set_error(rows.error());
        job->settled.store(true, std::memory_order_release);
        g_idle_add_full(
            G_PRIORITY_DEFAULT_IDLE,
            [](gpointer data) -> gboolean {
                auto* done = static_cast<ImportJob*>(data);
                (void)done->settled.load(std::memory_order_acquire); // pairs with the release
                if (done->callback)
                    done->callback(done->result);
                return G_SOURCE_REMOVE;
            },
            job, [](gpointer data) { delete static_cast<ImportJob*>(data); });
    }).detach();
}

Core::Result<std::int64_t> ImportingExtractor::finish_import(std::string_view operation,
                                                             const AsyncResultPtr& result) {
    if (!result || result->operation() != operation) {
        Core::precondition_failed(__func__, "result of this operation");
        return Core::fail(extractor_error(ExtractorError::Options, "not this import's result"));
    }
    if (result->failed())
        return Core::fail(result->error());
    return std::any_cast<std::int64_t>(result->value());
}

void ImportingExtractor::import_from_file(
    std::shared_ptr<Contracts::Database::IConnection> connection,
    std::shared_ptr<MetaModel::MetaTable> table, RowProgressCallback progress,
    AsyncCallback callback) {
    DIZEZIDA_RETURN_IF_NULL(connection);
    DIZEZIDA_RETURN_IF_NULL(table);
    start_import(
        "import_from_file",
        [this, connection, table, progress]() -> Core::Result<std::int64_t> {
            auto counts = import_file(*connection, *table, progress, {});
            if (!counts)
                return Core::fail(std::move(counts).error());
            return static_cast<std::int64_t>(counts->imported);
        },
        std::move(callback));
}

Core::Result<std::int64_t> ImportingExtractor::import_from_file_finish(
    const AsyncResultPtr& result) {
    return finish_import("import_from_file", result);
}

void ImportingExtractor::import_from_text(
    std::string textbuffer, std::shared_ptr<Contracts::Database::IConnection> connection,
    std::shared_ptr<MetaModel::MetaTable> table, RowProgressCallback progress,
    AsyncCallback callback) {
    DIZEZIDA_RETURN_IF_NULL(connection);
    DIZEZIDA_RETURN_IF_NULL(table);
    start_import(
        "import_from_text",
        [this, text = std::move(textbuffer), connection, table,
         progress]() -> Core::Result<std::int64_t> {
            auto counts = import_text(text, *connection, *table, progress, {});
            if (!counts)
                return Core::fail(std::move(counts).error());
            return static_cast<std::int64_t>(counts->imported);
        },
        std::move(callback));
}

Core::Result<std::int64_t> ImportingExtractor::import_from_text_finish(
    const AsyncResultPtr& result) {
    return finish_import("import_from_text", result);
}

const Core::TypeInfo& ImportingExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<ImportingExtractor, BaseExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsImportingExtractor", {},
        {&Contracts::Data::IImporter::static_type()});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

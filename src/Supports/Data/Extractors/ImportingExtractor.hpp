// The base of the extractors that also read: a file or a text becomes
// records (source column names and fields, NULL kept apart from the empty
// text), which either fill a result model (preview) or go into a table
// through RowImport. The formats supply only the reading.
//
// The asynchronous imports run on a worker thread and complete on the main
// loop; the progress callback and the row error handler are called on the
// worker. One operation at a time per extractor.
#pragma once

#include "Contracts/Data/IImporter.hpp"
#include "Supports/Data/Extractors/RowImport.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// Takes one record: its number, names and fields (index for index); false
/// stops the reading early, an error ends it.
using RecordSink = std::function<Core::Result<bool>(std::uint64_t number, TextList source_columns,
                                                    FieldSpan fields)>;

class ImportingExtractor : public BaseExtractor, public Contracts::Data::IImporter {
    DIZEZIDA_OBJECT(ImportingExtractor)
public:
    using BaseExtractor::BaseExtractor;

    void import_from_file(std::shared_ptr<Contracts::Database::IConnection> connection,
                          std::shared_ptr<MetaModel::MetaTable> table,
                          RowProgressCallback progress,
                          Contracts::Database::AsyncCallback callback) override;
    [[nodiscard]] Core::Result<std::int64_t>
    import_from_file_finish(const Contracts::Database::AsyncResultPtr& result) override;
    void import_from_text(std::string textbuffer,
                          std::shared_ptr<Contracts::Database::IConnection> connection,
                          std::shared_ptr<MetaModel::MetaTable> table,
                          RowProgressCallback progress,
                          Contracts::Database::AsyncCallback callback) override;
    [[nodiscard]] Core::Result<std::int64_t>
    import_from_text_finish(const Contracts::Database::AsyncResultPtr& result) override;
    /// The records of "FILENAME" as a model of text columns named by the
    /// first record; later records are matched by name (missing: NULL). An
    /// input without records gives a model without columns.
    [[nodiscard]] Core::Result<std::shared_ptr<TableModel>>
    load_from_file(std::int64_t records_limit) override;
    [[nodiscard]] Core::Result<std::shared_ptr<TableModel>>
    load_from_text(std::string_view textbuffer, std::int64_t records_limit) override;

    /// The import of "FILENAME", synchronously; rows that failed go to
    /// `on_error` (see RowImport for the transaction and the counts).
    [[nodiscard]] Core::Result<ImportCounts>
    import_file(Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
                const RowProgressCallback& progress, const RowErrorHandler& on_error);
    [[nodiscard]] Core::Result<ImportCounts>
    import_text(std::string_view text, Contracts::Database::IConnection& connection,
                const MetaModel::MetaTable& table, const RowProgressCallback& progress,
                const RowErrorHandler& on_error);

protected:
    /// Reads a file / a text and hands each record to `sink`. `for_import`
    /// says whether the records are imported (option "COLUMNS" may name the
    /// source columns) or loaded.
    [[nodiscard]] virtual Core::Result<void> read_file(const std::string& filename,
                                                       const RecordSink& sink,
                                                       bool for_import) = 0;
    [[nodiscard]] virtual Core::Result<void> read_text(std::string_view text,
                                                       const RecordSink& sink,
                                                       bool for_import) = 0;
    /// Whether an empty or blank field counts as NULL on import.
    virtual bool empty_is_null() const { return false; }

private:
    using Reading = std::function<Core::Result<void>(const RecordSink&)>;
    [[nodiscard]] Core::Result<ImportCounts>
    import_with(const Reading& reading, Contracts::Database::IConnection& connection,
                const MetaModel::MetaTable& table, const RowProgressCallback& progress,
                const RowErrorHandler& on_error);
    [[nodiscard]] Core::Result<std::shared_ptr<TableModel>> load_with(const Reading& reading,
                                                                      std::int64_t limit);
    void start_import(std::string_view operation, std::function<Core::Result<std::int64_t>()> work,
                      Contracts::Database::AsyncCallback callback);
    [[nodiscard]] Core::Result<std::int64_t>
    finish_import(std::string_view operation, const Contracts::Database::AsyncResultPtr& result);
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

// A result as delimiter-separated text (CSV by default, TSV with a tab
// separator), read back into a model for preview or imported into a table.
// The options "DELIMITER_COLUMN", "DELIMITER_ROWNEW", "HAS_HEADER",
// "ROW_PREFIX", "ROW_SUFFIX", "NULL_VALUE", "QUOTATION_LIST",
// "QUOTATION_TIME" drive writing and reading alike (see DsvText), so what is
// written with given options reads back the same. "ENCODING" names the
// character set of a file read (UTF-8 by default).
#pragma once

#include "Supports/Data/Extractors/DsvText.hpp"
#include "Supports/Data/Extractors/ImportingExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

class DsvExtractor : public ImportingExtractor {
    DIZEZIDA_OBJECT(DsvExtractor)
public:
    explicit DsvExtractor(std::string file_extention = "csv")
        : ImportingExtractor(std::move(file_extention)) {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;

    /// The text of one row, row end included.
    std::string build_dsv_from_row(const TableModel& model, std::size_t index);

protected:
    [[nodiscard]] Core::Result<void> read_file(const std::string& filename,
                                               const RecordSink& sink, bool for_import) override;
    [[nodiscard]] Core::Result<void> read_text(std::string_view text, const RecordSink& sink,
                                               bool for_import) override;

private:
    /// Reads the rows `feed` gives (it returns false at the end of the input).
    [[nodiscard]] Core::Result<void>
    read_rows(const std::function<Core::Result<bool>(DsvReader&)>& feed, const RecordSink& sink,
              bool for_import);

    DsvMarks m_marks;
    std::string m_scratch;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

// A result as an XML document, read back into a model for preview or
// imported into a table.
//
// Layout: the declaration (version 1.0, UTF-8), the root element "RECORDS",
// one "RECORD" per row, indented by four spaces. With the option "STORAGE"
// "attribute" each column is an attribute of its RECORD, otherwise a child
// element. Names and values pass through XmlText, so any column name that
// has no control character and any value make a well-formed document and
// read back unchanged; duplicate column names get "_1", "_2" ... suffixes.
//
// NULL: with an empty "NULL_VALUE" (the default) a NULL is left out (no
// element, no attribute) and an empty element or attribute is the empty
// text; otherwise a NULL is written as that text, and a value equal to it
// is marked so that it does not read as NULL.
//
// Reading takes both forms (also mixed), in any indentation, elements empty
// or self-closed; a field a record lacks is NULL. A load reads the whole
// document once for the column names (the first record may lack some) and
// then the records; an import reads it once, taking the fields the option
// "COLUMNS" names. Malformed XML anywhere fails the load or the import.
//
// One operation at a time; the export's writer lives from `begin_rows` to
// `end_rows`.
#pragma once

#include "Supports/Data/Extractors/ImportingExtractor.hpp"

#include <memory>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

class XmlExtractor : public ImportingExtractor {
    DIZEZIDA_OBJECT(XmlExtractor)
public:
    explicit XmlExtractor(std::string file_extention = "xml");
    ~XmlExtractor() override;

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;
    std::string end_rows(std::uint64_t rows) override;

protected:
    [[nodiscard]] Core::Result<void> read_file(const std::string& filename, const RecordSink& sink,
                                               bool for_import) override;
    [[nodiscard]] Core::Result<void> read_text(std::string_view text, const RecordSink& sink,
                                               bool for_import) override;

private:
    struct Writer;
    std::unique_ptr<Writer> m_writer;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

// A result as a JSON document {"RECORDS": [{column: value, ...}, ...]},
// read back into a model for preview or imported into a table.
//
// Writing: NULL is null whatever the column's type; booleans are true and
// false; integers and numbers are JSON numbers holding the server's exact
// text (a numeric is never rounded through a double; NaN and the
// infinities, which JSON numbers cannot hold, are strings); everything else
// is a string. Duplicate column names get a suffix ("a", "a_1") so that
// every value keeps its member. Reading is streamed (records are handed on
// as they end) and maps members by name: numbers keep their text, true and
// false become "true" and "false", null is NULL, and a nested object or
// array becomes its JSON text.
#pragma once

#include "Supports/Data/Extractors/ImportingExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// The error domain of malformed documents ("JSON", code -1).
inline constexpr const char* k_json_error_domain = "JSON";

class JsonExtractor : public ImportingExtractor {
    DIZEZIDA_OBJECT(JsonExtractor)
public:
    explicit JsonExtractor(std::string file_extention = "json")
        : ImportingExtractor(std::move(file_extention)) {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;
    std::string end_rows(std::uint64_t rows) override;

protected:
    [[nodiscard]] Core::Result<void> read_file(const std::string& filename,
                                               const RecordSink& sink, bool for_import) override;
    [[nodiscard]] Core::Result<void> read_text(std::string_view text, const RecordSink& sink,
                                               bool for_import) override;

private:
    std::vector<std::string> m_members; ///< the quoted member names, duplicates suffixed
    std::string m_scratch;
};

/// Column names made distinct: a repeated name gets "_1", "_2", ... (skipping
/// names already taken).
std::vector<std::string> distinct_names(const std::vector<std::string>& names);

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

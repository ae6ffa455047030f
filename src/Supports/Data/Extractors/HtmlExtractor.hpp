// A result as a table in an HTML page: a header row of column names, then a
// row per result row with each value's text (NULL as an empty cell). Names
// and values are escaped (& < > " '), so no data becomes mark-up.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// Appends `text` to `out` with & < > " ' written as HTML character references.
void append_html_escaped(std::string& out, std::string_view text);

class HtmlExtractor : public BaseExtractor {
    DIZEZIDA_OBJECT(HtmlExtractor)
public:
    explicit HtmlExtractor(std::string file_extention = "html")
        : BaseExtractor(std::move(file_extention)) {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;
    std::string end_rows(std::uint64_t rows) override;

    /// The text of one row: "<tr><td>...</td>...</tr>".
    std::string build_html_from_row(const TableModel& model, std::size_t index);

private:
    std::string m_scratch;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

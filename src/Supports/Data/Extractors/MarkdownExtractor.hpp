// A result as a Markdown table: a header line of column names, a separator
// line, then a line per row (NULL as an empty cell). Numbers keep the
// server's exact text; other values are written as the value helper shows
// them. A bar is written "\|", a backslash "\\" and a line break "<br>", so
// every line has the same number of cells.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// Appends `text` to `out` with | \ and line breaks escaped for a table cell.
void append_markdown_escaped(std::string& out, std::string_view text);

class MarkdownExtractor : public BaseExtractor {
    DIZEZIDA_OBJECT(MarkdownExtractor)
public:
    explicit MarkdownExtractor(std::string file_extention = "md")
        : BaseExtractor(std::move(file_extention)) {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;

    /// The text of one row: "| a | b |".
    std::string build_md_from_row(const TableModel& model, std::size_t index);
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

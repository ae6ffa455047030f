// The data dictionary as one Markdown file: the title, the database facts,
// an index table linking to each table and view, and one section per object
// with a table row per column. No footer.
//
// Cells keep their table shape: "|", "\", "[" and "]" are written with a
// backslash, "<" and "&" as character references (so no text becomes an
// HTML element of the file), and a line break as "<br>". Anchors are
// anchor_id texts.
#pragma once

#include "Supports/Data/Documents/DictionaryDocument.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Documents {

/// Appends `text` escaped for a Markdown table cell as described above.
void append_markdown_text(std::string& out, std::string_view text);

class MarkdownDocument : public DictionaryDocument {
    DIZEZIDA_OBJECT(MarkdownDocument)
protected:
    void make_section(std::string& out, const MetaModel::MetaObject& object,
                      const MetaModel::MetaColumnList& columns) override;
    void begin(std::string& out, const MetaModel::MetaDatabase& database,
               const Configuration& cfg, const std::vector<IndexEntry>& entries) override;
    std::string_view separator() const override { return "\n\n"; }
    void end(std::string&, const Configuration&) override {}
};

} // namespace Dizezida::Dovodarud::Supports::Data::Documents

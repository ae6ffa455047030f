#include "Supports/Data/Documents/MarkdownDocument.hpp"

#include "Model/MetaModel.hpp"
#include "Supports/Data/Extractors/MarkdownExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Documents {
namespace {

std::string escaped(std::string_view text) {
    std::string out;
    append_markdown_text(out, text);
    return out;
}

} // namespace

void MarkdownDocument::make_section(std::string& out, const MetaModel::MetaObject& object,
                                   const MetaModel::MetaColumnList& columns) {
    const std::string schema = escaped(object.get_schema());
    const std::string name = escaped(object.get_name());
    append_translated(out, "## **Table:** <a id='%s'>%s.%s</a>\n",
                      {anchor_id(object.get_schema(), object.get_name()), schema, name});
    append_translated(out, "**Description:** %s<br/>\n", {escaped(object.get_comment())});
    out += translated("**Columns:**<br/>\n");
    out += translated("| No | Name | Type |  Length  | Scale | Null | Primary key | Default | "
                      "Description |\n");
    out += "| :--: | :--- | :------: | :----: | :----: | :------: | :--: | :----: | :--: |\n";
    for (const auto& column : columns) {
        for (const std::string& cell : column_cells(*column)) {
            out += "| ";
            append_markdown_text(out, cell);
            out += ' ';
        }
        out += "|\n";
    }
}

void append_markdown_text(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view replacement;
        switch (text[i]) {
        case '<': replacement = "&lt;"; break;
        case '&': replacement = "&amp;"; break;
        case '[': replacement = "\\["; break;
        case ']': replacement = "\\]"; break;
        default: continue;
        }
        Extractors::append_markdown_escaped(out, text.substr(start, i - start));
        out += replacement;
        start = i + 1;
    }
    Extractors::append_markdown_escaped(out, text.substr(start));
}

void MarkdownDocument::begin(std::string& out, const MetaModel::MetaDatabase& database,
                             const Configuration& cfg, const std::vector<IndexEntry>& entries) {
    append_format(out, "# %s\n\n", {escaped(cfg.title)});
    append_translated(out, "**Database name:** %s<br/>\n", {escaped(database.get_database())});
    append_translated(out, "**Data version:** %s<br/>\n", {escaped(cfg.data_version)});
    append_translated(out, "**Description:** %s\n", {escaped(cfg.description)});
    out += translated("| No        | Table        | Type        | Description        |\n");
    out += "| :-----------: | :----------- | :----------- | :----------- |\n";
    for (const IndexEntry& entry : entries) {
        const std::string schema = escaped(entry.schema);
        const std::string name = escaped(entry.name);
        append_format(out, "| %s | [%s.%s](#%s) | %s | %s |\n",
                      {std::to_string(entry.number), schema, name,
                       anchor_id(entry.schema, entry.name), escaped(entry.kind),
                       escaped(entry.comment)});
    }
}

const Core::TypeInfo& MarkdownDocument::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<MarkdownDocument, DictionaryDocument>(
            "DizezidaDovodarudSupportsDataDocumentsMarkdownDocument");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Documents

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Documents::MarkdownDocument)

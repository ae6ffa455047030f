#include "Supports/Data/Documents/HtmlDocument.hpp"

#include "Model/MetaModel.hpp"
#include "Supports/Data/Extractors/HtmlExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Documents {
namespace {

using Extractors::append_html_escaped;

constexpr std::string_view k_style =
    "<style type='text/css'>\r\n        body {\r\n            padding-bottom: 50px\r\n        "
    "}\r\n\r\n        body,\r\n        td {\r\n            font-family: verdana, fantasy;\r\n  "
    "          font-size: 12px;\r\n            line-height: 150%\r\n        }\r\n\r\n        "
    "table {\r\n            width: 100%;\r\n            background-color: #ccc;\r\n           "
    " margin: 5px 0\r\n        }\r\n\r\n        td {\r\n            background-color: #fff;\r\n"
    "            padding: 3px 3px 3px 10px\r\n        }\r\n\r\n        thead td {\r\n         "
    "   text-align: center;\r\n            font-weight: bold;\r\n            background-color: "
    "#eee\r\n        }\r\n\r\n        a:link,\r\n        a:visited,\r\n        a:active {\r\n  "
    "          color: #015fb6;\r\n            text-decoration: none\r\n        }\r\n\r\n       "
    " a:hover {\r\n            color: #e33e06\r\n        }\r\n    </style>";

constexpr std::string_view k_head_row = "<table cellspacing='1'><thead><tr><td style='width:40px;'>";

std::string escaped(std::string_view text) {
    std::string out;
    append_html_escaped(out, text);
    return out;
}

} // namespace

void HtmlDocument::make_section(std::string& out, const MetaModel::MetaObject& object,
                               const MetaModel::MetaColumnList& columns) {
    const std::string schema = escaped(object.get_schema());
    const std::string name = escaped(object.get_name());
    append_format(out, "<div style='margin-top:30px;'><a id='%s'></a>",
                  {anchor_id(object.get_schema(), object.get_name())});
    out += translated("<a href='#index' style='float:right; margin-top:6px;'>Content</a>");
    append_translated(out, "<h3>Table: %s.%s</h3></div>", {schema, name});
    append_translated(out, "<div>Description: %s</div>", {escaped(object.get_comment())});
    out += translated("<div>Columns:</div>");
    out += k_head_row;
    out += translated("No</td><td>Name</td><td>Type</td><td> Length </td><td>Scale</td><td>Null"
                      "</td><td>Primary key</td><td>Default</td><td>Description</td>");
    out += "</tr></thead>";
    for (const auto& column : columns) {
        out += "<tr><td style='text-align:center;'>";
        const ColumnCells cells = column_cells(*column);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out += "</td><td>";
            append_html_escaped(out, cells[i]);
        }
        out += "</td></tr>";
    }
    out += "</table>";
}

void HtmlDocument::begin(std::string& out, const MetaModel::MetaDatabase& database,
                         const Configuration& cfg, const std::vector<IndexEntry>& entries) {
    const std::string title = escaped(cfg.title);
    out += "<!DOCTYPE html><html lang=\"en\"><head>";
    out += "<meta charset=\"utf-8\">\n<meta content=\"IE=edge\" http-equiv=\"X-UA-Compatible\">\n";
    append_format(out, "<title>%s</title>", {title});
    out += k_style;
    out += "</head><body style='text-align:center;'>\n";
    out += "<div style='width:800px; margin:20px auto; text-align:left;'><a name='index'></a>\n";
    append_format(out, "<h2 style='text-align:center; line-height:50px;'>%s</h2>", {title});
    append_translated(out, "<div><b>Database: </b>%s<br>", {escaped(database.get_database())});
    append_translated(out, "<b>Data version: </b>%s<br/>", {escaped(cfg.data_version)});
    append_translated(out, "<b>Description: </b>%s</div>\n", {escaped(cfg.description)});
    out += k_head_row;
    out += translated("No</td><td>Name</td><td>Type</td><td>Description</td>");
    out += "</tr></thead>";
    for (const IndexEntry& entry : entries) {
        const std::string schema = escaped(entry.schema);
        const std::string name = escaped(entry.name);
        append_format(out,
                      "<tr><td style='text-align:center;'>%s</td><td><a href='#%s'>%s.%s</a></td>"
                      "<td>%s</td><td>%s</td></tr>",
                      {std::to_string(entry.number), anchor_id(entry.schema, entry.name), schema,
                       name, escaped(entry.kind), escaped(entry.comment)});
    }
    out += "</table>";
}

void HtmlDocument::end(std::string& out, const Configuration& cfg) {
    out += "</div>";
    if (!cfg.footer_text.empty())
        append_format(out, "<footer><div><a href=\"%s\">%s</a></div></footer>",
                      {escaped(cfg.footer_url), escaped(cfg.footer_text)});
    out += "</body></html>";
}

const Core::TypeInfo& HtmlDocument::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<HtmlDocument, DictionaryDocument>(
        "DizezidaDovodarudSupportsDataDocumentsHtmlDocument");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Documents

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Documents::HtmlDocument)

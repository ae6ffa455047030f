#include "Supports/Data/Extractors/HtmlExtractor.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

void append_html_escaped(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view reference;
        switch (text[i]) {
        case '&': reference = "&amp;"; break;
        case '<': reference = "&lt;"; break;
        case '>': reference = "&gt;"; break;
        case '"': reference = "&quot;"; break;
        case '\'': reference = "&#39;"; break;
        default: continue;
        }
        out.append(text.substr(start, i - start));
        out.append(reference);
        start = i + 1;
    }
    out.append(text.substr(start));
}

Core::Result<std::uint64_t> HtmlExtractor::export_to_text(const TableModel& model,
                                                          std::string& buffer,
                                                          const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> HtmlExtractor::begin_rows(const TableModel& model) {
    std::string head =
        "<!DOCTYPE html>\n<html>\n\t<head>\n"
        "\t\t<meta charset=\"UTF-8\">\n"
        "\t\t<style>table { border-collapse: collapse; width: 100%; } th, td { text-align: left; "
        "padding: 8px; } tr:nth-child(even) { background-color: rgba(0, 0, 0, 0.05); } th { "
        "background-color: #7799AA; color: white; }</style>\n"
        "\t</head>\n\t<body>\n"
        "\t\t<table>\n"
        "\t\t\t<tr>";
    for (const auto& column : model.get_columns()) {
        head += "<th>";
        append_html_escaped(head, column->get_name());
        head += "</th>";
    }
    head += "</tr>\n";
    return head;
}

void HtmlExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                               std::string& out) {
    out += "\t\t\t<tr>";
    const std::size_t columns = model.get_column_count();
    for (std::size_t column = 0; column < columns; ++column) {
        out += "<td>";
        append_html_escaped(out, model.get_text_view_at(index, column, m_scratch));
        out += "</td>";
    }
    out += "</tr>\n";
}

std::string HtmlExtractor::end_rows(std::uint64_t) {
    return "\t\t</table>\n\t</body>\n</html>";
}

std::string HtmlExtractor::build_html_from_row(const TableModel& model, std::size_t index) {
    std::string row;
    append_row(model, index, index + 1, row);
    return row.substr(3, row.size() - 4);
}

const Core::TypeInfo& HtmlExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<HtmlExtractor, BaseExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsHtmlExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::HtmlExtractor)

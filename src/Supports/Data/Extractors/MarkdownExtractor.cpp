#include "Supports/Data/Extractors/MarkdownExtractor.hpp"

#include "Helpers/DatabaseHelper.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueScalars.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

void append_markdown_escaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\r' || c == '\n') {
            out += "<br>";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
}

namespace {

/// A value as a cell shows it: numbers as the server wrote them, bytes as
/// their text or a summary, the rest through the value helper.
std::string cell_text(const Zozuvoru::Contracts::ValueObject& value) {
    if (dynamic_cast<const Zozuvoru::Contracts::NumberText*>(&value))
        return value.to_string();
    if (const auto* bytes = dynamic_cast<const Zozuvoru::Contracts::ValueBinary*>(&value))
        return Helpers::DatabaseHelper::summary(*bytes, "");
    return Helpers::DatabaseHelper::glib_value_to_text(value.to_value(), "");
}

} // namespace

Core::Result<std::uint64_t> MarkdownExtractor::export_to_text(const TableModel& model,
                                                              std::string& buffer,
                                                              const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> MarkdownExtractor::begin_rows(const TableModel& model) {
    std::string header;
    std::string separator;
    for (const auto& column : model.get_columns()) {
        std::string name;
        append_markdown_escaped(name, column->get_name());
        header += "| " + name + " ";
        separator += "|" + std::string(name.size() + 2, '-');
    }
    return header + "|\n" + separator + "|\n";
}

void MarkdownExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t,
                                   std::string& out) {
    const std::size_t columns = model.get_column_count();
    for (std::size_t column = 0; column < columns; ++column) {
        if (model.is_null_at(index, column)) {
            out += "| ";
            continue;
        }
        out += "| ";
        if (const auto value = model.get_value_at(index, column))
            append_markdown_escaped(out, cell_text(*value));
        out += ' ';
    }
    out += "|\n";
}

std::string MarkdownExtractor::build_md_from_row(const TableModel& model, std::size_t index) {
    std::string row;
    append_row(model, index, index + 1, row);
    row.pop_back();
    return row;
}

const Core::TypeInfo& MarkdownExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<MarkdownExtractor, BaseExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsMarkdownExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::MarkdownExtractor)

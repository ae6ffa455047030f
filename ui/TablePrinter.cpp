#include "ui/TablePrinter.hpp"

#include "Helpers/StringHelper.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>
#include <glib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace Dizezida::Rezizida {
namespace {

using Zozuvoru::Contracts::ColumnModel;
using Zozuvoru::Contracts::DataType;
using Zozuvoru::Contracts::TableModel;

/// One line of a value as the terminal shows it, and its width in columns.
struct DisplayLine {
    std::string text;
    std::size_t width = 0;
};
using DisplayLines = std::vector<DisplayLine>;

void append_escape(DisplayLine& line, std::string escape) {
    line.width += escape.size();
    line.text += escape;
}

/// A value split at its line ends, with everything that could steer the
/// terminal escaped and wide characters counted twice (psql's rendering).
DisplayLines display_lines(std::string_view text) {
    DisplayLines lines(1);
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        DisplayLine& line = lines.back();
        const auto byte = static_cast<unsigned char>(*at);
        if (byte < 0x80) {
            ++at;
            if (byte == '\n')
                lines.emplace_back();
            else if (byte == '\r')
                append_escape(line, "\\r");
            else if (byte == '\t')
                do {
                    line.text += ' ';
                } while (++line.width % 8 != 0);
            else if (byte < 0x20 || byte == 0x7f)
                append_escape(line, fmt::format("\\x{:02X}", byte));
            else {
                line.text += static_cast<char>(byte);
                ++line.width;
            }
            continue;
        }
        const gunichar c = g_utf8_get_char_validated(at, end - at);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            append_escape(line, fmt::format("\\x{:02X}", byte)); // not UTF-8
            ++at;
            continue;
        }
        const char* next = g_utf8_next_char(at);
        if (c < 0xA0)
            append_escape(line, fmt::format("\\u{:04X}", c)); // a C1 control
        else {
            line.text.append(at, next);
            line.width += g_unichar_iszerowidth(c) ? 0 : g_unichar_iswide(c) ? 2 : 1;
        }
        at = next;
    }
    return lines;
}

std::size_t widest(const DisplayLines& lines) {
    std::size_t width = 0;
    for (const DisplayLine& line : lines)
        width = std::max(width, line.width);
    return width;
}

/// psql's choice: the number types by their type id; for tables not read
/// from a server, the number kinds.
bool right_aligned(const ColumnModel& column) {
    switch (column.get_type_oid()) {
    case 0: break;
    case 20: case 21: case 23: case 26: case 28: case 29: // int8, int2, int4, oid, xid, cid
    case 700: case 701: case 790: case 1700: case 5069:   // float4, float8, money, numeric, xid8
        return true;
    default: return false;
    }
    const int code = static_cast<int>(column.get_data_type());
    return (code >= static_cast<int>(DataType::TINYINT) && code <= static_cast<int>(DataType::UBIGINT)) ||
           (code >= static_cast<int>(DataType::NUMERIC) && code <= static_cast<int>(DataType::DOUBLE));
}

std::string blanks(std::size_t count) { return std::string(count, ' '); }

void print_header(const std::vector<DisplayLines>& titles, const std::vector<std::size_t>& widths,
                  std::ostream& out) {
    std::size_t height = 0;
    for (const DisplayLines& title : titles)
        height = std::max(height, title.size());
    for (std::size_t l = 0; l < height; ++l) {
        std::string line;
        for (std::size_t c = 0; c < titles.size(); ++c) {
            line += ' ';
            if (l < titles[c].size()) {
                const std::size_t gap = widths[c] - titles[c][l].width;
                line += blanks(gap / 2) + titles[c][l].text + blanks((gap + 1) / 2);
            } else {
                line += blanks(widths[c]);
            }
            line += l + 1 < titles[c].size() ? '+' : ' ';
            if (c + 1 < titles.size())
                line += '|';
        }
        out << line << '\n';
    }
    std::string rule = "-";
    for (std::size_t c = 0; c < widths.size(); ++c)
        rule += std::string(widths[c], '-') + (c + 1 < widths.size() ? "-+-" : "");
    out << rule << "-\n";
}

/// One printed line of a row: line `l` of every cell.
std::string row_line(const std::vector<DisplayLines>& cells, const std::vector<std::size_t>& widths,
                     const std::vector<bool>& right, std::size_t l) {
    std::string line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const bool last = c + 1 == cells.size();
        const bool continues = l + 1 < cells[c].size();
        line += ' ';
        if (l < cells[c].size()) {
            const DisplayLine& part = cells[c][l];
            const std::size_t gap = widths[c] - part.width;
            if (right[c])
                line += blanks(gap) + part.text;
            else
                line += part.text + (last && !continues ? "" : blanks(gap));
        } else if (!last) {
            line += blanks(widths[c]);
        }
        if (continues)
            line += '+';
        else if (!last)
            line += " |";
    }
    return line;
}

void append_csv_field(std::string_view text, std::string& out) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos && text != "\\.") {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

enum class JsonKind { Text, Boolean, Number };

JsonKind json_kind(const ColumnModel& column) {
    switch (column.get_type_oid()) {
    case 0: break;
    case 16: return JsonKind::Boolean;
    case 20: case 21: case 23: case 26: case 28: case 29: case 5069:
    case 700: case 701: case 1700:
        return JsonKind::Number;
    default: return JsonKind::Text;
    }
    const DataType type = column.get_data_type();
    if (type == DataType::BOOLEAN)
        return JsonKind::Boolean;
    return right_aligned(column) ? JsonKind::Number : JsonKind::Text;
}

std::string json_string(std::string_view text) {
    return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void append_json_value(const TableModel& table, std::size_t r, std::size_t c, JsonKind kind,
                       std::string& scratch, std::string& out) {
    if (table.is_null_at(r, c)) {
        out += "null";
        return;
    }
    const std::string_view text = table.get_text_view_at(r, c, scratch);
    if (kind == JsonKind::Boolean)
        out += text == "t" || text == "true" ? "true" : "false";
    else if (kind == JsonKind::Number && Dovodarud::Helpers::StringHelper::is_json_number(text))
        out += text;
    else
        out += json_string(text);
}

} // namespace

void print_aligned_table(const TableModel& table, std::ostream& out) {
    const auto& columns = table.get_columns();
    const std::size_t rows = table.get_row_count();
    std::vector<DisplayLines> titles;
    std::vector<std::size_t> widths;
    std::vector<bool> right;
    for (const auto& column : columns) {
        titles.push_back(display_lines(column->get_title()));
        widths.push_back(widest(titles.back()));
        right.push_back(right_aligned(*column));
    }
    std::vector<std::vector<DisplayLines>> cells(rows);
    std::string scratch;
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns.size(); ++c) {
            cells[r].push_back(table.is_null_at(r, c)
                                   ? DisplayLines(1)
                                   : display_lines(table.get_text_view_at(r, c, scratch)));
            widths[c] = std::max(widths[c], widest(cells[r].back()));
        }

    print_header(titles, widths, out);
    for (const auto& row : cells) {
        std::size_t height = 1;
        for (const DisplayLines& cell : row)
            height = std::max(height, cell.size());
        for (std::size_t l = 0; l < height; ++l)
            out << row_line(row, widths, right, l) << '\n';
    }
    out << '(' << rows << (rows == 1 ? " row)" : " rows)") << '\n';
}

void print_csv_table(const TableModel& table, std::ostream& out, std::string_view line_end) {
    const auto& columns = table.get_columns();
    std::string line;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        line += c ? "," : "";
        append_csv_field(columns[c]->get_title(), line);
    }
    out << line << line_end;
    std::string scratch;
    for (std::size_t r = 0; r < table.get_row_count(); ++r) {
        line.clear();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            line += c ? "," : "";
            if (!table.is_null_at(r, c))
                append_csv_field(table.get_text_view_at(r, c, scratch), line);
        }
        out << line << line_end;
    }
}

void print_json_table(const TableModel& table, std::ostream& out) {
    const auto& columns = table.get_columns();
    std::vector<std::string> keys;
    std::vector<JsonKind> kinds;
    for (const auto& column : columns) {
        keys.push_back(json_string(column->get_title()));
        kinds.push_back(json_kind(*column));
    }
    const std::size_t rows = table.get_row_count();
    if (rows == 0) {
        out << "[]\n";
        return;
    }
    // The layout of a two-space indented dump: one member a line.
    std::string text = "[\n";
    std::string scratch;
    for (std::size_t r = 0; r < rows; ++r) {
        text += columns.empty() ? "  {}" : "  {\n";
        for (std::size_t c = 0; c < columns.size(); ++c) {
            text += "    " + keys[c] + ": ";
            append_json_value(table, r, c, kinds[c], scratch, text);
            text += c + 1 < columns.size() ? ",\n" : "\n  }";
        }
        text += r + 1 < rows ? ",\n" : "\n";
        if (text.size() > (1 << 16)) {
            out << text;
            text.clear();
        }
    }
    out << text << "]\n";
}

} // namespace Dizezida::Rezizida

#include "ui/TablePrinter.hpp"

#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace Dizezida::Rezizida {
namespace {

using Zozuvoru::Contracts::DataType;
using Zozuvoru::Contracts::TableModel;

/// Code points of a UTF-8 text (each continuation byte is not counted).
std::size_t display_width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

bool right_aligned(DataType type) {
    const int code = static_cast<int>(type);
    return (code >= static_cast<int>(DataType::TINYINT) && code <= static_cast<int>(DataType::UBIGINT)) ||
           (code >= static_cast<int>(DataType::NUMERIC) && code <= static_cast<int>(DataType::DOUBLE));
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string padded(const std::string& text, std::size_t width, bool right) {
    const std::string fill(width - std::min(width, display_width(text)), ' ');
    return right ? fill + text : text + fill;
}

void print_line(std::string line, std::ostream& out) {
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    out << line << '\n';
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        out.push_back(c);
        if (c == '"')
            out.push_back('"');
    }
    return out + '"';
}

/// A value as JSON: booleans and whole numbers as such, the rest as text.
nlohmann::ordered_json json_value(const TableModel& table, std::size_t r, std::size_t c) {
    if (table.is_null_at(r, c))
        return nullptr;
    const std::string text = table.get_text_at(r, c);
    switch (table.get_columns()[c]->get_data_type()) {
    case DataType::BOOLEAN: return text == "t" || text == "true";
    case DataType::SMALLINT:
    case DataType::INTEGER:
    case DataType::BIGINT:
    case DataType::UINTEGER:
        try {
            return std::stoll(text);
        } catch (...) {
            return text;
        }
    default: return text;
    }
}

} // namespace

void print_aligned_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out) {
    const auto& columns = table.get_columns();
    const std::size_t rows = table.get_row_count();
    // Every cell as its lines, and each column's width.
    std::vector<std::vector<std::vector<std::string>>> cells(rows);
    std::vector<std::size_t> widths;
    for (const auto& column : columns)
        widths.push_back(display_width(column->get_title()));
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns.size(); ++c) {
            cells[r].push_back(split_lines(table.is_null_at(r, c) ? "" : table.get_text_at(r, c)));
            for (const auto& line : cells[r].back())
                widths[c] = std::max(widths[c], display_width(line));
        }

    if (!columns.empty()) {
        std::string header, rule;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string& title = columns[c]->get_title();
            const std::size_t left = (widths[c] - display_width(title)) / 2;
            header += (c ? "| " : " ") + std::string(left, ' ') + padded(title, widths[c] - left, false) + " ";
            rule += (c ? "+" : "") + std::string(widths[c] + 2, '-');
        }
        print_line(header, out);
        print_line(rule, out);
    }
    for (std::size_t r = 0; r < rows; ++r) {
        std::size_t height = 1;
        for (const auto& cell : cells[r])
            height = std::max(height, cell.size());
        for (std::size_t l = 0; l < height; ++l) {
            std::string line;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const auto& cell = cells[r][c];
                const std::string text = l < cell.size() ? cell[l] : "";
                const bool continues = l + 1 < cell.size();
                line += (c ? "|" : "") + std::string(" ") +
                        padded(text, widths[c], right_aligned(columns[c]->get_data_type())) +
                        (continues ? "+" : " ");
            }
            print_line(line, out);
        }
    }
    out << '(' << rows << (rows == 1 ? " row)" : " rows)") << '\n';
}

void print_csv_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out) {
    const auto& columns = table.get_columns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << (c ? "," : "") << csv_field(columns[c]->get_title());
    out << "\r\n";
    for (std::size_t r = 0; r < table.get_row_count(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c)
            out << (c ? "," : "") << (table.is_null_at(r, c) ? "" : csv_field(table.get_text_at(r, c)));
        out << "\r\n";
    }
}

void print_json_table(const Zozuvoru::Contracts::TableModel& table, std::ostream& out) {
    auto rows = nlohmann::ordered_json::array();
    const auto& columns = table.get_columns();
    for (std::size_t r = 0; r < table.get_row_count(); ++r) {
        nlohmann::ordered_json row = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < columns.size(); ++c)
            row[columns[c]->get_title()] = json_value(table, r, c);
        rows.push_back(std::move(row));
    }
    out << rows.dump(2) << '\n';
}

} // namespace Dizezida::Rezizida

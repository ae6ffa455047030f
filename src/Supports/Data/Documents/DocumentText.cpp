#include "Supports/Data/Documents/DocumentText.hpp"

#include "Model/MetaModel.hpp"

#include <glib.h>

namespace Dizezida::Dovodarud::Supports::Data::Documents {
namespace {

constexpr const char* k_text_domain = "dizezida";

std::size_t slots(std::string_view format) {
    std::size_t count = 0;
    for (std::size_t at = format.find("%s"); at != std::string_view::npos;
         at = format.find("%s", at + 2))
        ++count;
    return count;
}

} // namespace

const char* translated(const char* text) {
    return g_dgettext(k_text_domain, text);
}

void append_format(std::string& out, std::string_view format,
                   std::initializer_list<std::string_view> values) {
    const std::string_view* value = values.begin();
    std::size_t start = 0;
    for (std::size_t at = format.find("%s"); at != std::string_view::npos;
         at = format.find("%s", start)) {
        out.append(format.substr(start, at - start));
        if (value != values.end())
            out.append(*value++);
        start = at + 2;
    }
    out.append(format.substr(start));
}

void append_translated(std::string& out, const char* format,
                       std::initializer_list<std::string_view> values) {
    const char* text = translated(format);
    append_format(out, slots(text) == slots(format) ? text : format, values);
}

std::string anchor_id(std::string_view schema, std::string_view name) {
    static constexpr char k_hex[] = "0123456789ABCDEF";
    std::string id;
    const auto encode = [&id](std::string_view part) {
        for (const char c : part) {
            const auto byte = static_cast<unsigned char>(c);
            if (g_ascii_isalnum(c) || c == '-' || c == '_' || c == '~') {
                id += c;
            } else {
                id += '%';
                id += k_hex[byte >> 4];
                id += k_hex[byte & 15];
            }
        }
    };
    encode(schema);
    id += '.';
    encode(name);
    return id;
}

ColumnCells column_cells(const MetaModel::MetaColumn& column) {
    return {std::to_string(column.get_ordinal()),
            column.get_name(),
            column.get_raw_type(),
            std::to_string(column.get_length()),
            std::to_string(column.get_scale()),
            translated(column.get_not_null() ? "No" : "Yes"),
            column.get_is_primary_key() ? translated("Yes") : "",
            column.get_default_value(),
            column.get_comment()};
}

std::vector<IndexEntry> index_entries(const MetaModel::MetaDatabase& database) {
    std::vector<IndexEntry> entries;
    const auto add = [&entries](const MetaModel::MetaObject& object, const char* kind) {
        entries.push_back({entries.size() + 1, object.get_schema(), object.get_name(),
                           translated(kind), object.get_comment()});
    };
    for (const auto& schema : database.get_schemas()) {
        for (const auto& table : schema->get_tables())
            add(*table, "Data table");
        for (const auto& view : schema->get_views())
            add(*view, "Data view");
    }
    return entries;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Documents

#include "Supports/Data/Extractors/JsonExtractor.hpp"

#include "Helpers/StringHelper.hpp"
#include "core/AtomicFile.hpp"

#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <fstream>
#include <set>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

Core::Error json_error(std::string message) {
    return Core::Error::make(k_json_error_domain, -1, std::move(message));
}

void append_json_string(std::string& out, std::string_view text) {
    out += OrderedJson(std::string(text)).dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

bool number_kind(DataType type) {
    const int number = static_cast<int>(type);
    return (number >= 3 && number <= 10) || number == 14 || number == 15 || number == 16 ||
           number == 17;
}

} // namespace

std::vector<std::string> distinct_names(const std::vector<std::string>& names) {
    const std::set<std::string> originals(names.begin(), names.end());
    std::set<std::string> used;
    std::vector<std::string> out;
    for (const std::string& name : names) {
        std::string chosen = name;
        for (int suffix = 1; used.contains(chosen); ++suffix) {
            chosen = fmt::format("{}_{}", name, suffix);
            if (originals.contains(chosen))
                chosen = name; // another column has that name: try the next suffix
        }
        used.insert(chosen);
        out.push_back(std::move(chosen));
    }
    return out;
}

Core::Result<std::uint64_t> JsonExtractor::export_to_text(const TableModel& model,
                                                          std::string& buffer,
                                                          const RowProgressCallback& progress) {
    return export_rows(model, buffer, progress);
}

Core::Result<std::string> JsonExtractor::begin_rows(const TableModel& model) {
    DIZEZIDA_TRY(require_columns(model));
    std::vector<std::string> names;
    for (const auto& column : model.get_columns())
        names.push_back(column->get_name());
    m_members.clear();
    for (const std::string& name : distinct_names(names)) {
        m_members.emplace_back();
        append_json_string(m_members.back(), name);
        m_members.back() += ": ";
    }
    return std::string("{\n    \"RECORDS\": [");
}

void JsonExtractor::append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                               std::string& out) {
    out += number > 1 ? ",\n        {" : "\n        {";
    const auto& columns = model.get_columns();
    for (std::size_t column = 0; column < columns.size(); ++column) {
        out += column > 0 ? ",\n            " : "\n            ";
        out += m_members[column];
        if (model.is_null_at(index, column)) {
            out += "null";
            continue;
        }
        const DataType type = columns[column]->get_data_type();
        const std::string_view text = model.get_text_view_at(index, column, m_scratch);
        if (type == DataType::BOOLEAN && (text == "t" || text == "true"))
            out += "true";
        else if (type == DataType::BOOLEAN && (text == "f" || text == "false"))
            out += "false";
        else if (number_kind(type) && Helpers::StringHelper::is_json_number(text))
            out += text;
        else
            append_json_string(out, text);
    }
    out += "\n        }";
}

std::string JsonExtractor::end_rows(std::uint64_t rows) {
    return rows > 0 ? "\n    ]\n}\n" : "]\n}\n";
}

// ---- reading ----------------------------------------------------------------------------------

namespace {

/// Streams a document's records to a sink: members by name, values as text.
class RecordReader : public nlohmann::json_sax<Json> {
public:
    explicit RecordReader(const RecordSink& sink) : m_sink(sink) {}

    /// The failure that stopped the reading, if any.
    std::optional<Core::Error> failure;
    bool stopped = false; ///< the sink asked to stop
    bool root_object = false;
    bool records_member = false;
    bool records_array = false;

    bool null() override { return value(std::nullopt); }
    bool boolean(bool value_) override {
        return nested_value(value_) || value(std::string(value_ ? "true" : "false"));
    }
    bool number_integer(number_integer_t value_) override {
        return nested_value(value_) || value(std::to_string(value_));
    }
    bool number_unsigned(number_unsigned_t value_) override {
        return nested_value(value_) || value(std::to_string(value_));
    }
    bool number_float(number_float_t value_, const string_t& text) override {
        // A member's number keeps its text as written: no digit is lost to a
        // double. (Inside a nested value it is a double.)
        return nested_value(value_) || value(text);
    }
    bool string(string_t& text) override { return nested_value(text) || value(text); }
    bool binary(binary_t&) override { return value(std::nullopt); }

    bool start_object(std::size_t) override { return start(true); }
    bool end_object() override { return end(); }
    bool start_array(std::size_t) override { return start(false); }
    bool end_array() override { return end(); }
    bool key(string_t& name) override {
        if (!m_nested.empty()) {
            m_nested_keys.back() = name;
            return true;
        }
        if (m_depth == 1)
            m_root_key = name;
        else if (m_depth == 3 && m_in_record)
            m_names.push_back(name);
        return true;
    }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        failure = json_error(fmt::format("invalid json at byte {}: {}", position, error.what()));
        return false;
    }

private:
    /// Inside RECORDS, a member's value; elsewhere skipped.
    bool value(std::optional<std::string> text) {
        if (m_depth == 0)
            return fail("invalid json format: root object not exist.");
        if (m_depth == 1 && m_root_key == "RECORDS")
            return fail("invalid json format: object array not exist.");
        if (m_depth == 2 && m_in_records)
            return fail(fmt::format("invalid json format: record {} is not an object",
                                    m_index + 1));
        if (m_depth == 3 && m_in_record)
            m_fields.push_back(std::move(text));
        return true;
    }

    /// A scalar inside a nested value; false when there is none.
    bool nested_value(OrderedJson value_) {
        if (m_nested.empty())
            return false;
        add_nested(std::move(value_));
        return true;
    }
    void add_nested(OrderedJson value_) {
        OrderedJson& parent = m_nested.back();
        if (parent.is_array())
            parent.push_back(std::move(value_));
        else
            parent[m_nested_keys.back()] = std::move(value_);
    }

    bool start(bool object) {
        if (!m_nested.empty() || (m_depth == 3 && m_in_record)) {
            m_nested.push_back(object ? OrderedJson::object() : OrderedJson::array());
            m_nested_keys.emplace_back();
            return true;
        }
        if (m_depth == 0) {
            if (!object)
                return fail("invalid json format: root object not exist.");
            root_object = true;
        } else if (m_depth == 1 && m_root_key == "RECORDS") {
            records_member = true;
            if (object)
                return fail("invalid json format: object array not exist.");
            records_array = true;
            m_in_records = true;
        } else if (m_depth == 2 && m_in_records) {
            if (!object)
                return fail(fmt::format("invalid json format: record {} is not an object",
                                        m_index + 1));
            m_in_record = true;
            m_names.clear();
            m_fields.clear();
        }
        ++m_depth;
        return true;
    }

    bool end() {
        if (!m_nested.empty()) {
            OrderedJson done = std::move(m_nested.back());
            m_nested.pop_back();
            m_nested_keys.pop_back();
            if (!m_nested.empty()) {
                add_nested(std::move(done));
                return true;
            }
            return value(done.dump(-1, ' ', false, OrderedJson::error_handler_t::replace));
        }
        --m_depth;
        if (m_depth == 2 && m_in_record) {
            m_in_record = false;
            auto go_on = m_sink(++m_index, m_names, m_fields);
            if (!go_on) {
                failure = std::move(go_on).error();
                return false;
            }
            if (!*go_on) {
                stopped = true;
                return false;
            }
        } else if (m_depth == 1 && m_in_records) {
            m_in_records = false;
        }
        return true;
    }

    bool fail(std::string message) {
        failure = json_error(std::move(message));
        return false;
    }

    const RecordSink& m_sink;
    int m_depth = 0;
    std::string m_root_key;
    bool m_in_records = false;
    bool m_in_record = false;
    std::uint64_t m_index = 0;
    std::vector<std::string> m_names;
    std::vector<Field> m_fields;
    std::vector<OrderedJson> m_nested;
    std::vector<std::string> m_nested_keys;
};

template <class Input> Core::Result<void> read_records(Input&& input, const RecordSink& sink) {
    RecordReader reader(sink);
    try {
        Json::sax_parse(std::forward<Input>(input), &reader);
    } catch (const std::exception& error) {
        return Core::fail(json_error(error.what()));
    }
    if (reader.stopped)
        return {};
    if (reader.failure)
        return Core::fail(std::move(*reader.failure));
    if (!reader.root_object)
        return Core::fail(json_error("invalid json format: root object not exist."));
    if (!reader.records_member)
        return Core::fail(json_error("invalid json format: RECORDS member not exist."));
    if (!reader.records_array)
        return Core::fail(json_error("invalid json format: object array not exist."));
    return {};
}

} // namespace

Core::Result<void> JsonExtractor::read_text(std::string_view text, const RecordSink& sink, bool) {
    return read_records(text, sink);
}

Core::Result<void> JsonExtractor::read_file(const std::string& filename, const RecordSink& sink,
                                            bool) {
    std::ifstream file(filename, std::ios::binary);
    if (!file)
        return Core::fail(
            Core::file_error(errno ? errno : ENOENT, fmt::format("Cannot open {}", filename)));
    return read_records(file, sink);
}

const Core::TypeInfo& JsonExtractor::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<JsonExtractor, ImportingExtractor>(
        "DizezidaDovodarudSupportsDataExtractorsJsonExtractor");
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::JsonExtractor)

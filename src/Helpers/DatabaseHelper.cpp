#include "Helpers/DatabaseHelper.hpp"

#include "Helpers/FileTypeHelper.hpp"
#include "Model/MetaTable.hpp"
#include "core/Precondition.hpp"
#include "core/SqlQuote.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueTemporal.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace Dizezida::Dovodarud::Helpers {

using Core::sql_doubled;
using Core::sql_literal;
using Core::sql_name;
using Core::Value;
using Core::ValueKind;

namespace {

void warn(std::string_view what, std::string_view text) {
    Core::platform_warning(fmt::format("{}: \"{}\" is no {}", __FILE__, text, what));
}

/// "+HH:MM" (or "Z"-less "+00:00") of an offset in seconds.
std::string offset_text(std::int32_t seconds) {
    const char sign = seconds < 0 ? '-' : '+';
    const std::int32_t magnitude = std::abs(seconds);
    std::string text = fmt::format("{}{:02}:{:02}", sign, magnitude / 3600, magnitude / 60 % 60);
    if (magnitude % 60 != 0)
        text += fmt::format(":{:02}", magnitude % 60);
    return text;
}

std::string date_time_text(const Core::DateTime& value) {
    std::string text = value.format("%Y-%m-%d %H:%M:%S");
    const std::int64_t micro = ((value.unix_microseconds % 1000000) + 1000000) % 1000000;
    if (micro != 0)
        text += fmt::format(".{:06}", micro);
    return text + offset_text(value.utc_offset_seconds);
}

std::string time_text(const Zozuvoru::Contracts::TimeOfDay& time) {
    std::string text = fmt::format("{:02}:{:02}:{:02}", time.hour, time.minute, time.second);
    if (time.microsecond != 0)
        text += fmt::format(".{:06}", time.microsecond);
    if (time.utc_offset_seconds)
        text += offset_text(*time.utc_offset_seconds);
    return text;
}

/// "HH:MM:SS[.ffffff][+HH[:MM[:SS]]]"; nothing when the text is not a time.
std::optional<Zozuvoru::Contracts::TimeOfDay> parse_time(std::string_view text) {
    Zozuvoru::Contracts::TimeOfDay time;
    int offset_hours = 0, offset_minutes = 0, offset_seconds = 0;
    char sign = 0;
    char fraction[8] = {0};
    const std::string copy(text);
    int read = 0;
    if (std::sscanf(copy.c_str(), "%2d:%2d:%2d%n", &time.hour, &time.minute, &time.second,
                    &read) != 3)
        return std::nullopt;
    std::size_t at = static_cast<std::size_t>(read);
    if (at < copy.size() && copy[at] == '.') {
        int digits = 0;
        for (++at; at < copy.size() && std::isdigit(static_cast<unsigned char>(copy[at])); ++at)
            if (digits < 6)
                fraction[digits++] = copy[at];
        while (digits < 6)
            fraction[digits++] = '0';
        time.microsecond = std::atoi(fraction);
    }
    if (at < copy.size()) {
        sign = copy[at];
        if ((sign != '+' && sign != '-') ||
            std::sscanf(copy.c_str() + at + 1, "%2d:%2d:%2d", &offset_hours, &offset_minutes,
                        &offset_seconds) < 1)
            return std::nullopt;
        const int seconds = offset_hours * 3600 + offset_minutes * 60 + offset_seconds;
        time.utc_offset_seconds = sign == '-' ? -seconds : seconds;
    }
    if (time.hour > 24 || time.minute > 59 || time.second > 60)
        return std::nullopt;
    return time;
}

template <class T> std::optional<T> parse_integer(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

/// Whether a text is a plain decimal number SQL can take bare.
bool strict_number(std::string_view text) {
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        std::size_t exponent = 0;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

constexpr std::array<std::string_view, 9> k_units{"B", "KB", "MB", "GB", "TB",
                                                  "PB", "EB", "ZB", "YB"};

std::size_t unit_index(std::string_view unit) {
    for (std::size_t i = 0; i < k_units.size(); ++i)
        if (k_units[i] == unit)
            return i;
    return 0;
}

std::string pairs(TextList left, TextList right, std::string_view separator) {
    std::string out;
    const std::size_t count = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < count; ++i)
        out += (i ? std::string(separator) : std::string()) + left[i] + "=" + right[i];
    return out;
}

} // namespace

std::string DatabaseHelper::glib_value_to_text(const Value& value, std::string_view null_value) {
    switch (value.kind()) {
    case ValueKind::String:
        return value.is_null_string() ? std::string(null_value) : value.get_string();
    case ValueKind::Char:
    case ValueKind::Int16:
    case ValueKind::Int:
    case ValueKind::Long:
    case ValueKind::Int64: return std::to_string(value.get_int64());
    case ValueKind::UChar:
    case ValueKind::UInt16:
    case ValueKind::UInt:
    case ValueKind::ULong:
    case ValueKind::UInt64: return std::to_string(value.get_uint64());
    case ValueKind::Float: return fmt::format("{}", static_cast<float>(value.get_double()));
    case ValueKind::Double: return fmt::format("{}", value.get_double());
    case ValueKind::Bool: return value.get_bool() ? "TRUE" : "FALSE";
    case ValueKind::DateTime: {
        const auto date_time = value.get_date_time();
        return date_time ? date_time_text(*date_time) : std::string(null_value);
    }
    case ValueKind::Boxed: {
        if (value.type_name() == "GTime") {
            const auto time =
                std::static_pointer_cast<Zozuvoru::Contracts::TimeOfDay>(value.get_boxed());
            return time ? time_text(*time) : std::string(null_value);
        }
        if (value.type_name() == "GNull")
            return std::string(null_value);
        return value.debug_string();
    }
    case ValueKind::Invalid: return std::string(null_value);
    default: return value.debug_string();
    }
}

std::optional<Value> DatabaseHelper::string_to_glib_value(std::string_view type,
                                                          std::string_view text) {
    const auto signed_value = [&](ValueKind kind, std::int64_t low,
                                  std::int64_t high) -> std::optional<Value> {
        const auto parsed = parse_integer<std::int64_t>(text);
        if (!parsed || *parsed < low || *parsed > high) {
            warn(type, text);
            return std::nullopt;
        }
        return Value::of_signed(kind, *parsed);
    };
    const auto unsigned_value = [&](ValueKind kind,
                                    std::uint64_t high) -> std::optional<Value> {
        const auto parsed = parse_integer<std::uint64_t>(text);
        if (!parsed || *parsed > high) {
            warn(type, text);
            return std::nullopt;
        }
        return Value::of_unsigned(kind, *parsed);
    };
    if (type == "gchararray" || type == "GBlob" || type == "GBinary")
        return Value(std::string(text));
    if (type == "gchar")
        return signed_value(ValueKind::Char, INT8_MIN, INT8_MAX);
    if (type == "gint16" || type == "int16")
        return signed_value(ValueKind::Int16, INT16_MIN, INT16_MAX);
    if (type == "gint" || type == "glong")
        return signed_value(type == "gint" ? ValueKind::Int : ValueKind::Long, INT32_MIN,
                            INT32_MAX);
    if (type == "gint64")
        return signed_value(ValueKind::Int64, INT64_MIN, INT64_MAX);
    if (type == "guchar")
        return unsigned_value(ValueKind::UChar, UINT8_MAX);
    if (type == "guint16" || type == "uint16")
        return unsigned_value(ValueKind::UInt16, UINT16_MAX);
    if (type == "guint" || type == "gulong")
        return unsigned_value(type == "guint" ? ValueKind::UInt : ValueKind::ULong, UINT32_MAX);
    if (type == "guint64")
        return unsigned_value(ValueKind::UInt64, UINT64_MAX);
    if (type == "gfloat" || type == "gdouble") {
        double parsed = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
            warn(type, text);
            return std::nullopt;
        }
        return type == "gfloat" ? Value(static_cast<float>(parsed)) : Value(parsed);
    }
    if (type == "gboolean") {
        if (g_ascii_strcasecmp(std::string(text).c_str(), "true") == 0)
            return Value(true);
        if (g_ascii_strcasecmp(std::string(text).c_str(), "false") == 0)
            return Value(false);
        warn(type, text);
        return std::nullopt;
    }
    if (type == "GDateTime" || type == "GTimestamp") {
        const auto parsed = Core::DateTime::parse_iso8601(text);
        if (!parsed) {
            warn(type, text);
            return std::nullopt;
        }
        return Value(*parsed);
    }
    if (type == "GTime") {
        const auto parsed = parse_time(text);
        if (!parsed) {
            warn(type, text);
            return std::nullopt;
        }
        return Value::boxed("GTime", std::make_shared<Zozuvoru::Contracts::TimeOfDay>(*parsed));
    }
    if (type == "GNull")
        return Value::boxed("GNull", nullptr);
    warn("type this helper reads", type);
    return std::nullopt;
}

std::pair<bool, std::int64_t> DatabaseHelper::glib_value_to_int64(const Value& value) {
    switch (value.kind()) {
    case ValueKind::Int64:
    case ValueKind::Long:
    case ValueKind::Int:
    case ValueKind::Int16:
    case ValueKind::Char: return {true, value.get_int64()};
    default: return {false, 0};
    }
}

std::pair<bool, std::uint64_t> DatabaseHelper::glib_value_to_uint64(const Value& value) {
    switch (value.kind()) {
    case ValueKind::UInt64:
    case ValueKind::ULong:
    case ValueKind::UInt:
    case ValueKind::UInt16:
    case ValueKind::UChar: return {true, value.get_uint64()};
    case ValueKind::Enum: return {true, static_cast<std::uint64_t>(value.get_int64())};
    default: return {false, 0};
    }
}

std::pair<bool, double> DatabaseHelper::glib_value_to_double(const Value& value) {
    switch (value.kind()) {
    case ValueKind::Double:
    case ValueKind::Float: return {true, value.get_double()};
    default: break;
    }
    if (const auto [ok, number] = glib_value_to_int64(value); ok)
        return {true, static_cast<double>(number)};
    if (const auto [ok, number] = glib_value_to_uint64(value); ok)
        return {true, static_cast<double>(number)};
    return {false, 0};
}

std::string DatabaseHelper::format_sql_value(std::uint32_t data_type,
                                             const Zozuvoru::Contracts::ValuePtr& data_value) {
    DIZEZIDA_RETURN_VAL_IF_NULL(data_value, std::string());
    if (data_value->is_null())
        return "NULL";
    return format_sql_text(data_type, data_value->to_string());
}

bool DatabaseHelper::is_strict_number(std::string_view text) {
    return strict_number(text);
}

std::string DatabaseHelper::format_sql_text(std::uint32_t data_type, std::string_view text) {
    std::string out;
    append_sql_text(out, data_type, text);
    return out;
}

void DatabaseHelper::append_sql_text(std::string& out, std::uint32_t data_type,
                                     std::string_view text) {
    if (data_type == 2) {
        const auto same_word = [text](std::string_view word) {
            return std::equal(text.begin(), text.end(), word.begin(), word.end(),
                              [](char a, char b) { return g_ascii_tolower(a) == b; });
        };
        if (text == "t" || same_word("true")) {
            out += "TRUE";
            return;
        }
        if (text == "f" || same_word("false")) {
            out += "FALSE";
            return;
        }
    }
    const bool number_kind = (data_type >= 3 && data_type <= 10) || data_type == 14 ||
                             data_type == 15 || data_type == 16 || data_type == 17;
    if (number_kind && strict_number(text))
        out += text;
    else
        Core::append_quoted(out, text, '\'');
}

std::string DatabaseHelper::summary(const Zozuvoru::Contracts::ValueBinary& value,
                                    std::string_view) {
    const auto& bytes = value.to_bytes();
    if (bytes.empty())
        return {};
    const char* data = reinterpret_cast<const char*>(bytes.data());
    if (g_utf8_validate(data, static_cast<gssize>(bytes.size()), nullptr))
        return std::string(data, bytes.size());
    return fmt::format("{}({})",
                       FileTypeHelper::get_singleton().guess_file_type(bytes.data(), bytes.size()),
                       format_size(bytes.size()));
}

std::string DatabaseHelper::format_size(std::uint64_t size) {
    if (size <= 1000)
        return fmt::format("{} Byte", size);
    const std::string digits = std::to_string(size / 1000);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped + " KB";
}

std::uint64_t DatabaseHelper::convert_with_unit(std::uint64_t value, std::string_view unit_old,
                                                std::string_view unit_new) {
    const std::size_t from = unit_index(unit_old), to = unit_index(unit_new);
    if (from == to)
        return value;
    if (to > from) {
        const std::size_t bits = (to - from) * 10;
        return bits >= 64 ? 0 : value >> bits;
    }
    const std::size_t bits = (from - to) * 10;
    if (value == 0)
        return 0;
    if (bits >= 64 || value > (std::numeric_limits<std::uint64_t>::max() >> bits))
        return std::numeric_limits<std::uint64_t>::max();
    return value << bits;
}

std::pair<std::uint64_t, std::string> DatabaseHelper::match_unit_max(std::uint64_t value,
                                                                     std::string_view unit) {
    const std::size_t from = unit_index(unit);
    if (value == 0)
        return {0, std::string(k_units[from])};
    std::size_t chosen = from;
    for (std::size_t i = from + 1; i < k_units.size(); ++i) {
        const std::size_t bits = (i - from) * 10;
        if (bits >= 64 || (value >> bits) == 0)
            break;
        chosen = i;
    }
    return {convert_with_unit(value, k_units[from], k_units[chosen]), std::string(k_units[chosen])};
}

std::string DatabaseHelper::make_fullname_mysql(std::string_view username) {
    const auto quoted = [](std::string_view part) { return '`' + sql_doubled(part, '`') + '`'; };
    const std::size_t at = username.find('@');
    if (at == std::string_view::npos)
        return quoted(username);
    const std::string_view host = username.substr(at + 1);
    return quoted(username.substr(0, at)) + "@" + quoted(host.substr(0, host.find('@')));
}

std::string DatabaseHelper::format_object_name(std::string_view schema, std::string_view table) {
    if (schema.empty())
        return sql_name(table);
    return sql_name(schema) + "." + sql_name(table);
}

std::string DatabaseHelper::build_sql_insert(std::string_view schema, std::string_view table,
                                             TextList columns, TextList values) {
    return fmt::format("INSERT INTO {}({}) VALUES({});", format_object_name(schema, table),
                       fmt::join(columns, ", "), fmt::join(values, ", "));
}

std::string DatabaseHelper::build_sql_update(std::string_view schema, std::string_view table,
                                             TextList columns, TextList values, TextList keys,
                                             TextList key_values) {
    std::string sql = "UPDATE " + format_object_name(schema, table) + " SET " +
                      pairs(columns, values, ", ");
    if (!keys.empty())
        sql += " WHERE " + pairs(keys, key_values, " AND ");
    return sql + ";";
}

std::string DatabaseHelper::build_sql_delete(std::string_view schema, std::string_view table,
                                             TextList keys, TextList key_values) {
    std::string sql = "DELETE FROM " + format_object_name(schema, table);
    if (!keys.empty())
        sql += " WHERE " + pairs(keys, key_values, " AND ");
    return sql + ";";
}

bool DatabaseHelper::update_schema_with_model(MetaModel::MetaTable& table,
                                              const Zozuvoru::Contracts::TableModel& model) {
    for (const auto& column : model.get_columns())
        table.new_column(column->get_name(), column->get_data_type());
    return table.get_columns().size() == model.get_columns().size();
}

} // namespace Dizezida::Dovodarud::Helpers

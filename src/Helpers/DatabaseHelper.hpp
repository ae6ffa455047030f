// Stateless helpers around query results: generic values to display text and
// back, numbers out of generic values, provider values as SQL literals,
// binary summaries, byte sizes and their units, object names and plain
// INSERT / UPDATE / DELETE statements.
//
// Values read back to what was written: numbers are base 10, range-checked
// and locale-independent; floats print the shortest text that reads back to
// the same value; booleans, dates and date-times keep microseconds and the
// zone offset. A text that does not fit its type gives no value and a
// platform warning. Every name is a quoted identifier and every SQL value a
// literal with its quotes doubled (only strict numbers and booleans go bare).
//
// Stateless; safe from any thread.
#pragma once

#include "core/Value.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace Dizezida::Dovodarud::MetaModel {
class MetaTable;
}
namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
class ValueBinary;
} // namespace Dizezida::Zozuvoru::Contracts

namespace Dizezida::Dovodarud::Helpers {

using TextList = std::span<const std::string>;

class DatabaseHelper {
public:
    DatabaseHelper() = delete;

    /// A value as display text; `null_value` for NULL and values holding nothing.
    static std::string glib_value_to_text(const Core::Value& value, std::string_view null_value);
    /// A value of the registered type `type` read from text; nothing (and a
    /// platform warning) when the text does not fit the type.
    static std::optional<Core::Value> string_to_glib_value(std::string_view type,
                                                           std::string_view text);
    static std::pair<bool, std::int64_t> glib_value_to_int64(const Core::Value& value);
    static std::pair<bool, std::uint64_t> glib_value_to_uint64(const Core::Value& value);
    static std::pair<bool, double> glib_value_to_double(const Core::Value& value);

    /// A provider value as an SQL literal: NULL, a strict number or boolean
    /// bare, anything else quoted with its quotes doubled.
    static std::string format_sql_value(std::uint32_t data_type,
                                        const Zozuvoru::Contracts::ValuePtr& data_value);
    /// The text of a value that is not NULL as an SQL literal, by the rule above.
    static std::string format_sql_text(std::uint32_t data_type, std::string_view text);
    /// format_sql_text appended to `out`.
    static void append_sql_text(std::string& out, std::uint32_t data_type, std::string_view text);
    /// Bytes that are UTF-8 text as that text, else "<media type>(<size>)".
    static std::string summary(const Zozuvoru::Contracts::ValueBinary& value,
                               std::string_view null_value);
    /// "N Byte" up to 1000, else thousands with separators and " KB".
    static std::string format_size(std::uint64_t size);
    /// The largest unit (B, KB, ... YB, binary multiples) in which the value is
    /// at least 1; 0 gives (0, unit).
    static std::pair<std::uint64_t, std::string> match_unit_max(std::uint64_t value,
                                                                std::string_view unit);
    /// A value from one unit to another; results beyond 64 bits cap at the maximum.
    static std::uint64_t convert_with_unit(std::uint64_t value, std::string_view unit_old,
                                           std::string_view unit_new);
    /// `user`@`host` (backquotes doubled inside).
    static std::string make_fullname_mysql(std::string_view username);
    /// "schema"."table", "table" alone when there is no schema.
    static std::string format_object_name(std::string_view schema, std::string_view table);
    static std::string build_sql_insert(std::string_view schema, std::string_view table,
                                        TextList columns, TextList values);
    static std::string build_sql_update(std::string_view schema, std::string_view table,
                                        TextList columns, TextList values, TextList keys,
                                        TextList key_values);
    static std::string build_sql_delete(std::string_view schema, std::string_view table,
                                        TextList keys, TextList key_values);
    /// Adds the model's columns to an empty table; whether the counts now agree.
    static bool update_schema_with_model(MetaModel::MetaTable& table,
                                         const Zozuvoru::Contracts::TableModel& model);
};

} // namespace Dizezida::Dovodarud::Helpers

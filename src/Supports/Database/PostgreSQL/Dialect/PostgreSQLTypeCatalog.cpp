#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLTypeCatalog.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

/// How a default literal is made: a fixed text, or the current local time
/// in a strftime-like format (quotes included).
enum class Default { Fixed, LocalTime };

/// One native type name: its class, its in-memory value type and the
/// default literal of a new column.
struct NativeType {
    std::string_view name;
    DataType data_type;
    std::string_view glib_type;
    std::string_view default_text;
    Default default_kind = Default::Fixed;
};

using enum DataType;
constexpr std::string_view k_text = "gchararray";

// The short spellings first, then those information_schema reports.
constexpr NativeType k_native_types[] = {
    {"boolean", BOOLEAN, "gboolean", "false"},
    {"bool", BOOLEAN, "gboolean", "false"},
    {"smallint", SMALLINT, "gint", "0"},
    {"int2", SMALLINT, "gint", "0"},
    {"smallserial", SMALLINT, "guint", "0"},
    {"serial2", SMALLINT, "guint", "0"},
    {"integer", INTEGER, "gint", "0"},
    {"int", INTEGER, "gint", "0"},
    {"int4", INTEGER, "gint", "0"},
    {"serial", INTEGER, "gint", "0"},
    {"serial4", INTEGER, "gint", "0"},
    {"bigint", BIGINT, "gint64", "0"},
    {"int8", BIGINT, "gint64", "0"},
    {"bigserial", BIGINT, "gint64", "0"},
    {"serial8", BIGINT, "gint64", "0"},
    {"oid", UINTEGER, "guint", "0"},
    {"xid", UINTEGER, "guint", "'0'"},
    // Exact decimals live as text: a float would round them.
    {"money", NUMERIC, k_text, "0.0"},
    {"numeric", NUMERIC, k_text, "0.0"},
    {"decimal", NUMERIC, k_text, "0.0"},
    {"real", FLOAT, "gfloat", "0.0"},
    {"float4", FLOAT, "gfloat", "0.0"},
    {"float8", DOUBLE, "gdouble", "0.0"},
    {"double", DOUBLE, "gdouble", "0.0"},
    {"double precision", DOUBLE, "gdouble", "0.0"},
    {"date", DATE, "GDate", "'%Y-%m-%d'", Default::LocalTime},
    {"time", TIME, "gpointer", "'%H:%M:%S'", Default::LocalTime},
    {"time without time zone", TIME, "gpointer", "'%H:%M:%S'", Default::LocalTime},
    {"timetz", TIME, "GDateTime", "'%H:%M:%S'", Default::LocalTime},
    {"time with time zone", TIME, "GDateTime", "'%H:%M:%S'", Default::LocalTime},
    {"timestamp", TIMESTAMP, "GDateTime", "'%Y-%m-%d %H:%M:%S'", Default::LocalTime},
    {"timestamp without time zone", TIMESTAMP, "GDateTime", "'%Y-%m-%d %H:%M:%S'",
     Default::LocalTime},
    {"timestamptz", TIMESTAMP, "GDateTime", "'%Y-%m-%d %H:%M:%S'", Default::LocalTime},
    {"timestamp with time zone", TIMESTAMP, "GDateTime", "'%Y-%m-%d %H:%M:%S'",
     Default::LocalTime},
    {"datetime", UNKNOWN, "void", "'%Y-%m-%d %H:%M:%S'", Default::LocalTime},
    // An interval is no point in time: text keeps it whole.
    {"interval", INTERVAL, k_text, "'00:00:00'"},
    {"bit", TEXT, k_text, "B'0'"},
    {"bit varying", TEXT, k_text, "''"},
    {"varbit", TEXT, k_text, "''"},
    {"character", TEXT, k_text, "''"},
    {"char", TEXT, k_text, "''"},
    {"bpchar", TEXT, k_text, "''"},
    {"\"char\"", TEXT, k_text, "''"},
    {"character varying", TEXT, k_text, "''"},
    {"varchar", TEXT, k_text, "''"},
    {"text", TEXT, k_text, "''"},
    {"name", TEXT, k_text, "''"},
    {"inet", TEXT, k_text, "'0.0.0.0'"},
    {"cidr", TEXT, k_text, "'0.0.0.0/0'"},
    {"macaddr", TEXT, k_text, "'00:00:00:00:00:00'"},
    {"macaddr8", TEXT, k_text, "'00:00:00:00:00:00:00:00'"},
    {"xml", XML, "void", "''"},
    {"uuid", UUID, "void", "'00000000-0000-0000-0000-000000000000'"},
    {"json", JSON, "void", "'{}'"},
    {"jsonb", JSON, "void", "'{}'"},
    {"line", GEOMETRY, "void", "'{1,-1,0}'"},
    {"box", GEOMETRY, "void", "'(0,0),(0,0)'"},
    {"circle", GEOMETRY, k_text, "'<(0,0),0>'"},
    {"lseg", GEOMETRY, k_text, "'[(0,0),(0,0)]'"},
    {"path", GEOMETRY, k_text, "'[(0,0)]'"},
    {"point", GEOMETRY, k_text, "'(0,0)'"},
    {"polygon", GEOMETRY, k_text, "'((0,0))'"},
    {"bytea", BINARY, "GBytes", "''::bytea"},
    {"tsquery", OBJECT, "GObject", "''::tsquery"},
    {"tsvector", OBJECT, "GObject", "''::tsvector"},
    {"txid_snapshot", OBJECT, "GObject", "'1:1:'"},
    {"pg_lsn", OBJECT, "GObject", "'0/0'"},
    {"array", ARRAY, "void", "'{}'"},
    {"user-defined", UNKNOWN, "void", "NULL"},
};

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

const NativeType* find_native(std::string_view native_type) {
    const std::string name = lower(native_type);
    const auto found = std::find_if(std::begin(k_native_types), std::end(k_native_types),
                                    [&](const NativeType& entry) { return entry.name == name; });
    return found == std::end(k_native_types) ? nullptr : found;
}

std::string local_time(std::string_view format) {
    GDateTime* now = g_date_time_new_now_local();
    gchar* text = g_date_time_format(now, std::string(format).c_str());
    std::string out = text ? text : "";
    g_free(text);
    g_date_time_unref(now);
    return out;
}

} // namespace

std::shared_ptr<PostgreSQLInspector>
PostgreSQLInspector::create(const std::shared_ptr<Contracts::Database::IConnection>& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLInspector>(connection);
}

bool PostgreSQLInspector::at_least(std::uint32_t major) const {
    const auto connection = get_connection();
    const std::uint32_t known = connection ? connection->get_major_version() : 0;
    return known == 0 || known >= major;
}

DataType PostgreSQLInspector::get_data_type(std::string_view native_type) const {
    const NativeType* found = find_native(native_type);
    return found ? found->data_type : UNKNOWN;
}

std::string PostgreSQLInspector::get_glib_type(std::string_view native_type) const {
    const NativeType* found = find_native(native_type);
    return std::string(found ? found->glib_type : "void");
}

std::string PostgreSQLInspector::get_type_default(std::string_view native_type) const {
    const NativeType* found = find_native(native_type);
    if (!found)
        return "NULL";
    if (found->default_kind == Default::LocalTime)
        return local_time(found->default_text);
    return std::string(found->default_text);
}

std::string PostgreSQLInspector::get_sql_type(DataType data_type) const {
    switch (data_type) {
    case BOOLEAN: return "BOOLEAN";
    case TINYINT:
    case SMALLINT:
    case UTINYINT: return "SMALLINT";
    case INTEGER:
    case USMALLINT: return "INTEGER";
    case BIGINT:
    case UINTEGER: return "BIGINT";
    case UBIGINT:
    case NUMERIC:
    case DECIMAL: return "NUMERIC";
    case FLOAT: return "FLOAT4";
    case DOUBLE: return "FLOAT8";
    case DATE: return "DATE";
    case TIME: return "TIMETZ";
    case TIMESTAMP:
    case DATETIME: return "TIMESTAMPTZ";
    case INTERVAL: return "INTERVAL";
    case XML: return "XML";
    case UUID: return "UUID";
    case JSON: return "JSON";
    case BINARY:
    case BLOB: return "BYTEA";
    case GEOMETRY:
    case OBJECT:
    case ARRAY: return "TEXT";
    default: return "VARCHAR";
    }
}

std::string PostgreSQLInspector::get_column_sql_type(DataType data_type,
                                                     std::string_view native_type) const {
    const std::string name = lower(native_type);
    const bool spelled_as_kind = name.empty() || name == "array" || name == "user-defined";
    const bool class_loses_values = data_type == UNKNOWN || data_type == GEOMETRY ||
                                    data_type == OBJECT || data_type == ARRAY ||
                                    (data_type == JSON && name == "jsonb") ||
                                    (data_type == NUMERIC && name == "money");
    if (class_loses_values && !spelled_as_kind)
        return std::string(native_type);
    if (data_type == UNKNOWN)
        return "TEXT";
    return get_sql_type(data_type);
}

const Core::TypeInfo& PostgreSQLInspector::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLInspector, Core::Object>(
        "DizezidaDovodarudSupportsDatabasePostgreSQLInspector", {},
        {&Contracts::Database::IInspectable::static_type()});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLInspector)

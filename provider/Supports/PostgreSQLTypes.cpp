#include "provider/Supports/PostgreSQLTypes.hpp"

#include <algorithm>
#include <iterator>

namespace Dizezida::Zozuvoru::Supports {
namespace {

using Contracts::DataType;
using Contracts::ValueClass;

constexpr Contracts::ColumnCodec codec(DataType type, ValueClass value = ValueClass::String) {
    return Contracts::ColumnCodec{type, value};
}

constexpr Contracts::ColumnCodec k_text = codec(DataType::TEXT);
constexpr Contracts::ColumnCodec k_array = codec(DataType::ARRAY);
constexpr Contracts::ColumnCodec k_geometry = codec(DataType::GEOMETRY);
constexpr Contracts::ColumnCodec k_search = codec(DataType::OBJECT);

// Sorted by identifier.
constexpr PgType k_types[] = {
    {16, "bool", codec(DataType::BOOLEAN, ValueClass::Boolean)},
    {17, "bytea", codec(DataType::BINARY, ValueClass::Binary)},
    {18, "char", k_text},
    {19, "name", k_text},
    {20, "int8", codec(DataType::BIGINT, ValueClass::Int64)},
    {21, "int2", codec(DataType::SMALLINT, ValueClass::Int16)},
    {22, "int2vector", k_text},
    {23, "int4", codec(DataType::INTEGER, ValueClass::Int32)},
    {24, "regproc", k_text},
    {25, "text", k_text},
    {26, "oid", codec(DataType::UINTEGER, ValueClass::UInt32)},
    {27, "tid", k_text},
    {28, "xid", codec(DataType::UINTEGER, ValueClass::UInt32)},
    {29, "cid", codec(DataType::UINTEGER, ValueClass::UInt32)},
    {30, "oidvector", k_text},
    {114, "json", codec(DataType::JSON)},
    {142, "xml", codec(DataType::XML)},
    {143, "_xml", k_array},
    {194, "pg_node_tree", k_text},
    {199, "_json", k_array},
    {600, "point", k_geometry},
    {601, "lseg", k_geometry},
    {602, "path", k_geometry},
    {603, "box", k_geometry},
    {604, "polygon", k_geometry},
    {628, "line", k_geometry},
    {629, "_line", k_array},
    {650, "cidr", k_text},
    {651, "_cidr", k_array},
    {700, "float4", codec(DataType::FLOAT, ValueClass::Float)},
    {701, "float8", codec(DataType::DOUBLE, ValueClass::Double)},
    {705, "unknown", k_text},
    {718, "circle", k_geometry},
    {719, "_circle", k_array},
    {774, "macaddr8", k_text},
    {775, "_macaddr8", k_array},
    {790, "money", codec(DataType::NUMERIC, ValueClass::Numeric)},
    {791, "_money", k_array},
    {829, "macaddr", k_text},
    {869, "inet", k_text},
    {1000, "_bool", k_array},
    {1001, "_bytea", k_array},
    {1002, "_char", k_array},
    {1003, "_name", k_array},
    {1005, "_int2", k_array},
    {1006, "_int2vector", k_array},
    {1007, "_int4", k_array},
    {1008, "_regproc", k_array},
    {1009, "_text", k_array},
    {1010, "_tid", k_array},
    {1011, "_xid", k_array},
    {1012, "_cid", k_array},
    {1013, "_oidvector", k_array},
    {1014, "_bpchar", k_array},
    {1015, "_varchar", k_array},
    {1016, "_int8", k_array},
    {1017, "_point", k_array},
    {1018, "_lseg", k_array},
    {1019, "_path", k_array},
    {1020, "_box", k_array},
    {1021, "_float4", k_array},
    {1022, "_float8", k_array},
    {1027, "_polygon", k_array},
    {1028, "_oid", k_array},
    {1033, "aclitem", k_text},
    {1034, "_aclitem", k_array},
    {1040, "_macaddr", k_array},
    {1041, "_inet", k_array},
    {1042, "bpchar", k_text},
    {1043, "varchar", k_text},
    {1082, "date", codec(DataType::DATE, ValueClass::DateTime)},
    {1083, "time", codec(DataType::TIME, ValueClass::Time)},
    {1114, "timestamp", codec(DataType::TIMESTAMP, ValueClass::DateTime)},
    {1115, "_timestamp", k_array},
    {1182, "_date", k_array},
    {1183, "_time", k_array},
    {1184, "timestamptz", codec(DataType::TIMESTAMP, ValueClass::DateTime)},
    {1185, "_timestamptz", k_array},
    {1186, "interval", codec(DataType::INTERVAL, ValueClass::Interval)},
    {1187, "_interval", k_array},
    {1231, "_numeric", k_array},
    {1263, "_cstring", k_array},
    {1266, "timetz", codec(DataType::TIME, ValueClass::Time)},
    {1270, "_timetz", k_array},
    {1560, "bit", k_text},
    {1561, "_bit", k_array},
    {1562, "varbit", k_text},
    {1563, "_varbit", k_array},
    {1700, "numeric", codec(DataType::NUMERIC, ValueClass::Numeric)},
    {1790, "refcursor", k_text},
    {2201, "_refcursor", k_array},
    {2202, "regprocedure", k_text},
    {2203, "regoper", k_text},
    {2204, "regoperator", k_text},
    {2205, "regclass", k_text},
    {2206, "regtype", k_text},
    {2207, "_regprocedure", k_array},
    {2208, "_regoper", k_array},
    {2209, "_regoperator", k_array},
    {2210, "_regclass", k_array},
    {2211, "_regtype", k_array},
    {2249, "record", k_text},
    {2275, "cstring", k_text},
    {2278, "void", k_text},
    {2287, "_record", k_array},
    {2950, "uuid", codec(DataType::UUID)},
    {2951, "_uuid", k_array},
    {2970, "txid_snapshot", k_search},
    {3220, "pg_lsn", k_search},
    {3221, "_pg_lsn", k_array},
    {3614, "tsvector", k_search},
    {3615, "tsquery", k_search},
    {3642, "gtsvector", k_search},
    {3643, "_tsvector", k_array},
    {3645, "_tsquery", k_array},
    {3734, "regconfig", k_text},
    {3735, "_regconfig", k_array},
    {3769, "regdictionary", k_text},
    {3770, "_regdictionary", k_array},
    {3802, "jsonb", codec(DataType::JSON)},
    {3807, "_jsonb", k_array},
    {3904, "int4range", k_text},
    {3905, "_int4range", k_array},
    {3906, "numrange", k_text},
    {3907, "_numrange", k_array},
    {3908, "tsrange", k_text},
    {3909, "_tsrange", k_array},
    {3910, "tstzrange", k_text},
    {3911, "_tstzrange", k_array},
    {3912, "daterange", k_text},
    {3913, "_daterange", k_array},
    {3926, "int8range", k_text},
    {3927, "_int8range", k_array},
    {4072, "jsonpath", k_text},
    {4073, "_jsonpath", k_array},
    {4089, "regnamespace", k_text},
    {4090, "_regnamespace", k_array},
    {4096, "regrole", k_text},
    {4097, "_regrole", k_array},
    {5038, "pg_snapshot", k_search},
    {5039, "_pg_snapshot", k_array},
    {5069, "xid8", codec(DataType::UBIGINT, ValueClass::UInt64)},
    {5070, "_xid8", k_array},
};

} // namespace

PgType pg_type(Oid oid) {
    const auto* end = std::end(k_types);
    const auto* found = std::lower_bound(
        std::begin(k_types), end, oid, [](const PgType& type, Oid key) { return type.oid < key; });
    if (found != end && found->oid == oid)
        return *found;
    return PgType{oid, {}, k_text};
}

std::vector<Contracts::ColumnPtr> columns_of(const PGresult* result) {
    const int count = PQnfields(result);
    std::vector<Contracts::ColumnPtr> columns;
    columns.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const PgType type = pg_type(PQftype(result, i));
        columns.push_back(std::make_shared<Contracts::ColumnModel>(
            PQfname(result, i), type.codec.data_type, type.oid, std::string(type.name)));
    }
    return columns;
}

Contracts::TablePtr table_for_result(const PGresult* result) {
    auto table = Contracts::TableModel::create();
    Contracts::TableStorage& storage = table->storage();
    const int count = PQnfields(result);
    storage.columns.reserve(static_cast<std::size_t>(count));
    for (const Contracts::ColumnPtr& column : columns_of(result)) {
        storage.columns.emplace_back(pg_type(column->get_type_oid()).codec);
        table->add_column(column);
    }
    return table;
}

void append_result_rows(Contracts::TableModel& table, const PGresult* result) {
    Contracts::TableStorage& storage = table.storage();
    const int rows = PQntuples(result);
    if (rows <= 0)
        return;
    const int fields = std::min<int>(PQnfields(result), static_cast<int>(storage.columns.size()));
    for (int column = 0; column < fields; ++column) {
        Contracts::ColumnStore& store = storage.columns[static_cast<std::size_t>(column)];
        if (rows > 1) {
            std::size_t bytes = 0;
            for (int row = 0; row < rows; ++row)
                bytes += static_cast<std::size_t>(PQgetlength(result, row, column));
            store.reserve(static_cast<std::size_t>(rows), bytes);
        }
        for (int row = 0; row < rows; ++row) {
            if (PQgetisnull(result, row, column))
                store.append_null();
            else
                store.append_text(
                    std::string_view(PQgetvalue(result, row, column),
                                     static_cast<std::size_t>(PQgetlength(result, row, column))));
        }
    }
    storage.rows += static_cast<std::size_t>(rows);
}

} // namespace Dizezida::Zozuvoru::Supports

namespace Dizezida::Zozuvoru::Supports {

void append_row_batch(Contracts::TableModel& table, std::span<const PGresult* const> rows) {
    Contracts::TableStorage& storage = table.storage();
    for (std::size_t column = 0; column < storage.columns.size(); ++column) {
        Contracts::ColumnStore& store = storage.columns[column];
        const int field = static_cast<int>(column);
        for (const PGresult* row : rows) {
            if (PQgetisnull(row, 0, field))
                store.append_null();
            else
                store.append_text(
                    std::string_view(PQgetvalue(row, 0, field),
                                     static_cast<std::size_t>(PQgetlength(row, 0, field))));
        }
    }
    storage.rows += rows.size();
}

} // namespace Dizezida::Zozuvoru::Supports

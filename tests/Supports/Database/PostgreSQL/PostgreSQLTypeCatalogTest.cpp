// The type inspector against the server under test: the spellings the
// catalog reports, type mappings that keep values, default literals the
// server accepts, and every choice list and catalog query of `support`.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Contracts/Database/ITypeCatalog.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLTypeCatalog.hpp"
#include "Supports/Database/SqlText.hpp"

#include <algorithm>

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Contracts::Database::DbMetaType;
using Dovodarud::Contracts::Database::IInspectable;
using Dovodarud::Supports::Database::PostgreSQLInspector;
using Dovodarud::Supports::Database::sql_fill;
using Dovodarud::Supports::Database::sql_literal;
using Zozuvoru::Contracts::DataType;

namespace {

class PostgreSQLInspectorOnServer : public CatalogServer {
protected:
    IInspectable& inspector() { return *m_super->inspector(); }
};

TEST(PostgreSQLInspectorNames, ShortAndCatalogSpellingsShareAClass) {
    auto connection = PostgreSQLConnection::create();
    auto& inspector = *connection->inspector();
    const std::pair<const char*, DataType> cases[] = {
        {"INT4", DataType::INTEGER},
        {"integer", DataType::INTEGER},
        {"numeric(10,2)", DataType::UNKNOWN},
        {"", DataType::UNKNOWN},
        {"double precision", DataType::DOUBLE},
        {"timestamp with time zone", DataType::TIMESTAMP},
        {"time without time zone", DataType::TIME},
        {"bit varying", DataType::TEXT},
        {"bpchar", DataType::TEXT},
        {"ARRAY", DataType::ARRAY},
        {"USER-DEFINED", DataType::UNKNOWN},
        {"oid", DataType::UINTEGER},
        {"jsonb", DataType::JSON},
        {"tsvector", DataType::OBJECT},
    };
    for (const auto& [name, type] : cases) {
        EXPECT_EQ(inspector.get_data_type(name), type) << name;
    }
    EXPECT_EQ(inspector.get_sql_type(inspector.get_data_type("numeric")), "NUMERIC");
    EXPECT_EQ(inspector.get_sql_type(inspector.get_data_type("timestamptz")), "TIMESTAMPTZ");
    EXPECT_EQ(inspector.get_sql_type(DataType::UNKNOWN), "VARCHAR");
    // A class that would lose values keeps the native type.
    EXPECT_EQ(inspector.get_column_sql_type(DataType::UNKNOWN, "numeric(10,2)"), "numeric(10,2)");
    EXPECT_EQ(inspector.get_column_sql_type(DataType::UNKNOWN, "USER-DEFINED"), "TEXT");
    EXPECT_EQ(inspector.get_column_sql_type(DataType::JSON, "jsonb"), "jsonb");
    EXPECT_EQ(inspector.get_column_sql_type(DataType::JSON, "json"), "JSON");
    EXPECT_EQ(inspector.get_column_sql_type(DataType::INTEGER, "int4"), "INTEGER");
    // Exact kinds live as text in memory.
    EXPECT_EQ(inspector.get_glib_type("NUMERIC"), "gchararray");
    EXPECT_EQ(inspector.get_glib_type("interval"), "gchararray");
    EXPECT_EQ(inspector.get_glib_type("int8"), "gint64");
    EXPECT_EQ(inspector.get_glib_type("point"), "gchararray");
    EXPECT_EQ(inspector.get_glib_type("nothing"), "void");
    EXPECT_EQ(inspector.get_type_default("TEXT"), "''");
    EXPECT_EQ(inspector.get_type_default("timestamp").size(), 21u); // 'YYYY-MM-DD HH:MM:SS'
    EXPECT_EQ(inspector.support(DbMetaType::NONE).size(), 0u);
    EXPECT_EQ(inspector.support(DbMetaType::ACCESS_TYPE).size(), 0u);
}

TEST_F(PostgreSQLInspectorOnServer, CatalogSpellingsAgreeWithTypeNames) {
    execute(*m_super, "CREATE TABLE " + schema_name() +
                          ".spelled (a int2, b int4, c int8, d numeric(10,2), e float4,"
                          " f float8, g timestamptz, h timestamp, i timetz, j time, k date,"
                          " l interval, m char(3), n varchar(9), o text, p bit(2), q varbit,"
                          " r bool, s bytea, t uuid, u json, v jsonb, w xml, x inet, y cidr,"
                          " z macaddr, aa point, ab polygon, ac money, ad tsvector, ae oid,"
                          " af name, ag \"char\", ah int[], ai int4range)");
    const QueryResult columns = query(
        *m_super, "SELECT column_name, data_type, udt_name FROM information_schema.columns"
                  " WHERE table_name = 'spelled' ORDER BY ordinal_position");
    ASSERT_EQ(columns.rows.size(), 35u);
    for (const auto& row : columns.rows) {
        const std::string& spelled = row[1];
        const DataType type = inspector().get_data_type(spelled);
        if (spelled == "ARRAY") {
            EXPECT_EQ(type, DataType::ARRAY);
        } else if (spelled != "int4range") {
            EXPECT_NE(type, DataType::UNKNOWN) << row[0] << " " << spelled;
            EXPECT_EQ(type, inspector().get_data_type(row[2])) << row[0] << " " << spelled;
        }
    }
}

TEST_F(PostgreSQLInspectorOnServer, MappedColumnsHoldEveryValue) {
    const std::pair<std::string, std::string> cases[] = {
        {"numeric(38,10)", "1234567890123456789012345678.0123456789"},
        {"numeric", "0.125"},
        {"timestamptz", "2024-03-01 10:15:30.123456+05:30"},
        {"timestamp", "2024-03-01 10:15:30.5"},
        {"timetz", "10:15:30+05:30"},
        {"uuid", "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"},
        {"jsonb", "{\"b\": [1, 2.50], \"a\": null}"},
        {"json", "{\"b\":1,  \"b\":2}"},
        {"oid", "4000000000"},
        {"money", "12345678.91"},
        {"interval", "3 mons"},
        {"bytea", "\\x00ff10"},
        {"tsvector", "'a':1 'fat':2 'rat':3"},
        {"point", "(1.5,-2)"},
        {"float8", "0.1"},
        {"int8", "-9223372036854775808"},
        {"inet", "192.168.0.1/24"},
    };
    auto& dialect = CatalogServer::dialect(*m_super);
    int index = 0;
    for (const auto& [type, literal] : cases) {
        SCOPED_TRACE(type);
        const std::string table = schema_name() + ".rt" + std::to_string(index++);
        const DataType data_type = inspector().get_data_type(type);
        const std::string by_class = inspector().get_sql_type(data_type);
        const std::string by_column = inspector().get_column_sql_type(data_type, type);
        execute(*m_super, "CREATE TABLE " + table + " (id int, v " + type + ", a " + by_class +
                              ", b " + by_column + ")");
        execute(*m_super, "INSERT INTO " + table + " (id, v) VALUES (1, " + sql_literal(literal) +
                              ")");
        // Through SQL: the class's type holds the value.
        execute(*m_super, "UPDATE " + table + " SET a = v::" + by_class);
        // As rows travel between servers: the text, packed as a literal for the class.
        const std::string text = scalar(*m_super, "SELECT v FROM " + table);
        execute(*m_super, "UPDATE " + table + " SET b = " +
                              dialect.pack_value(static_cast<std::uint32_t>(data_type), text));
        EXPECT_EQ(scalar(*m_super, "SELECT a::" + type + "::text FROM " + table), text);
        EXPECT_EQ(scalar(*m_super, "SELECT b::" + type + "::text FROM " + table), text);
    }
}

TEST_F(PostgreSQLInspectorOnServer, DefaultsAreAcceptedForEveryKnownType) {
    const char* types[] = {
        "boolean", "bool", "smallint", "int2", "integer", "int", "int4", "bigint", "int8", "oid",
        "xid", "money", "numeric", "decimal", "real", "float4", "float8", "double precision",
        "date", "time", "time without time zone", "timetz", "time with time zone", "timestamp",
        "timestamp without time zone", "timestamptz", "timestamp with time zone", "interval",
        "bit", "bit varying", "varbit", "character", "char", "bpchar", "character varying",
        "varchar", "text", "name", "\"char\"", "inet", "cidr", "macaddr", "macaddr8", "xml",
        "uuid", "json", "jsonb", "line", "box", "circle", "lseg", "path", "point", "polygon",
        "bytea", "tsquery", "tsvector", "txid_snapshot", "pg_lsn", "int4range"};
    const std::string table = schema_name() + ".defaults";
    execute(*m_super, "CREATE TABLE " + table + " (id int)");
    execute(*m_super, "INSERT INTO " + table + " VALUES (1)");
    int index = 0;
    for (const char* type : types) {
        const std::string literal = inspector().get_type_default(type);
        ASSERT_FALSE(literal.empty()) << type;
        execute(*m_super, "ALTER TABLE " + table + " ADD COLUMN c" + std::to_string(index++) +
                              " " + type + " DEFAULT " + literal);
    }
}

/// Every choice of `support`, with its catalog queries run on a connection:
/// one column each, the same rows twice. The first column of each query's
/// result by kind and position.
std::map<std::pair<int, std::size_t>, std::vector<std::string>>
run_support(PostgreSQLConnection& connection,
            const std::function<QueryResult(PostgreSQLConnection&, const std::string&)>& run,
            const std::string& schema, const std::string& table) {
    std::map<std::pair<int, std::size_t>, std::vector<std::string>> names;
    auto& inspector = *connection.inspector();
    for (int kind = 0; kind <= 102; ++kind) {
        const auto entries = inspector.support(static_cast<DbMetaType>(kind));
        for (std::size_t position = 0; position < entries.size(); ++position) {
            const std::string& entry = entries[position];
            if (entry.rfind("SELECT ", 0) != 0)
                continue;
            SCOPED_TRACE("kind " + std::to_string(kind) + " query " + std::to_string(position));
            const std::string sql = sql_fill(entry, schema, table);
            const QueryResult first = run(connection, sql);
            EXPECT_EQ(first.columns.size(), 1u) << sql;
            // Role lists are the whole cluster's, which other tests change meanwhile.
            const bool cluster_wide = kind == 47 || kind == 72;
            if (!cluster_wide) {
                EXPECT_EQ(run(connection, sql).rows, first.rows) << sql;
            }
            names[{kind, position}] = first.first_column();
        }
    }
    return names;
}

std::pair<int, std::size_t> key(int kind, std::size_t position) { return {kind, position}; }

bool has(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

TEST_F(PostgreSQLInspectorOnServer, SupportQueriesRunForSuperuserAndOrdinaryRole) {
    auto run = [this](PostgreSQLConnection& c, const std::string& sql) { return query(c, sql); };
    auto names = run_support(*m_super, run, k_schema, k_table);
    EXPECT_GE(names.size(), 16u);
    // A schema nobody was granted anything on is still a namespace to choose.
    EXPECT_TRUE(has(names[key(71, 0)], k_schema));
    EXPECT_TRUE(has(names[key(68, 0)], schema_name() + "." + "\"Or'der \"\"Lines\"\"\""));
    EXPECT_TRUE(has(names[key(52, 0)], "trg'fn"));
    EXPECT_EQ(names[key(7, 0)], (std::vector<std::string>{"id", "parent_id", "note"}));
    EXPECT_TRUE(has(names[key(70, 0)], k_table));
    EXPECT_TRUE(has(names[key(14, 0)], "parent"));
    EXPECT_TRUE(has(names[key(4, 0)], "UTF8"));
    EXPECT_TRUE(has(names[key(5, 2)], "pg_catalog.C"));
    EXPECT_TRUE(has(names[key(39, 2)], "pg_catalog.int4_ops"));
    EXPECT_TRUE(has(names[key(72, 0)], "postgres"));

    auto plain = open_as(ordinary_role());
    auto plain_names = run_support(*plain, run, k_schema, k_table);
    EXPECT_EQ(plain_names[key(71, 0)], names[key(71, 0)]);
    EXPECT_EQ(plain_names[key(52, 0)], names[key(52, 0)]);
}

TEST_F(PostgreSQLInspectorOnServer, ChoicesAreAcceptedByTheServer) {
    auto& i = inspector();
    // Every type of the menu makes a column.
    std::string columns;
    int index = 0;
    for (const std::string& type : i.support(DbMetaType::COLUMN_TYPE)) {
        if (type.rfind("##", 0) == 0)
            continue;
        columns += (columns.empty() ? "" : ", ") + std::string("c") + std::to_string(index++) +
                   " " + type;
    }
    EXPECT_EQ(index, 49);
    execute(*m_super, "CREATE TABLE " + schema_name() + ".menu (" + columns + ")");

    // Every match type of a foreign key is one the server implements.
    for (const std::string& match : i.support(DbMetaType::FOREIGNKEY_MATCH))
        execute(*m_super, "CREATE TABLE " + schema_name() + ".\"match " + match +
                              "\" (p int REFERENCES " + schema_name() + ".parent (id) MATCH " +
                              match + ")");

    // The body templates compile.
    std::string body = i.support(DbMetaType::TEMPLATE_FUNCTION).at(0);
    body.replace(body.find("%s"), 2, "1");
    execute(*m_super, "CREATE FUNCTION " + schema_name() +
                          ".tf() RETURNS int LANGUAGE plpgsql AS $$BEGIN\n" + body + "\nEND$$");
    EXPECT_EQ(scalar(*m_super, "SELECT " + schema_name() + ".tf()"), "1");
    const std::string procedure_body = i.support(DbMetaType::TEMPLATE_PROCEDURE).at(0);
    const std::string routine = major() >= 11 ? "PROCEDURE " : "FUNCTION ";
    const std::string returns = major() >= 11 ? "" : " RETURNS void";
    execute(*m_super, "CREATE " + routine + schema_name() + ".tp()" + returns +
                          " LANGUAGE plpgsql AS $$BEGIN\n" + procedure_body + "\nEND$$");
}

} // namespace

#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Supports/Database/SqlText.hpp"
#include "tests/support/ProviderTesting.hpp"

#include <algorithm>

namespace Dizezida::Testing {

using Dovodarud::Supports::Database::sql_name;
using Dovodarud::Supports::Database::sql_qualified;

std::vector<std::string> QueryResult::first_column() const {
    std::vector<std::string> values;
    for (const auto& row : rows)
        values.push_back(row.empty() ? std::string() : row.front());
    return values;
}

bool QueryResult::has_row_starting(const std::string& value) const {
    const auto values = first_column();
    return std::find(values.begin(), values.end(), value) != values.end();
}

void CatalogServer::SetUp() {
    m_super = open_as("");
    ASSERT_NE(major(), 0u);
    create_objects();
}

void CatalogServer::TearDown() {
    for (auto& connection : m_opened)
        connection->close();
    for (const std::string& role : m_roles) {
        auto cleaner = open_as("");
        execute(*cleaner, "DROP OWNED BY " + sql_name(role));
        cleaner->close();
        run_sql("DROP ROLE IF EXISTS " + sql_name(role));
    }
}

std::shared_ptr<PostgreSQLConnection> CatalogServer::open_as(const std::string& role) {
    std::string conninfo = m_database.conninfo();
    if (!role.empty()) {
        std::string quoted;
        for (const char c : role) {
            if (c == '\'' || c == '\\')
                quoted.push_back('\\');
            quoted.push_back(c);
        }
        conninfo += " user='" + quoted + "'";
    }
    auto server = server_from_conninfo(conninfo);
    server->set_uuid(unique_name("catalog-conn"));
    auto connection = PostgreSQLConnection::create();
    const auto opened = connection->open(server, nullptr);
    EXPECT_TRUE(opened.has_value()) << (opened ? "" : opened.error().message);
    m_opened.push_back(connection);
    return connection;
}

QueryResult CatalogServer::query(PostgreSQLConnection& connection, const std::string& sql) {
    QueryResult result;
    auto model = connection.execute_as_model(sql, 0);
    EXPECT_TRUE(model.has_value()) << sql << "\n" << (model ? "" : model.error().message);
    if (!model || !*model)
        return result;
    const auto& table = **model;
    for (const auto& column : table.get_columns())
        result.columns.push_back(column->get_name());
    for (std::size_t row = 0; row < table.get_row_count(); ++row) {
        std::vector<std::string> values;
        for (std::size_t column = 0; column < table.get_column_count(); ++column)
            values.push_back(table.is_null_at(row, column) ? "<null>"
                                                           : table.get_text_at(row, column));
        result.rows.push_back(std::move(values));
    }
    return result;
}

std::string CatalogServer::scalar(PostgreSQLConnection& connection, const std::string& sql) {
    const QueryResult result = query(connection, sql);
    return result.rows.empty() || result.rows[0].empty() ? std::string() : result.rows[0][0];
}

void CatalogServer::execute(PostgreSQLConnection& connection, const std::string& sql) {
    auto done = connection.execute_no_query(sql, 0);
    EXPECT_TRUE(done.has_value()) << sql << "\n" << (done ? "" : done.error().message);
}

PostgreSQLStatement& CatalogServer::dialect(PostgreSQLConnection& connection) {
    return dynamic_cast<PostgreSQLStatement&>(*connection.statement());
}

const std::string& CatalogServer::ordinary_role() {
    if (m_roles.empty()) {
        m_roles.push_back(unique_name("Plain'User"));
        run_sql("CREATE ROLE " + sql_name(m_roles.back()) + " LOGIN");
    }
    return m_roles.front();
}

std::string CatalogServer::schema_name() const { return sql_name(k_schema); }
std::string CatalogServer::table_name() const { return sql_qualified(k_schema, k_table); }

void CatalogServer::create_objects() {
    const std::string s = schema_name();
    const std::string t = table_name();
    const std::string parent = s + ".parent";
    const std::vector<std::string> statements = {
        "CREATE SCHEMA " + s,
        "CREATE TABLE " + parent +
            " (id int PRIMARY KEY, code text CONSTRAINT \"U'nique\" UNIQUE,"
            " qty int CONSTRAINT \"Ch'eck\" CHECK (qty >= 0), area box,"
            " CONSTRAINT \"Ex'clude\" EXCLUDE USING gist (area WITH &&))",
        "CREATE TABLE " + t +
            " (id int PRIMARY KEY, parent_id int CONSTRAINT \"Fk'1\" REFERENCES " + parent +
            " (id), note varchar(20))",
        "CREATE INDEX \"Idx'1\" ON " + t + " (note)",
        "CREATE VIEW " + s + ".\"V'iew\" AS SELECT id, note FROM " + t,
        "CREATE RULE \"R'ule\" AS ON INSERT TO " + s + ".\"V'iew\" DO INSTEAD INSERT INTO " + t +
            " (id, note) VALUES (NEW.id, NEW.note)",
        "CREATE FUNCTION " + s +
            ".\"trg'fn\"() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$",
        "CREATE TRIGGER \"Tr'ig\" BEFORE INSERT ON " + t + " FOR EACH ROW EXECUTE PROCEDURE " +
            s + ".\"trg'fn\"()",
        "CREATE FUNCTION " + s + ".\"Tot'al\"(a int) RETURNS int LANGUAGE sql AS 'SELECT a'",
        "CREATE FUNCTION " + s + ".\"Tot'al\"(a text) RETURNS text LANGUAGE sql AS 'SELECT a'",
        "CREATE AGGREGATE " + s + ".\"Tot'al\"(bigint) (SFUNC = int8pl, STYPE = bigint)",
        "CREATE TABLE public.orders (id int PRIMARY KEY, what text)",
        "CREATE TABLE " + s + ".orders (id int PRIMARY KEY, what text)",
        "INSERT INTO public.orders VALUES (1, 'public one'), (2, 'public two')",
        "INSERT INTO " + s + ".orders VALUES (1, 'chosen one')",
        "INSERT INTO " + parent + " VALUES (1, 'a', 1, '(0,0),(1,1)')",
        "INSERT INTO " + t + " VALUES (1, 1, 'first'), (2, 1, 'second')",
    };
    for (const std::string& sql : statements)
        execute(*m_super, sql);
    if (major() >= 11)
        execute(*m_super, "CREATE PROCEDURE " + s + ".\"Pro'c\"(a int) LANGUAGE sql AS 'SELECT 1'");
}

} // namespace Dizezida::Testing

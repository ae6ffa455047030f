// The generic statement dialect: its texts, its quoting, and the statements it
// builds run on the server with awkward names.
#include "Supports/Database/Statement.hpp"

#include "Supports/Database/ConnectionImpl.hpp"

#include "tests/support/PlatformLog.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace Dizezida;
using Dovodarud::Supports::Database::Statement;
using Zozuvoru::Contracts::DbObject;

namespace {

class StatementTest : public ::testing::Test {
protected:
    std::shared_ptr<Dovodarud::Contracts::Database::IConnection> m_connection =
        std::make_shared<Dovodarud::Supports::Database::ConnectionImpl>();
    std::shared_ptr<Statement> m_statement = Statement::create(m_connection);
};

using Texts = std::vector<std::string>;

TEST_F(StatementTest, RefersToItsConnectionWithoutOwningIt) {
    EXPECT_EQ(m_statement->get_connection(), m_connection);
    m_connection.reset();
    EXPECT_EQ(m_statement->get_connection(), nullptr);

    Testing::PlatformLogCapture log;
    EXPECT_EQ(Statement::create(nullptr), nullptr);
    EXPECT_TRUE(log.contains("connection != NULL"));
}

TEST_F(StatementTest, ConnectionStringListsTheServerFieldsInOrder) {
    auto server = Zozuvoru::Contracts::Server::create();
    server->set_host("db.example");
    server->set_initial("shop");
    server->set_port(6543);
    server->set_username("ann");
    server->set_password("pa;ss=word");
    EXPECT_EQ(m_statement->build_connection_string(server),
              "DRIVER={PostgreSQL};SERVER=db.example;DATABASE=shop;PORT=6543;UID=ann;"
              "PWD={pa;ss=word};");
    Testing::PlatformLogCapture log;
    EXPECT_EQ(m_statement->build_connection_string(nullptr), "");
    EXPECT_TRUE(log.contains("server != NULL"));
}

TEST_F(StatementTest, CatalogQueriesAreLeftToTheDialect) {
    std::int32_t flag = 7, second = 7;
    EXPECT_EQ(m_statement->show_tables("db", "public", flag), "");
    EXPECT_EQ(flag, 0);
    flag = 7;
    EXPECT_EQ(m_statement->show_source(DbObject::VIEW, "db", "s", "v", flag), "");
    EXPECT_EQ(flag, 0);
    flag = 7;
    EXPECT_EQ(m_statement->show_privileges(flag, second), "");
    EXPECT_EQ(flag + second, 0);
    EXPECT_EQ(m_statement->show_content("db", "s", "t", "*", "", "", 10, 5), "");
    EXPECT_EQ(m_statement->drop_object(DbObject::TABLE, "db", "s", "t", ""), "");
    EXPECT_EQ(m_statement->change_database("db"), "");
}

TEST_F(StatementTest, FixedTexts) {
    EXPECT_EQ(m_statement->build_explain("SELECT 1", "json"), "EXPLAIN SELECT 1;");
    EXPECT_EQ(m_statement->build_analyze("t", ""), "ANALYZE t;");
    EXPECT_EQ(m_statement->transaction("x"), "START TRANSACTION;");
    EXPECT_EQ(m_statement->commit("x"), "COMMIT;");
    EXPECT_EQ(m_statement->rollback("x"), "ROLLBACK;");
}

TEST_F(StatementTest, QuoteIdentifierQualifiesAndEscapes) {
    EXPECT_EQ(m_statement->quote_identifier("orders", "public"), "\"public\".\"orders\"");
    EXPECT_EQ(m_statement->quote_identifier("orders", ""), "\"orders\"");
    EXPECT_EQ(m_statement->quote_identifier("", ""), "\"\"");
    EXPECT_EQ(m_statement->quote_identifier("", "s"), "\"s\".\"\"");
    EXPECT_EQ(m_statement->quote_identifier("a\"b", "s\"\"c"), "\"s\"\"\"\"c\".\"a\"\"b\"");
}

TEST_F(StatementTest, PackValueByTypeGroup) {
    EXPECT_EQ(m_statement->pack_value(0, "O'Brien"), "'O''Brien'");
    EXPECT_EQ(m_statement->pack_value(23, "it's"), "'it''s'");
    EXPECT_EQ(m_statement->pack_value(5, "42"), "42");
    EXPECT_EQ(m_statement->pack_value(17, "-1.5e-7"), "-1.5e-7");
    EXPECT_EQ(m_statement->pack_value(14, ".5"), ".5");
    EXPECT_EQ(m_statement->pack_value(2, "TRUE"), "TRUE");
    EXPECT_EQ(m_statement->pack_value(6, "null"), "null");
    EXPECT_EQ(m_statement->pack_value(30, "00ff"), "X'00ff'");
    EXPECT_EQ(m_statement->pack_value(31, "0'f"), "X'0''f'");
    EXPECT_EQ(m_statement->pack_value(20, "2024-02-29 10:00"), "'2024-02-29 10:00'");
    EXPECT_EQ(m_statement->pack_value(99, "x"), "'x'");
    // Text in a number's place never goes in bare.
    EXPECT_EQ(m_statement->pack_value(5, "1; DROP TABLE t"), "'1; DROP TABLE t'");
    EXPECT_EQ(m_statement->pack_value(14, "$1,234.50"), "'$1,234.50'");
    EXPECT_EQ(m_statement->pack_value(17, "NaN"), "'NaN'");
    EXPECT_EQ(m_statement->pack_value(2, "t"), "'t'");
    EXPECT_EQ(m_statement->pack_value(5, ""), "''");
    EXPECT_EQ(m_statement->pack_value(5, "1e"), "'1e'");
    EXPECT_EQ(m_statement->pack_value(32, "16/B374D848"), "'16/B374D848'");
}

TEST_F(StatementTest, BuildersJoinNamesAndValues) {
    const Texts columns{"a", "b"}, values{"1", "2"}, keys{"id", "k"}, key_values{"7", "2"};
    EXPECT_EQ(m_statement->build_sql_insert("s", "t", columns, values),
              "INSERT INTO \"s\".\"t\"(a, b) VALUES(1, 2);");
    EXPECT_EQ(m_statement->build_sql_update("s", "t", Texts{"a"}, Texts{"1"}, {}, {}),
              "UPDATE \"s\".\"t\" SET a=1;");
    EXPECT_EQ(m_statement->build_sql_update("", "t", columns, values, keys, key_values),
              "UPDATE \"t\" SET a=1, b=2 WHERE id=7 AND k=2;");
    EXPECT_EQ(m_statement->build_sql_delete("s", "t", keys, key_values),
              "DELETE FROM \"s\".\"t\" WHERE id=7 AND k=2;");
    EXPECT_EQ(m_statement->build_sql_delete("s", "t", {}, {}), "DELETE FROM \"s\".\"t\";");
    EXPECT_EQ(m_statement->build_sql_view("", "v", "SELECT 1"), "CREATE VIEW \"v\" AS SELECT 1");
    EXPECT_EQ(m_statement->build_sql_view("s", "v\"w", "SELECT 1"),
              "CREATE VIEW \"s\".\"v\"\"w\" AS SELECT 1");
}

TEST_F(StatementTest, ParseExpressionByOperator) {
    const std::pair<const char*, const char*> cases[] = {
        {"name<;>CONTAINS<;>abc", "\"name\" LIKE '%abc%'"},
        {"t.id<;>IN<;>1,2,3", "\"t\".\"id\" IN ('1', '2', '3')"},
        {"age<;>>=<;>18", "\"age\" >= '18'"},
        {"a<;>NULL<;>", "\"a\" IS NULL"},
        {"a<;>!NULL<;>", "\"a\" IS NOT NULL"},
        {"a<;>EMPTY<;>", "\"a\" = ''"},
        {"a<;>!EMPTY<;>", "\"a\" <> ''"},
        {"a<;>!CONTAINS<;>x", "\"a\" NOT LIKE '%x%'"},
        {"a<;>PREFIX<;>x", "\"a\" LIKE 'x%'"},
        {"a<;>!PREFIX<;>x", "\"a\" NOT LIKE 'x%'"},
        {"a<;>SUFFIX<;>x", "\"a\" LIKE '%x'"},
        {"a<;>!SUFFIX<;>x", "\"a\" NOT LIKE '%x'"},
        {"a<;>REGEXP<;>^x", "\"a\" REGEXP '^x'"},
        {"a<;>!REGEXP<;>^x", "\"a\" NOT REGEXP '^x'"},
        {"a<;>BETWEEN<;>1,5", "\"a\" BETWEEN '1' AND '5'"},
        {"a<;>!BETWEEN<;>1,5,9", "\"a\" NOT BETWEEN '1' AND '5'"},
        {"a<;>!IN<;>x", "\"a\" NOT IN ('x')"},
        {"a<;>CUSTOMIZE<;>a > 1 OR b = 'x'", "a > 1 OR b = 'x'"},
        {"s.t.c<;>=<;>1", "\"s\".\"t\".\"c\" = '1'"},
        // Quotes inside names and operands are doubled.
        {"na\"me<;>=<;>O'Brien", "\"na\"\"me\" = 'O''Brien'"},
        {"a<;>CONTAINS<;>it's", "\"a\" LIKE '%it''s%'"},
        {"a<;>IN<;>x',y", "\"a\" IN ('x''', 'y')"},
        {"a<;>BETWEEN<;>'1", "\"a\" BETWEEN '''1' AND ''"},
        // The operand keeps a separator of its own; missing parts are empty.
        {"a<;>=<;>x<;>y", "\"a\" = 'x<;>y'"},
        {"a", "\"a\"  ''"},
        {"CUSTOMIZE", "\"CUSTOMIZE\"  ''"},
    };
    for (const auto& [expression, condition] : cases)
        EXPECT_EQ(m_statement->parse_expression(expression), condition) << expression;
}

// ---- on the server --------------------------------------------------------------------------

class StatementOnServer : public StatementTest {
protected:
    void SetUp() override {
        m_provider = Testing::open_test_provider(m_database.conninfo());
        execute("CREATE SCHEMA " + m_statement->quote_identifier(k_schema, ""));
        execute("CREATE TABLE " + table() + " (" + column(k_id) + " int PRIMARY KEY, " +
                column(k_name) + " text, " + column(k_amount) + " numeric, " + column(k_day) +
                " date, " + column(k_flag) + " boolean, " + column(k_data) + " jsonb)");
    }

    void execute(const std::string& sql) {
        auto done = m_provider->execute_affect(sql, 0);
        ASSERT_TRUE(done.has_value()) << sql << "\n" << done.error().message;
    }
    std::string scalar(const std::string& sql) {
        auto value = m_provider->execute_scalar(sql, 0);
        EXPECT_TRUE(value.has_value()) << sql << "\n" << (value ? "" : value.error().message);
        return value ? (*value)->to_string() : std::string();
    }
    std::string table() const { return m_statement->quote_identifier(k_table, k_schema); }
    std::string column(const char* name) const { return m_statement->quote_identifier(name, ""); }

    static constexpr const char* k_schema = "Sch \"é\" 1";
    static constexpr const char* k_table = "Tab'le \"X\" Ü";
    static constexpr const char* k_id = "Id";
    static constexpr const char* k_name = "Nämé \"q\"";
    static constexpr const char* k_amount = "UPPER amount";
    static constexpr const char* k_day = "dé'y";
    static constexpr const char* k_flag = "Flag";
    static constexpr const char* k_data = "data";

    Testing::ScratchDatabase m_database{"statement"};
    Zozuvoru::Contracts::ProviderPtr m_provider;
};

TEST_F(StatementOnServer, BuiltStatementsRunWithAwkwardNames) {
    const Texts columns{column(k_id),  column(k_name), column(k_amount),
                        column(k_day), column(k_flag), column(k_data)};
    const char* names[] = {"O'Brien", "Zoë \"Z\"", "back\\slash", "semi;colon", "x"};
    for (int i = 0; i < 5; ++i) {
        const Texts values{m_statement->pack_value(5, std::to_string(i + 1)),
                           m_statement->pack_value(23, names[i]),
                           m_statement->pack_value(14, i == 4 ? "NaN" : "12.50"),
                           m_statement->pack_value(18, "2024-02-29"),
                           m_statement->pack_value(2, i % 2 ? "true" : "f"),
                           m_statement->pack_value(27, "{\"k\": \"it's\"}")};
        execute(m_statement->build_sql_insert(k_schema, k_table, columns, values));
    }
    EXPECT_EQ(
        scalar("SELECT " + column(k_name) + " FROM " + table() + " WHERE " + column(k_id) + " = 1"),
        "O'Brien");
    EXPECT_EQ(scalar("SELECT count(*) FROM " + table() + " WHERE " + column(k_flag)), "2");
    EXPECT_EQ(scalar("SELECT " + column(k_data) + " ->> 'k' FROM " + table() + " LIMIT 1"), "it's");

    execute(m_statement->build_sql_update(
        k_schema, k_table, Texts{column(k_name), column(k_amount)},
        Texts{m_statement->pack_value(0, "Renamed 'one'"), m_statement->pack_value(14, "99")},
        Texts{column(k_id)}, Texts{m_statement->pack_value(5, "1")}));
    EXPECT_EQ(scalar("SELECT " + column(k_name) + " || '/' || " + column(k_amount) + " FROM " +
                     table() + " WHERE " + column(k_id) + " = 1"),
              "Renamed 'one'/99");

    execute(m_statement->build_sql_delete(k_schema, k_table, Texts{column(k_id), column(k_flag)},
                                          Texts{"2", "true"}));
    EXPECT_EQ(scalar("SELECT count(*) FROM " + table()), "4");

    const char* view = "View \"of\" 'rows'";
    execute(m_statement->build_sql_view(k_schema, view, "SELECT * FROM " + table()));
    EXPECT_EQ(scalar("SELECT count(*) FROM " + m_statement->quote_identifier(view, k_schema)), "4");
    execute(m_statement->build_sql_view("", "plain view", "SELECT 1 AS one"));
    EXPECT_EQ(scalar("SELECT one FROM \"plain view\""), "1");
}

TEST_F(StatementOnServer, FilterConditionsSelectTheRightRows) {
    const char* names[] = {"alpha", "beta", "O'Brien", "", "alphabet"};
    for (int i = 0; i < 5; ++i)
        execute("INSERT INTO " + table() + " (" + column(k_id) + ", " + column(k_name) +
                ") VALUES (" + std::to_string(i + 1) + ", " +
                m_statement->pack_value(23, names[i]) + ")");
    execute("INSERT INTO " + table() + " (" + column(k_id) + ") VALUES (6)");
    const std::string qualified_name = std::string(k_table) + "." + k_name;
    const std::pair<std::string, const char*> filters[] = {
        {std::string(k_name) + "<;>NULL<;>", "1"},
        {std::string(k_name) + "<;>!NULL<;>", "5"},
        {std::string(k_name) + "<;>EMPTY<;>", "1"},
        {std::string(k_name) + "<;>!EMPTY<;>", "4"},
        {std::string(k_name) + "<;>CONTAINS<;>lph", "2"},
        {std::string(k_name) + "<;>!CONTAINS<;>lph", "3"},
        {std::string(k_name) + "<;>PREFIX<;>O'", "1"},
        {std::string(k_name) + "<;>!PREFIX<;>al", "3"},
        {std::string(k_name) + "<;>SUFFIX<;>'Brien", "1"},
        {std::string(k_name) + "<;>!SUFFIX<;>a", "3"},
        {std::string(k_name) + "<;>BETWEEN<;>alpha,beta", "3"},
        {std::string(k_name) + "<;>!BETWEEN<;>alpha,beta", "2"},
        {std::string(k_name) + "<;>IN<;>beta,O'Brien", "2"},
        {std::string(k_name) + "<;>!IN<;>beta,O'Brien", "3"},
        {std::string(k_name) + "<;>=<;>O'Brien", "1"},
        {std::string(k_id) + "<;>>=<;>5", "2"},
        {qualified_name + "<;><><;>alpha", "4"},
        {std::string(k_name) + "<;>CUSTOMIZE<;>" + column(k_id) + " < 3", "2"},
    };
    for (const auto& [filter, count] : filters) {
        const std::string sql =
            "SELECT count(*) FROM " + table() + " WHERE " + m_statement->parse_expression(filter);
        EXPECT_EQ(scalar(sql), count) << sql;
    }
}

} // namespace

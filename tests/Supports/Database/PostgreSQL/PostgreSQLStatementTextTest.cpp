// The PostgreSQL dialect's texts without a server: quoting of awkward names,
// the connection text, filters and the forms that need no catalog.
#include "Contracts/Database/IAdaptable.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLStatement.hpp"
#include "Supports/Database/SqlText.hpp"

#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using Dovodarud::Supports::Database::PostgreSQLConnection;
using Dovodarud::Supports::Database::PostgreSQLStatement;
using Zozuvoru::Contracts::DbObject;

namespace {

class PostgreSQLStatementText : public ::testing::Test {
protected:
    std::shared_ptr<PostgreSQLConnection> m_connection = PostgreSQLConnection::create();
    std::shared_ptr<PostgreSQLStatement> m_statement =
        std::dynamic_pointer_cast<PostgreSQLStatement>(m_connection->statement());
    std::int32_t m_flag = 7;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(PostgreSQLStatementText, NamesAndValuesAreEscapedInEveryTemplate) {
    const std::string schema = "O'Br\"ien", table = "T'a\"b", name = "x'y\"z";
    const std::string literal_schema = "'O''Br\"ien'", name_schema = "\"O'Br\"\"ien\"";
    const std::string literal_table = "'T''a\"b'", name_table = "\"T'a\"\"b\"";
    const std::string name_name = "\"x'y\"\"z\"", literal_name = "'x''y\"z'";
    auto& s = *m_statement;
    for (const std::string& sql :
         {s.show_tables("d'b", schema, m_flag), s.show_views("d'b", schema, m_flag)}) {
        EXPECT_TRUE(contains(sql, "table_catalog = 'd''b'")) << sql;
        EXPECT_TRUE(contains(sql, literal_schema)) << sql;
    }
    for (const std::string& sql :
         {s.show_checks("", schema, m_flag), s.show_excludes("", schema, m_flag),
          s.show_foreigns("", schema, m_flag), s.show_uniques("", schema, m_flag),
          s.show_rules("", schema, m_flag), s.show_indexes("", schema, m_flag),
          s.show_triggers("", schema, m_flag), s.show_functions("", schema, m_flag),
          s.show_procedures("", schema, m_flag), s.show_structure("", schema, table, m_flag),
          s.show_relations("", schema, table)})
        EXPECT_TRUE(contains(sql, literal_schema)) << sql;
    EXPECT_TRUE(contains(s.show_table_schemas("d'b", m_flag), "'d''b'"));
    EXPECT_TRUE(contains(s.show_user_detail("", "", name), literal_name));
    EXPECT_TRUE(contains(s.show_role_detail("", "", name), literal_name));
    EXPECT_TRUE(contains(s.show_source(DbObject::INDEX, schema, table, name, m_flag),
                         literal_schema + " and tablename=" + literal_table +
                             " and indexname=" + literal_name));
    EXPECT_EQ(s.call_function("", schema, name, "(1)"),
              "SELECT " + name_schema + "." + name_name + "(1);");
    EXPECT_EQ(s.call_procedure("", schema, name, "()"),
              "CALL " + name_schema + "." + name_name + "();");
    EXPECT_EQ(s.empty_table("", schema, table), "TRUNCATE TABLE " + name_schema + "." +
                                                    name_table + ";");
    EXPECT_EQ(s.show_effected("", schema, table, ""),
              "SELECT count(*) FROM " + name_schema + "." + name_table + ";");
    EXPECT_EQ(s.grant_user_rights("", "", name, "TABLE t", "SELECT"),
              "GRANT SELECT ON TABLE t TO " + name_name + " WITH GRANT OPTION;");
    EXPECT_EQ(s.revoke_user_rights("", "", name, "TABLE t", "SELECT"),
              "REVOKE SELECT ON TABLE t FROM " + name_name + ";");
}

TEST_F(PostgreSQLStatementText, RenameDropAndTruncateNameTheirSchema) {
    auto& s = *m_statement;
    EXPECT_EQ(s.rename_object(DbObject::TABLE, "db", "sales", "orders", "old\"orders"),
              "ALTER TABLE \"sales\".\"orders\" RENAME TO \"old\"\"orders\";");
    EXPECT_EQ(s.rename_object(DbObject::SCHEMA, "db", "x", "sales", "shop"),
              "ALTER SCHEMA \"sales\" RENAME TO \"shop\";");
    EXPECT_EQ(s.rename_object(DbObject::TRIGGER, "db", "s", "a", "b"), "");
    EXPECT_EQ(s.drop_object(DbObject::TRIGGER, "db", "sales", "audit", "orders"),
              "DROP TRIGGER IF EXISTS \"audit\" ON \"sales\".\"orders\";");
    EXPECT_EQ(s.drop_object(DbObject::EVENT, "db", "sales", "ddl_log", ""),
              "DROP EVENT TRIGGER IF EXISTS \"ddl_log\";");
    EXPECT_EQ(s.drop_object(DbObject::VIEW, "db", "sales", "v", ""),
              "DROP VIEW IF EXISTS \"sales\".\"v\";");
    EXPECT_EQ(s.drop_object(DbObject::DATABASE, "db", "sales", "shop", ""),
              "DROP DATABASE IF EXISTS \"shop\";");
    EXPECT_EQ(s.drop_object(DbObject::SEQUENCE, "db", "sales", "n", ""), "");
    EXPECT_EQ(s.change_database("shop"), "\\connect shop;");
    EXPECT_EQ(s.change_database("My Shop"), "\\connect \"My Shop\";");
}

TEST_F(PostgreSQLStatementText, ConnectionTextCannotGainOptions) {
    auto server = Zozuvoru::Contracts::Server::create();
    server->set_driver("PostgreSQL");
    server->set_host("db.example");
    server->set_initial("shop");
    server->set_port(5432);
    server->set_username("ann");
    server->set_password("x;SSLMODE=disable");
    EXPECT_EQ(m_statement->build_connection_string(server),
              "DRIVER={PostgreSQL};SERVER=db.example;DATABASE=shop;PORT=5432;UID=ann;"
              "PWD={x;SSLMODE=disable};");
    server->set_password("a}b{");
    server->set_ssl_using(true);
    EXPECT_EQ(m_statement->build_connection_string(server),
              "DRIVER={PostgreSQL};SERVER=db.example;DATABASE=shop;PORT=5432;UID=ann;"
              "PWD={a}}b{};SSLMODE=require;");
}

TEST_F(PostgreSQLStatementText, ContentPagesAlwaysHaveAnOrder) {
    auto& s = *m_statement;
    EXPECT_EQ(s.show_content("db", "s", "t", "*", "", "", 10, 0), "SELECT * FROM \"s\".\"t\"");
    EXPECT_EQ(s.show_content("db", "s", "t", "a, b", "a > 1", "b DESC", 20, 10),
              "SELECT a, b FROM \"s\".\"t\" WHERE a > 1 ORDER BY b DESC LIMIT 10 OFFSET 20;");
    // Without a session the key cannot be read: the whole row orders the pages.
    EXPECT_EQ(s.show_content("db", "s", "t\"x", "*", "", "", 5000000000LL, 10),
              "SELECT * FROM \"s\".\"t\"\"x\" ORDER BY \"t\"\"x\"::text COLLATE \"C\" LIMIT 10 "
              "OFFSET 5000000000;");
}

TEST_F(PostgreSQLStatementText, SourceExplainAndBytes) {
    auto& s = *m_statement;
    EXPECT_EQ(s.show_source(DbObject::TABLE, "db", "s", "t", m_flag), "");
    EXPECT_EQ(m_flag, 1);
    EXPECT_NE(s.show_source(DbObject::VIEW, "db", "s", "v", m_flag), "");
    EXPECT_EQ(m_flag, 0);
    EXPECT_EQ(s.build_explain("SELECT 1", ""), "EXPLAIN SELECT 1;");
    EXPECT_EQ(s.build_explain("SELECT 1", "json"), "EXPLAIN (FORMAT JSON) SELECT 1;");
    EXPECT_EQ(s.build_explain("SELECT 1", "JSON) DELETE FROM t; --"), "EXPLAIN SELECT 1;");
    EXPECT_EQ(s.build_analyze("SELECT 1", "xml"), "EXPLAIN ANALYZE SELECT 1;");
    EXPECT_EQ(s.pack_value(30, "00ff"), "'\\x00ff'::bytea");
    EXPECT_EQ(s.pack_value(30, "\\x00ff"), "'\\x00ff'::bytea");
    EXPECT_EQ(s.pack_value(31, "0'f"), "'\\x0''f'::bytea");
    EXPECT_EQ(s.pack_value(5, "42"), "42");
    EXPECT_EQ(s.flush_privileges(), "");
}

TEST_F(PostgreSQLStatementText, FiltersByOperator) {
    const std::pair<const char*, const char*> cases[] = {
        {"public.orders<;>IN<;>a,b", "\"public\".\"orders\" IN ('a', 'b')"},
        {"name<;>CONTAINS<;>abc", "\"name\"::text LIKE '%abc%'"},
        {"name<;>!CONTAINS<;>50%_off\\", "\"name\"::text NOT LIKE '%50\\%\\_off\\\\%'"},
        {"a<;>PREFIX<;>it's", "\"a\"::text LIKE 'it''s%'"},
        {"a<;>!PREFIX<;>x", "\"a\"::text NOT LIKE 'x%'"},
        {"a<;>SUFFIX<;>x", "\"a\"::text LIKE '%x'"},
        {"a<;>!SUFFIX<;>x", "\"a\"::text NOT LIKE '%x'"},
        {"a<;>REGEXP<;>^x'", "\"a\"::text ~ '^x'''"},
        {"a<;>!REGEXP<;>^x", "\"a\"::text !~ '^x'"},
        {"a<;>BETWEEN<;>1,5", "\"a\" BETWEEN '1' AND '5'"},
        {"a<;>!BETWEEN<;>1,5,9", "\"a\" NOT BETWEEN '1' AND '5'"},
        {"a<;>BETWEEN<;>1", ""},
        {"a<;>!IN<;>x',y", "\"a\" NOT IN ('x''', 'y')"},
        {"a<;>NULL<;>", "\"a\" IS NULL"},
        {"a<;>!NULL<;>", "\"a\" IS NOT NULL"},
        {"a<;>EMPTY<;>", "\"a\" = ''"},
        {"a<;>!EMPTY<;>", "\"a\" <> ''"},
        {"age<;>>=<;>18", "\"age\" >= '18'"},
        {"age<;>ilike<;>x", "\"age\" ilike 'x'"},
        {"Üml\"aut<;>=<;>ä", "\"Üml\"\"aut\" = 'ä'"},
        {"a<;>CUSTOMIZE<;>a > 1", "a > 1"},
        {"a<;>=<;>x<;>y", "\"a\" = 'x<;>y'"},
        // Too few fields, or an operator that is no comparison: no condition.
        {"a", ""},
        {"a<;>NULL", ""},
        {"a<;>= '' OR TRUE --<;>x", ""},
        {"a<;>--<;>x", ""},
    };
    for (const auto& [expression, condition] : cases) {
        EXPECT_EQ(m_statement->parse_expression(expression), condition) << expression;
    }
}

TEST_F(PostgreSQLStatementText, QueriesFollowTheServerVersion) {
    // Before an open the version is unknown and the newest catalog is assumed.
    EXPECT_TRUE(contains(m_statement->show_procedures("", "s", m_flag), "prokind = 'p'"));
    EXPECT_TRUE(contains(m_statement->show_source(DbObject::FUNCTION, "", "s", "f", m_flag),
                         "prokind <> 'a'"));
    // Role details read pg_authid only for a superuser session.
    EXPECT_FALSE(contains(m_statement->show_user_detail("", "", "u"), "pg_authid au"));
    m_statement->set_superuser(true);
    EXPECT_TRUE(contains(m_statement->show_user_detail("", "", "u"), "pg_authid au"));
}

TEST(SqlText, FillEscapesEachSlotForItsQuote) {
    using Dovodarud::Supports::Database::sql_fill;
    EXPECT_EQ(sql_fill("WHERE a = '%s' AND b = '%s'", "O'Brien", "x"),
              "WHERE a = 'O''Brien' AND b = 'x'");
    EXPECT_EQ(sql_fill("\"%s\".\"%s\"", "a\"b", "c"), "\"a\"\"b\".\"c\"");
    EXPECT_EQ(sql_fill("x = %s", "1; DROP TABLE t"), "x = '1; DROP TABLE t'");
    EXPECT_EQ(sql_fill("100%% of '%s'", "it"), "100% of 'it'");
    EXPECT_EQ(sql_fill("'%s' '%s'", "only"), "'only' ''");
}

TEST(PostgreSQLStatementCreate, NeedsAConnection) {
    Testing::PlatformLogCapture log;
    EXPECT_EQ(PostgreSQLStatement::create(nullptr), nullptr);
    EXPECT_TRUE(log.contains("connection != NULL"));
}

TEST(PostgreSQLConnectionVersion, ReadsTheLeadingNumbers) {
    std::uint32_t major = 99, minor = 99;
    ASSERT_TRUE(PostgreSQLConnection::parse_version("12.4 (Debian 12.4-1)", major, minor));
    EXPECT_EQ(major, 12u);
    EXPECT_EQ(minor, 4u);
    ASSERT_TRUE(PostgreSQLConnection::parse_version("16beta1", major, minor));
    EXPECT_EQ(major, 16u);
    EXPECT_EQ(minor, 0u);
    ASSERT_TRUE(PostgreSQLConnection::parse_version("9.6.24", major, minor));
    EXPECT_EQ(major, 9u);
    EXPECT_EQ(minor, 6u);
    EXPECT_FALSE(PostgreSQLConnection::parse_version("abc", major, minor));
    EXPECT_EQ(major, 9u);
}

} // namespace

namespace {

std::string_view adapter_name(std::uint32_t major) {
    auto connection = PostgreSQLConnection::create();
    auto adapter = PostgreSQLConnection::adapter_for(major, connection);
    return dynamic_cast<Core::Object&>(*adapter).type().name;
}

TEST(PostgreSQLConnectionVersion, ChoosesTheAdapterGeneration) {
    EXPECT_EQ(adapter_name(9), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV9x");
    EXPECT_EQ(adapter_name(0), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV9x");
    EXPECT_EQ(adapter_name(10), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV11x");
    EXPECT_EQ(adapter_name(11), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV11x");
    EXPECT_EQ(adapter_name(12), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV12x");
    EXPECT_EQ(adapter_name(16), "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV12x");
    // Before any open the connection hands out a V11x.
    auto connection = PostgreSQLConnection::create();
    EXPECT_EQ(dynamic_cast<Core::Object&>(*connection->adapter()).type().name,
              "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV11x");
}

} // namespace

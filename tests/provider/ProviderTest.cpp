// The PostgreSQL provider's sessions, statements, errors and threads.
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Supports/PostgreSQLError.hpp"
#include "provider/Supports/PostgreSQLProvider.hpp"
#include "tests/support/PlatformLog.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace Dizezida;
using namespace Dizezida::Zozuvoru::Contracts;
using Zozuvoru::Supports::sqlstate_code;

namespace {

ProviderPtr open_provider() {
    return Testing::open_test_provider(Testing::test_conninfo());
}

/// A login role with a password, reachable over TCP on 127.0.0.1 (where the
/// test cluster asks other roles than postgres for their password).
ServerPtr password_server(const std::string& role, const std::string& password) {
    std::string literal;
    for (const char c : password)
        literal += c == '\'' ? std::string("''") : std::string(1, c);
    Testing::run_sql("CREATE ROLE " + role + " LOGIN PASSWORD '" + literal + "'");
    auto server = Server::create();
    server->set_host("127.0.0.1");
    server->set_port(Testing::test_port());
    server->set_username(role);
    server->set_initial("postgres");
    server->set_password(password);
    return server;
}

TEST(PostgreSQLProvider, OpensFromServerFieldsAndCloses) {
    auto provider = dizezida_zozuvoru_supports_postgre_sql_provider_new();
    EXPECT_FALSE(provider->is_opened());
    auto closed_call = provider->execute_scalar("SELECT 1", 0);
    ASSERT_FALSE(closed_call.has_value());
    EXPECT_EQ(closed_call.error().code, sqlstate_code("08003"));
    EXPECT_EQ(closed_call.error().domain, k_provider_error_domain);

    ASSERT_TRUE(provider
                    ->open(Testing::server_from_conninfo(Testing::test_conninfo()),
                           "DRIVER={PostgreSQL};SERVER=ignored;")
                    .has_value());
    EXPECT_TRUE(provider->is_opened());
    auto style = provider->execute_scalar("SHOW DateStyle", 0);
    ASSERT_TRUE(style.has_value());
    EXPECT_EQ((*style)->to_string().substr(0, 3), "ISO");
    EXPECT_TRUE(provider->close().has_value());
    EXPECT_FALSE(provider->is_opened());
    EXPECT_TRUE(provider->close().has_value()); // closing twice is harmless
}

TEST(PostgreSQLProvider, NullServerIsRefused) {
    Testing::PlatformLogCapture log;
    auto provider = dizezida_zozuvoru_supports_postgre_sql_provider_new();
    EXPECT_FALSE(provider->open(nullptr, "").has_value());
    EXPECT_TRUE(log.contains("server != NULL"));
    EXPECT_FALSE(provider->is_opened());
}

TEST(PostgreSQLProvider, PasswordWithSeparatorsWorksOverTcp) {
    const std::string password = "se;mi=co lon'\"\\";
    const ServerPtr server = password_server(Testing::unique_name("semi"), password);
    auto provider = dizezida_zozuvoru_supports_postgre_sql_provider_new();
    auto opened = provider->open(server, "");
    ASSERT_TRUE(opened.has_value()) << opened.error().message;
    auto user = provider->execute_scalar("SELECT current_user", 0);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ((*user)->to_string(), server->username());

    server->set_password("wrong;password");
    auto refused = dizezida_zozuvoru_supports_postgre_sql_provider_new()->open(server, "");
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().code, sqlstate_code("08001"));
    EXPECT_NE(refused.error().message.find("SQLSTATE 08001"), std::string::npos);
}

TEST(PostgreSQLProvider, EmptyPasswordFallsBackToTheEnvironment) {
    const std::string password = "from;env";
    const ServerPtr server = password_server(Testing::unique_name("envpw"), password);
    server->set_password("");
    ::setenv("PGPASSWORD", password.c_str(), 1);
    auto opened = dizezida_zozuvoru_supports_postgre_sql_provider_new()->open(server, "");
    ::unsetenv("PGPASSWORD");
    EXPECT_TRUE(opened.has_value()) << opened.error().message;
}

TEST(PostgreSQLProvider, ExecuteStatementsGivesOneResultPerStatementInOrder) {
    auto provider = open_provider();
    auto results = provider->execute_statements(
        "CREATE TEMP TABLE t (a int); INSERT INTO t VALUES (1), (2); ; "
        "SELECT a FROM t ORDER BY a; UPDATE t SET a = a + 10; SELECT count(*) FROM t",
        0);
    ASSERT_TRUE(results.has_value()) << results.error().message;
    ASSERT_EQ(results->size(), 5u);
    auto count = [&](std::size_t i) {
        auto value = std::dynamic_pointer_cast<ValueInt64>((*results)[i]);
        return value ? value->get_int64() : -1;
    };
    EXPECT_EQ(count(0), 0);
    EXPECT_EQ(count(1), 2);
    auto rows = std::dynamic_pointer_cast<TableModel>((*results)[2]);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->get_row_count(), 2u);
    EXPECT_EQ(rows->get_text_at(1, 0), "2");
    EXPECT_EQ(count(3), 2);
    auto total = std::dynamic_pointer_cast<TableModel>((*results)[4]);
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->get_text_at(0, 0), "2");
}

TEST(PostgreSQLProvider, ModelScalarAndAffectOfMultiStatementTexts) {
    auto provider = open_provider();
    auto model = provider->execute_model("SELECT 1 AS one; SELECT 'x' AS a, 'y' AS b", 0);
    ASSERT_TRUE(model.has_value());
    ASSERT_EQ((*model)->get_column_count(), 2u);
    EXPECT_EQ((*model)->get_columns()[1]->get_name(), "b");

    auto empty = provider->execute_model("SELECT 1 WHERE false", 0);
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ((*empty)->get_row_count(), 0u);
    EXPECT_EQ((*empty)->get_column_count(), 1u);
    auto no_rows = provider->execute_model("CREATE TEMP TABLE m (a int)", 0);
    ASSERT_TRUE(no_rows.has_value());
    EXPECT_NE(*no_rows, nullptr);

    auto scalar = provider->execute_scalar("SELECT g FROM generate_series(7, 9) g", 0);
    ASSERT_TRUE(scalar.has_value());
    EXPECT_EQ((*scalar)->to_string(), "7");
    auto nothing = provider->execute_scalar("SELECT 1 WHERE false", 0);
    ASSERT_TRUE(nothing.has_value());
    EXPECT_TRUE((*nothing)->is_null());

    auto affected = provider->execute_affect(
        "INSERT INTO m SELECT generate_series(1, 5); DELETE FROM m WHERE a > 3", 0);
    ASSERT_TRUE(affected.has_value());
    EXPECT_EQ(*affected, 7);
}

TEST(PostgreSQLProvider, LargeModelsKeepEveryRowCompactly) {
    auto provider = open_provider();
    constexpr std::size_t k_rows = 300000;
    auto model = provider->execute_model(
        "SELECT g, md5(g::text) AS hash, CASE WHEN g % 3 = 0 THEN NULL ELSE g::int8 END AS maybe "
        "FROM generate_series(1, 300000) g",
        0);
    ASSERT_TRUE(model.has_value()) << model.error().message;
    const TablePtr& table = *model;
    ASSERT_EQ(table->get_row_count(), k_rows);
    for (const std::size_t row : {std::size_t{0}, std::size_t{131071}, k_rows - 1}) {
        const std::string number = std::to_string(row + 1);
        EXPECT_EQ(table->get_text_at(row, 0), number);
        EXPECT_EQ(table->get_text_at(row, 1),
                  (*provider->execute_scalar("SELECT md5('" + number + "')", 0))->to_string());
        EXPECT_EQ(table->is_null_at(row, 2), (row + 1) % 3 == 0);
    }
    // int4 + 32 characters with an 8-byte offset + int8, a NULL bit each: buffers
    // are trimmed to what they hold once the rows are in.
    const std::size_t payload = k_rows * (4 + 32 + 8 + 8);
    EXPECT_GE(table->memory_bytes(), payload);
    EXPECT_LT(table->memory_bytes(), payload + payload / 10);
}

TEST(PostgreSQLProvider, ErrorsCarryDomainCodeAndSqlstate) {
    auto provider = open_provider();
    struct Failure {
        const char* sql;
        const char* state;
    };
    ASSERT_TRUE(provider->execute_affect("CREATE TEMP TABLE u (id int PRIMARY KEY); "
                                         "INSERT INTO u VALUES (1)",
                                         0));
    const Failure failures[] = {
        {"SELEC 1", "42601"},
        {"SELECT * FROM no_such_table", "42P01"},
        {"INSERT INTO u VALUES (1)", "23505"},
        {"SELECT 1/0", "22012"},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.sql);
        auto result = provider->execute_model(failure.sql, 0);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().domain, k_provider_error_domain);
        EXPECT_EQ(result.error().code, sqlstate_code(failure.state));
        EXPECT_EQ(result.error().sqlstate, failure.state);
        EXPECT_GE(result.error().code, 20000);
        EXPECT_LT(result.error().code, 30000);
        EXPECT_NE(result.error().message.find(std::string("(SQLSTATE ") + failure.state + ")"),
                  std::string::npos)
            << result.error().message;
    }
    auto duplicate = provider->execute_affect("INSERT INTO u VALUES (1)", 0);
    ASSERT_FALSE(duplicate.has_value());
    EXPECT_NE(duplicate.error().message.find("DETAIL:  Key (id)=(1) already exists."),
              std::string::npos);
    // A COPY the server refuses carries its state like any statement.
    auto copied = provider->copy_in("COPY u FROM STDIN", "1\n");
    ASSERT_FALSE(copied.has_value());
    EXPECT_EQ(copied.error().sqlstate, "23505");
    // A failure in the middle of a text stops it, and the session stays usable.
    auto partial = provider->execute_statements("SELECT 1; SELECT * FROM nope; SELECT 3", 0);
    EXPECT_FALSE(partial.has_value());
    auto after = provider->execute_scalar("SELECT 42", 0);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ((*after)->to_string(), "42");
}

TEST(PostgreSQLProvider, SqlstateCodesAreStableAndBanded) {
    EXPECT_EQ(sqlstate_code("00000"), 20000);
    EXPECT_EQ(sqlstate_code("23505"), 21504);
    EXPECT_EQ(sqlstate_code("42601"), 23101);
    EXPECT_EQ(sqlstate_code("XX000"), 24200);
    EXPECT_EQ(sqlstate_code("23ZZZ"), sqlstate_code("23000")); // unknown state of a known class
    EXPECT_EQ(sqlstate_code("QQ123"), Zozuvoru::Supports::k_code_unknown);
    EXPECT_EQ(sqlstate_code(""), Zozuvoru::Supports::k_code_unknown);
}

TEST(PostgreSQLProvider, TransactionsCommitRollBackAndReportFailedCommits) {
    auto provider = open_provider();
    ASSERT_TRUE(provider->execute_affect("CREATE TEMP TABLE tx (a int)", 0));
    ASSERT_TRUE(provider->transaction());
    ASSERT_TRUE(provider->execute_affect("INSERT INTO tx VALUES (1)", 0));
    ASSERT_TRUE(provider->rollback());
    ASSERT_TRUE(provider->transaction());
    ASSERT_TRUE(provider->execute_affect("INSERT INTO tx VALUES (2)", 0));
    ASSERT_TRUE(provider->commit());
    EXPECT_EQ(
        (*provider->execute_scalar("SELECT string_agg(a::text, ',') FROM tx", 0))->to_string(),
        "2");

    ASSERT_TRUE(provider->transaction());
    ASSERT_TRUE(provider->execute_affect("INSERT INTO tx VALUES (3)", 0));
    EXPECT_FALSE(provider->execute_affect("SELECT 1/0", 0).has_value());
    auto commit = provider->commit();
    ASSERT_FALSE(commit.has_value());
    EXPECT_EQ(commit.error().code, sqlstate_code("40000"));
    EXPECT_EQ((*provider->execute_scalar("SELECT count(*) FROM tx", 0))->to_string(), "1");
}

TEST(PostgreSQLProvider, CopyIsRefusedAndTheSessionStaysUsable) {
    auto provider = open_provider();
    auto out = provider->execute_model("COPY (SELECT 1) TO STDOUT", 0);
    ASSERT_FALSE(out.has_value());
    EXPECT_EQ(out.error().code, sqlstate_code("0A000"));
    ASSERT_TRUE(provider->execute_affect("CREATE TEMP TABLE c (a int)", 0));
    EXPECT_FALSE(provider->execute_affect("COPY c FROM STDIN", 0).has_value());
    EXPECT_EQ((*provider->execute_scalar("SELECT 5", 0))->to_string(), "5");
}

TEST(PostgreSQLProvider, TwoThreadsShareOneProvider) {
    auto provider = open_provider();
    constexpr int k_rounds = 150;
    auto worker = [&](const std::string& tag, int& failures) {
        for (int i = 0; i < k_rounds; ++i) {
            const std::string expected = tag + std::to_string(i);
            auto model = provider->execute_model(
                "SELECT '" + expected + "' AS v, g FROM generate_series(1, 20) g", 1);
            if (!model || (*model)->get_row_count() != 20 ||
                (*model)->get_text_at(19, 0) != expected)
                ++failures;
            auto scalar = provider->execute_scalar("SELECT '" + expected + "'", 1);
            if (!scalar || (*scalar)->to_string() != expected)
                ++failures;
        }
    };
    int failures_a = 0, failures_b = 0;
    std::thread a(worker, "a", std::ref(failures_a));
    std::thread b(worker, "b", std::ref(failures_b));
    a.join();
    b.join();
    EXPECT_EQ(failures_a, 0);
    EXPECT_EQ(failures_b, 0);
}

} // namespace

#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <memory>

using Dizezida::Testing::test_conninfo;

TEST(TestServer, AnswersSelectVersion) {
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(test_conninfo().c_str()),
                                                            PQfinish);
    ASSERT_EQ(PQstatus(connection.get()), CONNECTION_OK) << PQerrorMessage(connection.get());
    std::unique_ptr<PGresult, decltype(&PQclear)> result(
        PQexec(connection.get(), "SELECT version()"), PQclear);
    ASSERT_EQ(PQresultStatus(result.get()), PGRES_TUPLES_OK);
    EXPECT_EQ(std::string(PQgetvalue(result.get(), 0, 0)).rfind("PostgreSQL", 0), 0u);
}

TEST(TestServer, ScratchDatabaseIsCreatedAndUsable) {
    Dizezida::Testing::ScratchDatabase database("smoke");
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection(
        PQconnectdb(database.conninfo().c_str()), PQfinish);
    ASSERT_EQ(PQstatus(connection.get()), CONNECTION_OK) << PQerrorMessage(connection.get());
    EXPECT_EQ(std::string(PQdb(connection.get())), database.name());
}

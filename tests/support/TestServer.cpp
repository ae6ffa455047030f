#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace Dizezida::Testing {
namespace {

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using QueryResult = std::unique_ptr<PGresult, decltype(&PQclear)>;

std::string read_conninfo() {
    const char* variable = std::getenv("DIZEZIDA_TEST_PG");
    if (!variable || !*variable)
        return {};
    std::string value(variable);
    if (value.front() != '@')
        return value;
    std::ifstream file(value.substr(1));
    std::string line;
    std::getline(file, line);
    return line;
}

std::string run_on(const std::string& conninfo, const std::string& sql) {
    Connection connection(PQconnectdb(conninfo.c_str()), PQfinish);
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        ADD_FAILURE() << "cannot connect to the test server: " << PQerrorMessage(connection.get());
        return {};
    }
    QueryResult result(PQexec(connection.get(), sql.c_str()), PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        ADD_FAILURE() << "SQL failed: " << sql << "\n" << PQerrorMessage(connection.get());
        return {};
    }
    if (status == PGRES_TUPLES_OK && PQntuples(result.get()) > 0 && PQnfields(result.get()) > 0)
        return PQgetvalue(result.get(), 0, 0);
    return {};
}

} // namespace

std::string test_conninfo() {
    const std::string conninfo = read_conninfo();
    if (conninfo.empty())
        ADD_FAILURE() << "DIZEZIDA_TEST_PG names no test server (did the pg fixture start?)";
    return conninfo;
}

std::string run_sql(const std::string& sql) { return run_on(test_conninfo(), sql); }

std::string run_sql_on(const std::string& conninfo, const std::string& sql) {
    return run_on(conninfo, sql);
}

ScratchDatabase::ScratchDatabase(const std::string& prefix) {
    static std::atomic<int> counter{0};
    m_name = prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    run_sql("DROP DATABASE IF EXISTS " + m_name);
    run_sql("CREATE DATABASE " + m_name);
}

ScratchDatabase::~ScratchDatabase() {
    // DROP DATABASE ... WITH (FORCE) exists from 13 on; before, the sessions
    // still on the database are ended first (DROP waits a few seconds for them).
    if (std::atoi(run_sql("SHOW server_version_num").c_str()) >= 130000) {
        run_sql("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
        return;
    }
    run_sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + m_name +
            "' AND pid <> pg_backend_pid()");
    run_sql("DROP DATABASE IF EXISTS " + m_name);
}

std::string ScratchDatabase::conninfo() const { return test_conninfo() + " dbname=" + m_name; }

} // namespace Dizezida::Testing

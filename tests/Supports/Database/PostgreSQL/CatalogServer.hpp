// A scratch database with awkwardly named objects of every kind the dialect
// lists, and PostgreSQL connections to it as the superuser and as an
// ordinary login role. Used by the tests that run the dialect's and the
// inspector's SQL on each server version of the matrix.
#pragma once

#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLStatement.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "tests/Supports/Database/ConnectionSupport.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Dizezida::Testing {

using Dovodarud::Supports::Database::PostgreSQLConnection;
using Dovodarud::Supports::Database::PostgreSQLStatement;
using Rows = std::vector<std::vector<std::string>>;

/// What one query gave: column names and rows as text (NULL as "<null>").
struct QueryResult {
    std::vector<std::string> columns;
    Rows rows;
    /// The first column of every row.
    std::vector<std::string> first_column() const;
    bool has_row_starting(const std::string& value) const;
};

class CatalogServer : public ::testing::Test {
protected:
    // Names holding quotes, a point, LIKE wildcards, a backslash, a blank,
    // upper case and non-ASCII letters.
    static constexpr const char* k_schema = "Sch'ema \"Ü.%_\\ x";
    static constexpr const char* k_table = "Or'der \"Lines\"";

    void SetUp() override;
    void TearDown() override;

    /// A new connection to the scratch database as `role` ("" for the superuser).
    std::shared_ptr<PostgreSQLConnection> open_as(const std::string& role);
    /// Runs a query; fails the test (and gives nothing) on error.
    QueryResult query(PostgreSQLConnection& connection, const std::string& sql);
    std::string scalar(PostgreSQLConnection& connection, const std::string& sql);
    void execute(PostgreSQLConnection& connection, const std::string& sql);
    /// The dialect of a connection.
    static PostgreSQLStatement& dialect(PostgreSQLConnection& connection);
    /// The major version of the server under test.
    std::uint32_t major() const { return m_super->get_major_version(); }
    /// A login role with no privileges (dropped after the test).
    const std::string& ordinary_role();

    std::string schema_name() const;
    std::string table_name() const;

    LoggingFixture m_logging;
    ScratchDatabase m_database{"catalog"};
    std::shared_ptr<PostgreSQLConnection> m_super;
    std::vector<std::shared_ptr<PostgreSQLConnection>> m_opened;
    std::vector<std::string> m_roles;

private:
    void create_objects();
};

} // namespace Dizezida::Testing

// The fixture of the data exchange tests: a scratch database holding the
// awkward table, a PostgreSQL connection to it, and helpers to export,
// compare tables and describe a table for an import.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

#include "Model/MetaTable.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

namespace Dizezida::Testing {

class DataServer : public ::testing::Test {
protected:
    static constexpr const char* k_all = "SELECT * FROM awkward ORDER BY id";

    void SetUp() override;
    void TearDown() override;

    Dovodarud::Contracts::Database::IConnection& connection() { return *m_connection; }
    std::string run(const std::string& sql) { return run_sql_on(m_database.conninfo(), sql); }
    Zozuvoru::Contracts::TablePtr model(const std::string& sql);
    std::string exported(Dovodarud::Supports::Data::Extractors::BaseExtractor& extractor,
                         const std::string& sql);
    /// Rows of one table missing from the other, both ways ("0/0": the same rows).
    std::string differences(const std::string& a, const std::string& b);
    /// An empty copy of the awkward table, named `name`, read from the
    /// catalog with each column mapped to the file column of its own name.
    std::shared_ptr<Dovodarud::MetaModel::MetaTable> empty_copy(const std::string& name);
    /// A table read from the catalog (schema public), columns mapped by name.
    std::shared_ptr<Dovodarud::MetaModel::MetaTable> mapped_table(const std::string& name);

    ScratchDatabase m_database{"data"};
    std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection> m_connection;
};

} // namespace Dizezida::Testing

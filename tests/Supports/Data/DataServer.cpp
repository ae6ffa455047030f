#include "tests/Supports/Data/DataServer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Model/MetaColumn.hpp"
#include "tests/support/AwkwardValues.hpp"
#include "tests/support/ProviderTesting.hpp"

namespace Dizezida::Testing {

using namespace Dovodarud::Supports::Data::Extractors;

void DataServer::SetUp() {
    run(awkward_table_sql("awkward"));
    auto server = server_from_conninfo(m_database.conninfo());
    server->set_uuid(unique_name("data"));
    m_connection = Dovodarud::Supports::Database::PostgreSQLConnection::create();
    const auto opened = m_connection->open(server, nullptr);
    ASSERT_TRUE(opened.has_value()) << opened.error().message;
}

void DataServer::TearDown() {
    m_connection->close();
}

Zozuvoru::Contracts::TablePtr DataServer::model(const std::string& sql) {
    auto table = connection().execute_as_model(sql);
    EXPECT_TRUE(table.has_value()) << (table ? "" : table.error().message);
    return table ? *table : Zozuvoru::Contracts::TableModel::create();
}

std::string DataServer::exported(BaseExtractor& extractor, const std::string& sql) {
    std::string buffer;
    const auto rows = extractor.export_to_text(*model(sql), buffer, {});
    EXPECT_TRUE(rows.has_value()) << (rows ? "" : rows.error().message);
    return buffer;
}

std::string DataServer::differences(const std::string& a, const std::string& b) {
    return run("SELECT (SELECT count(*) FROM (SELECT * FROM " + a + " EXCEPT ALL SELECT * FROM " +
               b + ") x) || '/' || (SELECT count(*) FROM (SELECT * FROM " + b +
               " EXCEPT ALL SELECT * FROM " + a + ") y)");
}

std::shared_ptr<Dovodarud::MetaModel::MetaTable> DataServer::mapped_table(const std::string& name) {
    auto table = Dovodarud::MetaModel::MetaTable::with_names(m_database.name(), "public", name);
    const auto filled = connection().adapter()->fill_meta_table(table, 1);
    EXPECT_TRUE(filled.has_value()) << (filled ? "" : filled.error().message);
    for (const auto& column : table->get_columns())
        set_source(*column, column->get_name());
    return table;
}

std::shared_ptr<Dovodarud::MetaModel::MetaTable> DataServer::empty_copy(const std::string& name) {
    run("DROP TABLE IF EXISTS " + name + "; CREATE TABLE " + name +
        " (LIKE awkward INCLUDING ALL)");
    return mapped_table(name);
}

} // namespace Dizezida::Testing

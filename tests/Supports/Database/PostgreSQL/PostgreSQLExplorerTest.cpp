// The object explorer on the server under test: every kind lists with its
// titles as the superuser and as an ordinary role, in a fixed order, and the
// objects made in a schema off search_path appear once each.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLExplorer.hpp"
#include "Supports/Database/SqlText.hpp"
#include "provider/Contracts/ColumnModel.hpp"

#include <algorithm>

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Supports::Database::PostgreSQLExplorer;
using Zozuvoru::Contracts::DbObject;

namespace {

class PostgreSQLExplorerOnServer : public CatalogServer {
protected:
    void SetUp() override {
        CatalogServer::SetUp();
        const std::string s = schema_name();
        for (const std::string& sql : std::vector<std::string>{
                 "CREATE AGGREGATE " + s + ".\"Su'm\"(bigint) (SFUNC = int8pl, STYPE = bigint)",
                 "CREATE DOMAIN " + s + ".\"Do'main\" AS text NOT NULL",
                 "CREATE TYPE " + s + ".\"Co'mposite\" AS (a int, b text)",
                 "CREATE TYPE " + s + ".\"En'um\" AS ENUM ('x')",
                 "CREATE SEQUENCE " + s + ".\"Se'q\" START 5",
                 "CREATE MATERIALIZED VIEW " + s + ".dup AS SELECT 1 AS one",
                 "CREATE TABLE public.dup (x int)",
                 "COMMENT ON MATERIALIZED VIEW " + s + ".dup IS 'the view'",
                 "COMMENT ON TABLE public.dup IS 'the table'",
             })
            execute(*m_super, sql);
    }

    std::shared_ptr<Zozuvoru::Contracts::TableModel> list(PostgreSQLConnection& connection,
                                                         DbObject kind) {
        auto table = connection.explorer()->load_objects(kind, m_database.name(), k_schema, "");
        EXPECT_TRUE(table.has_value()) << static_cast<int>(kind) << " "
                                       << (table ? "" : table.error().message);
        return table ? *table : Zozuvoru::Contracts::TableModel::create();
    }

    static std::vector<std::string> names(const Zozuvoru::Contracts::TableModel& table) {
        std::vector<std::string> values;
        for (std::size_t row = 0; row < table.get_row_count(); ++row)
            values.push_back(table.get_text_at(row, 0));
        return values;
    }

    /// Every kind lists with its titles and the same rows twice.
    void list_every_kind(PostgreSQLConnection& connection) {
        for (const auto& entry : PostgreSQLExplorer::kinds()) {
            SCOPED_TRACE(entry.nick);
            auto first = list(connection, entry.kind);
            const auto titles = PostgreSQLExplorer::titles(entry.kind);
            ASSERT_EQ(first->get_column_count(), titles.size());
            for (std::size_t i = 0; i < titles.size(); ++i) {
                EXPECT_EQ(first->get_columns()[i]->get_title(), titles[i]);
            }
            // Databases and roles are the whole cluster's, which other tests change meanwhile.
            const bool cluster_wide = entry.kind == DbObject::DATABASE ||
                                      entry.kind == DbObject::ROLE || entry.kind == DbObject::USER;
            auto second = list(connection, entry.kind);
            if (!cluster_wide) {
                EXPECT_EQ(names(*first), names(*second));
            }
        }
    }

    static std::size_t count(const std::vector<std::string>& values, const std::string& value) {
        return static_cast<std::size_t>(std::count(values.begin(), values.end(), value));
    }
};

TEST_F(PostgreSQLExplorerOnServer, EveryKindListsForSuperuserAndOrdinaryRole) {
    list_every_kind(*m_super);
    auto plain = open_as(ordinary_role());
    list_every_kind(*plain);
}

TEST_F(PostgreSQLExplorerOnServer, ObjectsOfASchemaOffTheSearchPathAppearOnce) {
    auto& c = *m_super;
    EXPECT_EQ(count(names(*list(c, DbObject::AGGREGATE)), "Su'm"), 1u);
    EXPECT_EQ(count(names(*list(c, DbObject::DOMAIN)), "Do'main"), 1u);
    const auto types = names(*list(c, DbObject::TYPE));
    EXPECT_EQ(count(types, "Co'mposite"), 1u);
    EXPECT_EQ(count(types, "En'um"), 1u);
    // Table row types and array types are not types of their own here.
    EXPECT_EQ(count(types, "Or'der \"Lines\""), 0u);
    EXPECT_EQ(count(types, "_En'um"), 0u);
    EXPECT_EQ(count(names(*list(c, DbObject::SEQUENCE)), "Se'q"), 1u);
    const auto functions = names(*list(c, DbObject::FUNCTION));
    EXPECT_EQ(count(functions, "Tot'al"), 2u);
    EXPECT_EQ(count(functions, "Su'm"), 0u);
    const auto procedures = names(*list(c, DbObject::PROCEDURE));
    EXPECT_EQ(procedures, major() >= 11 ? std::vector<std::string>{"Pro'c"}
                                        : std::vector<std::string>{});
    EXPECT_EQ(count(names(*list(c, DbObject::ROUTINE)), "Pro'c"), major() >= 11 ? 1u : 0u);
    EXPECT_EQ(names(*list(c, DbObject::TABLE)),
              (std::vector<std::string>{k_table, "orders", "parent"}));
    EXPECT_EQ(names(*list(c, DbObject::VIEW)), std::vector<std::string>{"V'iew"});
    EXPECT_EQ(count(names(*list(c, DbObject::INDEX)), "Idx'1"), 1u);
    EXPECT_EQ(count(names(*list(c, DbObject::TRIGGER)), "Tr'ig"), 1u);
    EXPECT_EQ(count(names(*list(c, DbObject::SCHEMA)), k_schema), 1u);
    EXPECT_EQ(count(names(*list(c, DbObject::USER)), "postgres"), 1u);

    // A materialized view named like a table of another schema: one row, its own comment.
    auto materialized = list(c, DbObject::MATERIALIZED_VIEW);
    ASSERT_EQ(materialized->get_row_count(), 1u);
    EXPECT_EQ(materialized->get_text_at(0, 0), "dup");
    EXPECT_EQ(materialized->get_text_at(0, 4), "the view");

    // Letters become words; a table never analysed has no row count (14 on).
    auto triggers = list(c, DbObject::TRIGGER);
    for (std::size_t row = 0; row < triggers->get_row_count(); ++row)
        if (triggers->get_text_at(row, 0) == "Tr'ig") {
            EXPECT_EQ(triggers->get_text_at(row, 2), "Ordinary table");
            EXPECT_EQ(triggers->get_text_at(row, 8), "Origin");
        }
    if (major() >= 14) {
        auto tables = list(c, DbObject::TABLE);
        EXPECT_TRUE(tables->is_null_at(0, 3));
    }
    // An empty schema name lists public; an unlisted kind gives an empty model.
    auto in_public = c.explorer()->load_objects(DbObject::TABLE, m_database.name(), "", "");
    ASSERT_TRUE(in_public.has_value());
    EXPECT_EQ(names(**in_public), (std::vector<std::string>{"dup", "orders"}));
    auto columns = c.explorer()->load_objects(DbObject::COLUMN, m_database.name(), k_schema, "");
    ASSERT_TRUE(columns.has_value());
    EXPECT_EQ((*columns)->get_column_count(), 0u);
}

TEST_F(PostgreSQLExplorerOnServer, LocksAndUnlocksALogin) {
    const std::string role = ordinary_role();
    auto explorer = m_super->explorer();
    const std::string can_login =
        "SELECT rolcanlogin FROM pg_catalog.pg_roles WHERE rolname = " +
        Dovodarud::Supports::Database::sql_literal(role);
    ASSERT_TRUE(explorer->exec_command(DbObject::USER, "", "", role, "", "lock").has_value());
    EXPECT_EQ(scalar(*m_super, can_login), "f");
    ASSERT_TRUE(explorer->exec_command(DbObject::USER, "", "", role, "", "unlock").has_value());
    EXPECT_EQ(scalar(*m_super, can_login), "t");
    // Other kinds and commands do nothing.
    ASSERT_TRUE(explorer->exec_command(DbObject::ROLE, "", "", role, "", "lock").has_value());
    EXPECT_EQ(scalar(*m_super, can_login), "t");
}

} // namespace

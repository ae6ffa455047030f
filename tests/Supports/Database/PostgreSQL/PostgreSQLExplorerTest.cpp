// The object explorer on the server under test: every kind lists with its
// titles as the superuser and as an ordinary role, in a fixed order, the
// objects made in a schema off search_path appear once each, and the catalog
// lookups of the jobs answer for awkward names.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Database/PostgreSQL/Catalog/PostgreSQLExplorer.hpp"
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

TEST_F(PostgreSQLExplorerOnServer, LookupsAnswerForAwkwardNamesAndKinds) {
    const std::string s = schema_name();
    const std::string other = "Ot.her|sch\"ema";
    const std::string o = Dovodarud::Supports::Database::sql_name(other);
    std::vector<std::string> statements{
        "CREATE SCHEMA " + o,
        // Key columns declared in the reverse of their order in the table.
        "CREATE TABLE " + s +
            ".\"a,b=c\" (\"x;y\" int GENERATED ALWAYS AS IDENTITY,"
            " \"k=2\" text, \"k,1\" int, PRIMARY KEY (\"k,1\", \"k=2\"))",
        "ALTER TABLE " + s + ".\"a,b=c\" DROP COLUMN \"k=2\" CASCADE",
        "ALTER TABLE " + s + ".\"a,b=c\" ADD COLUMN z int, ADD PRIMARY KEY (z, \"k,1\")",
        "CREATE TABLE " + s + ".parted (k int) PARTITION BY RANGE (k)",
        "CREATE TABLE " + s + ".part_1 PARTITION OF " + s + ".parted FOR VALUES FROM (0) TO (10)",
        "CREATE VIEW " + o + ".v AS SELECT 1 AS one",
        "CREATE TABLE " + o + ".\"a,b=c\" (id int)",
    };
    if (major() >= 12)
        statements.push_back("ALTER TABLE " + s +
                             ".\"a,b=c\" ADD COLUMN twice int"
                             " GENERATED ALWAYS AS (z * 2) STORED");
    for (const std::string& sql : statements)
        execute(*m_super, sql);
    auto explorer = m_super->explorer();

    auto database = explorer->current_database();
    ASSERT_TRUE(database.has_value()) << database.error().message;
    EXPECT_EQ(*database, m_database.name());
    auto schemas = explorer->schema_names();
    ASSERT_TRUE(schemas.has_value());
    EXPECT_EQ(count(*schemas, k_schema), 1u);
    EXPECT_EQ(count(*schemas, other), 1u);
    EXPECT_EQ(count(*schemas, "pg_catalog") + count(*schemas, "information_schema"), 0u);
    EXPECT_TRUE(std::is_sorted(schemas->begin(), schemas->end()));
    EXPECT_EQ(explorer->has_schema(other), true);
    EXPECT_EQ(explorer->has_schema("Ot.her"), false);

    auto relations = explorer->relations({k_schema, other});
    ASSERT_TRUE(relations.has_value());
    std::vector<std::string> listed;
    for (const auto& relation : *relations)
        listed.push_back(relation.schema + "|" + relation.name + "|" + relation.kind +
                         (relation.is_table() ? "+" : ""));
    for (const std::string& expected :
         {std::string(k_schema) + "|a,b=c|r+", std::string(k_schema) + "|parted|p+",
          std::string(k_schema) + "|part_1|r+", std::string(k_schema) + "|dup|m", other + "|v|v",
          other + "|a,b=c|r+"})
        EXPECT_EQ(count(listed, expected), 1u) << expected;
    auto types = explorer->type_names({k_schema});
    ASSERT_TRUE(types.has_value());
    std::vector<std::string> type_list;
    for (const auto& type : *types)
        type_list.push_back(type.name);
    for (const char* type : {"Do'main", "Co'mposite", "En'um"})
        EXPECT_EQ(count(type_list, type), 1u) << type;
    EXPECT_EQ(count(type_list, "a,b=c"), 0u); // a table's row type is not listed

    std::vector<std::string> all{"x;y", "k,1", "z"};
    if (major() >= 12)
        all.push_back("twice");
    EXPECT_EQ(explorer->column_names(k_schema, "a,b=c"), all);
    EXPECT_EQ(explorer->column_names(k_schema, "missing"), std::vector<std::string>{});

    auto tables = explorer->data_tables(k_schema);
    ASSERT_TRUE(tables.has_value());
    EXPECT_EQ(count(*tables, "parted"), 1u);
    EXPECT_EQ(count(*tables, "part_1"), 0u);
    EXPECT_EQ(count(*tables, "dup"), 0u);
    auto columns = explorer->data_columns(k_schema, "a,b=c");
    ASSERT_TRUE(columns.has_value());
    ASSERT_EQ(columns->size(), 3u); // the generated column is left out
    EXPECT_EQ((*columns)[0].name, "x;y");
    EXPECT_EQ((*columns)[0].key_position, 0u);
    EXPECT_TRUE((*columns)[0].identity_always);
    EXPECT_EQ((*columns)[1].name, "k,1");
    EXPECT_EQ((*columns)[1].key_position, 2u);
    EXPECT_EQ((*columns)[2].name, "z");
    EXPECT_EQ((*columns)[2].key_position, 1u);
    EXPECT_FALSE((*columns)[2].identity_always);
    auto none = explorer->data_columns(k_schema, "dup");
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->empty());
}

TEST_F(PostgreSQLExplorerOnServer, WireTypesTellBuiltInTypesWithBinaryFunctions) {
    const std::string s = schema_name();
    execute(*m_super, "CREATE TABLE " + s + ".\"wi,re\" (i int, gone text, e " + s +
                          ".\"En'um\", a aclitem, ai int[], d " + s + ".\"Do'main\")");
    execute(*m_super, "ALTER TABLE " + s + ".\"wi,re\" DROP COLUMN gone");
    auto types = m_super->explorer()->column_wire_types(k_schema, "wi,re");
    ASSERT_TRUE(types.has_value()) << types.error().message;
    std::vector<std::string> seen;
    for (const auto& type : *types)
        seen.push_back(type.name + (type.built_in ? " built-in" : "") +
                       (type.binary_io ? " binary" : "") + (type.binary_safe() ? " safe" : ""));
    // aclitem has no binary functions; user types have oids of their own.
    EXPECT_EQ(seen, (std::vector<std::string>{"i built-in binary safe", "e binary", "a built-in",
                                              "ai built-in binary safe", "d binary"}));
    EXPECT_EQ(types->front().type_oid, 23u);
    auto none = m_super->explorer()->column_wire_types(k_schema, "missing");
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->empty());

    execute(*m_super, "INSERT INTO " + s + ".\"wi,re\" (i, d) SELECT g, 'x' FROM generate_series(1, 2000) g");
    auto blocks = m_super->explorer()->table_blocks(k_schema, "wi,re");
    ASSERT_TRUE(blocks.has_value()) << blocks.error().message;
    EXPECT_GE(*blocks, 2u);
    EXPECT_EQ(m_super->explorer()->table_blocks(k_schema, "missing"), 0u);
}

} // namespace

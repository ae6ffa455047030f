// The comparison marks and the alter scripts built from them, on models made
// in memory (the diff round trip runs the scripts on every server version).
#include "Transform/Patcher.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"
#include "Transform/SchemaMove.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida::Dovodarud;
using namespace Dizezida::Dovodarud::MetaModel;
using Supports::Database::PostgreSQLBuilder;
using Transform::Patcher;

std::shared_ptr<MetaColumn> column(const std::string& name, const std::string& type,
                                   std::uint32_t ordinal) {
    auto c = MetaColumn::with_type(name, DataType::UNKNOWN, type);
    c->set_ordinal(ordinal);
    return c;
}

/// A schema `schema` of database `database` with one table "t" of the given columns.
std::shared_ptr<MetaSchema> schema_with(const std::string& database, const std::string& schema,
                                        std::vector<std::shared_ptr<MetaColumn>> columns) {
    auto s = MetaSchema::with_names(database, schema);
    auto t = MetaTable::with_names(database, schema, "t");
    for (auto& c : columns) {
        c->set_database(database);
        c->set_schema(schema);
        t->get_columns().push_back(c);
    }
    s->get_tables().push_back(t);
    return s;
}

class PatcherTest : public ::testing::Test {
protected:
    /// The patch of table "t" that brings `target` to `source`.
    std::string patch(const std::shared_ptr<MetaSchema>& source,
                      const std::shared_ptr<MetaSchema>& target) {
        std::shared_ptr<MetaSchema> difference;
        if (Patcher().diff_meta_schema(source, target, false, difference) != DataVersion::CHANGE)
            return "(equal)";
        return builder.patch_table(difference->get_tables().at(0));
    }
    PostgreSQLBuilder builder{nullptr};
};

TEST_F(PatcherTest, ColumnsEndUpAsOnTheSource) {
    const auto source =
        schema_with("a", "s", {column("id", "integer", 1), column("added", "numeric(12,2)", 2)});
    const auto target =
        schema_with("b", "s", {column("id", "integer", 1), column("extra", "text", 3)});
    std::shared_ptr<MetaSchema> difference;
    ASSERT_EQ(Patcher().diff_meta_schema(source, target, false, difference), DataVersion::CHANGE);
    const auto& columns = difference->get_tables().at(0)->get_columns();
    std::map<std::string, DataVersion> marks;
    for (const auto& c : columns)
        marks[c->get_name()] = c->get_version();
    EXPECT_EQ(marks["added"], DataVersion::APPEND);
    EXPECT_EQ(marks["extra"], DataVersion::REMOVE);
    EXPECT_EQ(marks["id"], DataVersion::EQUAL);
    const std::string script = builder.patch_table(difference->get_tables().at(0));
    EXPECT_NE(script.find("ADD COLUMN \"added\" numeric(12,2) NULL"), std::string::npos) << script;
    EXPECT_NE(script.find("DROP COLUMN IF EXISTS \"extra\""), std::string::npos) << script;
    EXPECT_EQ(script.find("IF NOT EXISTS"), std::string::npos) << script;
}

TEST_F(PatcherTest, NoFalseDifferences) {
    // Other names, a column named like the schema, positions left by a
    // dropped column, other owners: nothing to do.
    auto source = schema_with("shop", "public",
                              {column("id", "integer", 1), column("publication", "text", 2)});
    auto target = schema_with("copy", "a", {column("id", "integer", 1), column("publication", "text", 5)});
    source->get_tables()[0]->get_options()["OWNER"] = "alice";
    target->get_tables()[0]->get_options()["OWNER"] = "bob";
    target->get_tables()[0]->get_columns()[1]->set_after("dropped");
    std::shared_ptr<MetaSchema> difference;
    EXPECT_EQ(Patcher().diff_meta_schema(source, target, false, difference), DataVersion::EQUAL);
    EXPECT_EQ(difference, nullptr);
    EXPECT_EQ(Patcher().diff_meta_schema(source, target, true, difference), DataVersion::CHANGE);

    // A dropped middle column is the only change.
    const auto wanted = schema_with("x", "s", {column("a", "int", 1), column("c", "int", 2)});
    const auto current =
        schema_with("x", "s", {column("a", "int", 1), column("b", "int", 2), column("c", "int", 3)});
    const std::string script = patch(wanted, current);
    EXPECT_NE(script.find("DROP COLUMN IF EXISTS \"b\""), std::string::npos) << script;
    EXPECT_EQ(script.find("\"c\""), std::string::npos) << script;
}

TEST_F(PatcherTest, AlterColumnsOnlyInWhatChanged) {
    auto wanted_price = column("price", "numeric(12,2)", 2);
    wanted_price->set_default_value("EMPYT STRING");
    auto wanted_name = column("name", "text", 3);
    wanted_name->set_collation("pg_catalog.en_US.utf8");
    auto wanted_note = column("note", "text", 4);
    wanted_note->set_default_value("'x'::text");
    wanted_note->set_comment("it's");
    const auto source = schema_with(
        "a", "s", {column("id", "integer", 1), wanted_price, wanted_name, wanted_note});
    const auto target = schema_with("b", "s",
                                    {column("id", "integer", 1), column("price", "numeric(10,2)", 2),
                                     column("name", "text", 3), column("note", "text", 4)});
    const std::string script = patch(source, target);
    EXPECT_NE(script.find("ALTER COLUMN \"price\" TYPE numeric(12,2) USING \"price\"::numeric(12,2)"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("ALTER COLUMN \"price\" SET DEFAULT ''"), std::string::npos) << script;
    EXPECT_NE(script.find("ALTER COLUMN \"name\" TYPE text COLLATE \"pg_catalog\".\"en_US.utf8\""),
              std::string::npos)
        << script;
    EXPECT_EQ(script.find("\"note\" TYPE"), std::string::npos) << script;
    EXPECT_NE(script.find("ALTER COLUMN \"note\" SET DEFAULT 'x'::text"), std::string::npos) << script;
    EXPECT_NE(script.find("COMMENT ON COLUMN \"s\".\"t\".\"note\" IS 'it''s';"), std::string::npos)
        << script;
    EXPECT_EQ(script.find("COMMENT ON TABLE"), std::string::npos) << script;
}

TEST_F(PatcherTest, RenamesComeFirstInTheirOwnStatement) {
    // In place (same position and definition): one rename keeps the values.
    const std::string renamed = patch(schema_with("a", "s", {column("full_name", "text", 1)}),
                                      schema_with("b", "s", {column("name", "text", 1)}));
    EXPECT_EQ(renamed, "ALTER TABLE \"s\".\"t\" RENAME COLUMN \"name\" TO \"full_name\";\n");

    // An edited column renamed and retyped: the rename stands alone, first.
    auto table = MetaTable::with_names("a", "s", "t");
    auto edited = column("total", "numeric(12,2)", 1);
    edited->set_version(DataVersion::CHANGE);
    edited->set_original("amount");
    edited->append_diff("raw-type", DataVersion::CHANGE);
    table->get_columns().push_back(edited);
    const std::string script = builder.patch_table(table);
    EXPECT_EQ(script, "ALTER TABLE \"s\".\"t\" RENAME COLUMN \"amount\" TO \"total\";\n"
                      "ALTER TABLE \"s\".\"t\"\n"
                      "    ALTER COLUMN \"total\" TYPE numeric(12,2) USING \"total\"::numeric(12,2);\n");
}

TEST_F(PatcherTest, PrimaryKeysAreCompared) {
    auto key = column("id", "integer", 1);
    key->set_is_primary_key(true);
    key->set_primary_ordinal(1);
    auto source = schema_with("a", "s", {key, column("n", "integer", 2)});
    source->get_tables()[0]->get_attributes()["PRIMARY_KEY"] = "t_pkey";
    const auto target = schema_with("b", "s", {column("id", "integer", 1), column("n", "integer", 2)});
    const std::string script = patch(source, target);
    EXPECT_NE(script.find("ADD CONSTRAINT \"t_pkey\" PRIMARY KEY (\"id\")"), std::string::npos)
        << script;
}

TEST_F(PatcherTest, TableCommentComesFromTheSource) {
    auto source = schema_with("a", "s", {column("id", "integer", 1)});
    auto target = schema_with("b", "s", {column("id", "integer", 1), column("x", "integer", 2)});
    source->get_tables()[0]->set_comment("kept 'as is'");
    target->get_tables()[0]->set_comment("kept 'as is'");
    EXPECT_EQ(patch(source, target).find("COMMENT ON TABLE"), std::string::npos);
    source->get_tables()[0]->set_comment("new");
    EXPECT_NE(patch(source, target).find("COMMENT ON TABLE \"s\".\"t\" IS 'new';"),
              std::string::npos);
}

TEST_F(PatcherTest, DiffModelFillsDiffAndSlice) {
    auto before = MetaRole::with_names("d", "", "r", "");
    auto after = MetaRole::with_names("d", "", "r", "");
    before->get_attributes()["LOGIN"] = "false";
    after->get_attributes()["LOGIN"] = "true";
    after->get_attributes()["REPLICATION"] = "true";
    after->set_comment("new");
    EXPECT_EQ(Patcher().diff_model(before, after), DataVersion::CHANGE);
    EXPECT_EQ(after->diff().at("attributes.LOGIN"), DataVersion::CHANGE);
    EXPECT_EQ(after->slice().at("attributes.LOGIN"), "false");
    EXPECT_EQ(after->diff().at("attributes.REPLICATION"), DataVersion::APPEND);
    EXPECT_EQ(after->slice().count("attributes.REPLICATION"), 0u);
    EXPECT_EQ(after->diff().at("comment"), DataVersion::CHANGE);
    EXPECT_EQ(Patcher().diff_model(after, after), DataVersion::EQUAL);
}

TEST_F(PatcherTest, RolesAreAlteredWithQuotedNamesAndKinds) {
    auto before = MetaRole::with_names("d", "", "ad@min", "");
    auto after = MetaRole::with_names("d", "", "ad@min", "");
    before->get_attributes()["ROLES"] = "admin=true,reader=false";
    after->get_attributes()["ROLES"] = "admin=false,writer=true";
    after->get_attributes()["LOGIN"] = "true";
    before->get_attributes()["LOGIN"] = "true";
    after->set_password("it's");
    before->get_privileges()["OBJECT"] = "TABLE:s.t";
    before->get_privileges()["TABLE:s.t"] = "SELECT=G";
    after->get_privileges()["OBJECT"] = "TABLE:s.t";
    after->get_privileges()["TABLE:s.t"] = "SELECT=W,UPDATE=G";
    Patcher().diff_model(before, after);
    const std::string script = builder.build_patch(after);
    EXPECT_NE(script.find("ALTER ROLE \"ad@min\" PASSWORD 'it''s';"), std::string::npos) << script;
    EXPECT_NE(script.find("REVOKE \"admin\", \"reader\" FROM \"ad@min\";"), std::string::npos)
        << script;
    EXPECT_NE(script.find("GRANT \"admin\" TO \"ad@min\";"), std::string::npos) << script;
    EXPECT_NE(script.find("GRANT \"writer\" TO \"ad@min\" WITH ADMIN OPTION;"), std::string::npos)
        << script;
    EXPECT_NE(script.find("GRANT UPDATE ON TABLE \"s\".\"t\" TO \"ad@min\";"), std::string::npos)
        << script;
    EXPECT_NE(script.find("GRANT SELECT ON TABLE \"s\".\"t\" TO \"ad@min\" WITH GRANT OPTION;"),
              std::string::npos)
        << script;
}

TEST_F(PatcherTest, DatabaseAlterSaysWhatCannotChange) {
    auto before = MetaDatabase::with_name("shop");
    auto after = MetaDatabase::with_name("shop");
    before->get_attributes() = {{"ENCODING", "UTF8"}, {"CONNECTION LIMIT", "-1"},
                                {"EXTENSION", "plpgsql=1.0,hstore=1.7"}};
    after->get_attributes() = {{"ENCODING", "LATIN1"}, {"CONNECTION LIMIT", "5"},
                               {"EXTENSION", "plpgsql=1.0,hstore=1.8,citext=1.6"}};
    const std::string script = builder.alter_database(before, after);
    EXPECT_EQ(script, "ALTER DATABASE \"shop\"\n  CONNECTION LIMIT 5;\n"
                      "-- ENCODING of database \"shop\" cannot be changed in place (wanted: LATIN1)\n"
                      "ALTER EXTENSION \"hstore\" UPDATE TO '1.8';\n"
                      "CREATE EXTENSION IF NOT EXISTS \"citext\" VERSION '1.6';\n");
}

TEST(SchemaMoveTest, RepointsQualifiedNamesOnly) {
    EXPECT_EQ(Transform::repoint_text("SELECT public.f(x) FROM public.t JOIN publication.u",
                                      "public", "Pub"),
              "SELECT \"Pub\".f(x) FROM \"Pub\".t JOIN publication.u");
    EXPECT_EQ(Transform::repoint_text("nextval('\"A b\".seq'::regclass)", "A b", "c"),
              "nextval('c.seq'::regclass)");

    auto schema = schema_with("a", "old", {column("id", "integer", 1)});
    auto key = MetaForeignKey::with_refer("fk", "old", "t");
    schema->get_tables()[0]->get_constraints().push_back(key);
    auto view = MetaView::with_names("a", "old", "v");
    view->set_definition(" SELECT t.id FROM old.t;");
    view->set_comment("about old.t");
    view->get_attributes()["OWNER"] = "alice";
    schema->get_views().push_back(view);
    const auto moved = Transform::moved_schema(*schema, "b", "new", false);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->get_name(), "new");
    EXPECT_EQ(moved->get_tables()[0]->get_schema(), "new");
    EXPECT_EQ(moved->get_tables()[0]->get_database(), "b");
    EXPECT_EQ(std::dynamic_pointer_cast<MetaForeignKey>(moved->get_tables()[0]->get_constraints()[0])
                  ->get_refer_schema(),
              "new");
    EXPECT_EQ(moved->get_views()[0]->get_definition(), " SELECT t.id FROM new.t;");
    EXPECT_EQ(moved->get_views()[0]->get_comment(), "about old.t");
    EXPECT_EQ(moved->get_views()[0]->get_attributes().count("OWNER"), 0u);
}

} // namespace

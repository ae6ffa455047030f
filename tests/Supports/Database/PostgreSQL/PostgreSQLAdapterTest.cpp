// The catalog adapter on the server under test: a schema with the awkward
// things real schemas hold is read into the model and each property is
// checked against what was created; the deep fill of a whole schema gives
// exactly the model of filling each object alone.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Model/MetaJson.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterV11x.hpp"
#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterVersions.hpp"
#include "Supports/Database/SqlText.hpp"

#include <algorithm>

using namespace Dizezida;
using namespace Dizezida::Testing;
using namespace Dizezida::Dovodarud::MetaModel;
using Dovodarud::Supports::Database::PostgreSQLAdapterV11x;

namespace {

class PostgreSQLAdapterOnServer : public CatalogServer {
protected:
    static constexpr const char* k_rich = "Rïch \"Schema\"";

    void SetUp() override {
        CatalogServer::SetUp();
        create_rich_schema();
    }

    std::string rich() const { return Dovodarud::Supports::Database::sql_name(k_rich); }

    void create_rich_schema() {
        const std::string s = rich();
        std::vector<std::string> sql = {
            "CREATE SCHEMA " + s,
            "CREATE TYPE " + s + ".mood AS ENUM ('sad', 'ok')",
            "CREATE DOMAIN " + s + ".posint AS integer CHECK (VALUE > 0)",
            "CREATE TABLE " + s + ".\"Mixed Case\" (id integer GENERATED ALWAYS AS IDENTITY"
            " (START WITH 10 INCREMENT BY 5) PRIMARY KEY, code varchar(12) COLLATE \"C\" NOT NULL,"
            " amount numeric(12,3) DEFAULT 0, tags text[], feeling " + s + ".mood, size " + s +
                ".posint, serial_no serial, at timestamptz, doc jsonb)",
            "COMMENT ON COLUMN " + s + ".\"Mixed Case\".code IS 'it''s \"quoted\"'",
            "COMMENT ON TABLE " + s + ".\"Mixed Case\" IS 'a ''table'''",
            "CREATE TABLE " + s + ".pair (a int, b int, note text, PRIMARY KEY (b, a))",
            "CREATE TABLE " + s + ".child (x int CONSTRAINT pos CHECK (x > 0), y int,"
            " CONSTRAINT \"fk two\" FOREIGN KEY (y, x) REFERENCES " + s +
                ".pair (b, a) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED,"
                " CONSTRAINT u_yx UNIQUE (y, x))",
            "CREATE TABLE " + s + ".ex (r box, CONSTRAINT no_overlap EXCLUDE USING gist (r WITH &&))",
            "CREATE INDEX \"part idx\" ON " + s + ".pair (note) WHERE note IS NOT NULL",
            "CREATE INDEX expr_idx ON " + s + ".pair (lower(note))",
            "CREATE INDEX desc_idx ON " + s + ".pair (a DESC NULLS LAST, b)",
            "CREATE INDEX pat_idx ON " + s + ".pair (note text_pattern_ops)",
            "CREATE TABLE " + s + ".measure (at date, v int) PARTITION BY RANGE (at)",
            "CREATE TABLE " + s + ".measure_2024 PARTITION OF " + s +
                ".measure FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')",
            "CREATE TABLE " + s + ".base (id int)",
            "CREATE TABLE " + s + ".derived (extra text) INHERITS (" + s + ".base)",
            "CREATE UNLOGGED TABLE " + s + ".scratch (id int) WITH (fillfactor = 70)",
            "CREATE VIEW " + s + ".v AS SELECT a, b FROM " + s + ".pair",
            "CREATE MATERIALIZED VIEW " + s + ".mv AS SELECT a FROM " + s + ".pair",
            "CREATE FUNCTION " + s + ".f(a int, b text DEFAULT 'x, y', OUT c int) LANGUAGE sql"
            " AS 'SELECT a'",
            "CREATE FUNCTION " + s + ".f(a text) RETURNS text LANGUAGE sql IMMUTABLE AS 'SELECT a'",
            "CREATE FUNCTION " + s + ".g(VARIADIC d int[]) RETURNS int LANGUAGE sql AS 'SELECT 1'",
            "CREATE AGGREGATE " + s + ".f(bigint) (SFUNC = int8pl, STYPE = bigint)",
            "CREATE FUNCTION " + s + ".trig_fn() RETURNS trigger LANGUAGE plpgsql"
            " AS $$BEGIN RETURN NEW; END$$",
            "CREATE TRIGGER t1 AFTER INSERT OR UPDATE OF a, note ON " + s +
                ".pair FOR EACH ROW WHEN (NEW.a > 0) EXECUTE PROCEDURE " + s + ".trig_fn('arg1')",
            "ALTER TABLE " + s + ".pair DISABLE TRIGGER t1",
            "CREATE RULE r1 AS ON DELETE TO " + s + ".pair WHERE OLD.a < 0 DO INSTEAD NOTHING",
            "CREATE RULE r2 AS ON INSERT TO " + s + ".pair DO ALSO NOTIFY pair_changed",
        };
        if (major() >= 11) {
            sql.push_back("CREATE INDEX inc_idx ON " + s + ".pair (a) INCLUDE (note)");
            sql.push_back("CREATE PROCEDURE " + s + ".p(INOUT n int) LANGUAGE sql AS 'SELECT n'");
        }
        if (major() >= 12)
            sql.push_back("ALTER TABLE " + s +
                          ".\"Mixed Case\" ADD COLUMN total numeric GENERATED ALWAYS AS"
                          " (amount * 2) STORED");
        for (const std::string& statement : sql)
            execute(*m_super, statement);
    }

    std::shared_ptr<PostgreSQLAdapterV11x> adapter() {
        return std::dynamic_pointer_cast<PostgreSQLAdapterV11x>(m_super->adapter());
    }

    std::shared_ptr<MetaSchema> deep_schema() {
        auto schema = MetaSchema::with_names(m_database.name(), k_rich);
        const auto filled = adapter()->fill_meta_schema(schema, 1);
        EXPECT_TRUE(filled.has_value()) << (filled ? "" : filled.error().message);
        return schema;
    }

    template <class T>
    static std::shared_ptr<T> named(const std::vector<std::shared_ptr<T>>& list,
                                    const std::string& name) {
        for (const auto& item : list)
            if (item->get_name() == name)
                return item;
        ADD_FAILURE() << "no " << name;
        return nullptr;
    }
};

TEST_F(PostgreSQLAdapterOnServer, ConnectionChoosesTheGenerationOfItsServer) {
    const std::uint32_t expected = std::stoul(std::getenv("DIZEZIDA_TEST_PG_MAJOR"));
    EXPECT_EQ(major(), expected);
    auto chosen = m_super->adapter();
    const std::string_view name = dynamic_cast<Core::Object&>(*chosen).type().name;
    EXPECT_EQ(name, expected >= 12 ? "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV12x"
                                   : "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV11x");
}

TEST_F(PostgreSQLAdapterOnServer, ColumnsKeepTheServersOwnTypes) {
    auto schema = deep_schema();
    auto table = named(schema->get_tables(), "Mixed Case");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->get_comment(), "a 'table'");
    auto column = [&](const char* name) {
        auto found = table->get_column(name);
        EXPECT_TRUE(found) << name;
        return found ? found : MetaColumn::with_type("missing", {}, "");
    };
    EXPECT_EQ(column("id")->get_identity(), "GENERATED ALWAYS");
    EXPECT_EQ(column("id")->get_attributes().at("IDENTITY_START"), "10");
    EXPECT_EQ(column("id")->get_attributes().at("IDENTITY_INCREMENT"), "5");
    EXPECT_TRUE(column("id")->get_is_primary_key());
    EXPECT_EQ(column("code")->get_raw_type(), "character varying(12)");
    EXPECT_EQ(column("code")->get_length(), 12);
    EXPECT_EQ(column("code")->get_collation(), "pg_catalog.C");
    EXPECT_TRUE(column("code")->get_not_null());
    EXPECT_EQ(column("code")->get_comment(), "it's \"quoted\"");
    EXPECT_EQ(column("code")->get_after(), "id");
    EXPECT_EQ(column("amount")->get_raw_type(), "numeric(12,3)");
    EXPECT_EQ(column("amount")->get_scale(), 3);
    EXPECT_EQ(column("amount")->get_data_type(), Zozuvoru::Contracts::DataType::NUMERIC);
    EXPECT_EQ(column("amount")->get_default_value(), "0");
    EXPECT_EQ(column("tags")->get_raw_type(), "text[]");
    EXPECT_EQ(column("tags")->get_data_type(), Zozuvoru::Contracts::DataType::ARRAY);
    EXPECT_EQ(column("feeling")->get_raw_type(), rich() + ".mood");
    EXPECT_EQ(column("size")->get_raw_type(), rich() + ".posint");
    EXPECT_EQ(column("size")->get_data_type(), Zozuvoru::Contracts::DataType::INTEGER);
    EXPECT_NE(column("serial_no")->get_default_value().find("nextval("), std::string::npos);
    EXPECT_EQ(column("at")->get_data_type(), Zozuvoru::Contracts::DataType::TIMESTAMP);
    EXPECT_EQ(column("doc")->get_raw_type(), "jsonb");
    if (major() >= 12) {
        EXPECT_TRUE(column("total")->get_is_virtual());
        EXPECT_EQ(column("total")->get_expression(), "(amount * (2)::numeric)");
        EXPECT_EQ(column("total")->get_default_value(), "");
    }
}

TEST_F(PostgreSQLAdapterOnServer, KeysIndexesAndConstraintsKeepTheirOrder) {
    auto schema = deep_schema();
    auto pair = named(schema->get_tables(), "pair");
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->get_column("b")->get_primary_ordinal(), 1);
    EXPECT_EQ(pair->get_column("a")->get_primary_ordinal(), 2);
    auto index = [&](const char* name) { return named(pair->get_indexes(), name); };
    ASSERT_TRUE(index("desc_idx"));
    EXPECT_EQ(index("desc_idx")->get_columns(), (Core::StringList{"a DESC NULLS LAST", "b"}));
    EXPECT_EQ(index("expr_idx")->get_columns(), Core::StringList{"lower(note)"});
    EXPECT_EQ(index("part idx")->get_where(), "note IS NOT NULL");
    EXPECT_EQ(index("pat_idx")->get_columns(), Core::StringList{"note pg_catalog.text_pattern_ops"});
    EXPECT_EQ(index("pat_idx")->get_method(), "BTREE");
    if (major() >= 11) {
        EXPECT_EQ(index("inc_idx")->get_columns(), Core::StringList{"a"});
        EXPECT_EQ(index("inc_idx")->get_include(), "note");
    }
    // The primary key's own index is not listed as an index.
    EXPECT_EQ(pair->get_indexes().size(), major() >= 11 ? 5u : 4u);

    auto child = named(schema->get_tables(), "child");
    ASSERT_TRUE(child);
    std::shared_ptr<MetaForeignKey> key;
    std::shared_ptr<MetaCheck> check;
    std::shared_ptr<MetaUnique> unique;
    for (const auto& constraint : child->get_constraints()) {
        if (auto k = std::dynamic_pointer_cast<MetaForeignKey>(constraint))
            key = k;
        if (auto c = std::dynamic_pointer_cast<MetaCheck>(constraint))
            check = c;
        if (auto u = std::dynamic_pointer_cast<MetaUnique>(constraint))
            unique = u;
    }
    ASSERT_TRUE(key && check && unique);
    EXPECT_EQ(key->get_name(), "fk two");
    EXPECT_EQ(key->get_local_columns(), "y, x");
    EXPECT_EQ(key->get_refer_columns(), "b, a");
    EXPECT_EQ(key->get_refer_schema(), k_rich);
    EXPECT_EQ(key->get_refer_table(), "pair");
    EXPECT_EQ(key->get_delete_action(), "CASCADE");
    EXPECT_EQ(key->get_update_action(), "NO ACTION");
    EXPECT_EQ(key->get_match_method(), "SIMPLE");
    EXPECT_EQ(key->get_deferrable(), "INITIALLY DEFERRED");
    EXPECT_EQ(check->get_check(), "x > 0");
    EXPECT_EQ(unique->get_columns(), "y, x");

    // A check expression written back into CHECK (...) is accepted by the server.
    execute(*m_super, "ALTER TABLE " + rich() + ".child ADD CONSTRAINT again CHECK (" +
                          check->get_check() + ")");

    auto ex = named(schema->get_tables(), "ex");
    ASSERT_TRUE(ex);
    ASSERT_EQ(ex->get_constraints().size(), 1u);
    auto exclude = std::dynamic_pointer_cast<MetaExclude>(ex->get_constraints()[0]);
    ASSERT_TRUE(exclude);
    EXPECT_EQ(exclude->get_index_method(), "gist");
    EXPECT_EQ(exclude->get_elements(), "r WITH &&");
}

TEST_F(PostgreSQLAdapterOnServer, TriggersRulesAndOptions) {
    auto schema = deep_schema();
    auto pair = named(schema->get_tables(), "pair");
    ASSERT_TRUE(pair);
    ASSERT_EQ(pair->get_triggers().size(), 1u);
    const auto& trigger = *pair->get_triggers()[0];
    EXPECT_EQ(trigger.get_event(), "INSERT,UPDATE");
    EXPECT_EQ(trigger.get_columns(), "a,note");
    EXPECT_EQ(trigger.get_timing(), "AFTER");
    EXPECT_EQ(trigger.get_for_each(), "ROW");
    EXPECT_EQ(trigger.get_when(), "new.a > 0");
    EXPECT_EQ(trigger.get_function(), std::string(k_rich) + ".trig_fn");
    EXPECT_EQ(trigger.get_arguments(), "'arg1'");
    EXPECT_EQ(trigger.get_body(), "EXECUTE PROCEDURE " + rich() + ".trig_fn('arg1')");
    EXPECT_FALSE(trigger.get_enable());
    EXPECT_EQ(trigger.get_apply(), "DISABLED");

    ASSERT_EQ(pair->get_rules().size(), 2u);
    const auto& r1 = *named(pair->get_rules(), "r1");
    EXPECT_EQ(r1.get_event(), "DELETE");
    EXPECT_EQ(r1.get_action(), "INSTEAD");
    EXPECT_EQ(r1.get_where(), "old.a < 0");
    EXPECT_EQ(r1.get_commands(), "NOTHING");
    const auto& r2 = *named(pair->get_rules(), "r2");
    EXPECT_EQ(r2.get_action(), "ALSO");
    EXPECT_EQ(r2.get_commands(), "NOTIFY pair_changed");

    auto scratch = named(schema->get_tables(), "scratch");
    EXPECT_EQ(scratch->get_options().at("FLAG"), "UNLOGGED");
    EXPECT_EQ(scratch->get_options().at("WITH_ARGUMENTS"), "fillfactor=70");
    EXPECT_EQ(scratch->get_options().at("OWNER"), "postgres");
    auto derived = named(schema->get_tables(), "derived");
    EXPECT_EQ(derived->get_options().at("INHERITS"), rich() + ".base");
    auto measure = named(schema->get_tables(), "measure");
    EXPECT_EQ(measure->get_options().at("PARTITION_KEYS"), "RANGE (at)");
    auto part = named(schema->get_tables(), "measure_2024");
    EXPECT_EQ(part->get_options().at("PARTITION"), "true");
    EXPECT_EQ(part->get_options().at("PARTITION_BOUND"),
              "FOR VALUES FROM ('2024-01-01') TO ('2025-01-01')");
}

TEST_F(PostgreSQLAdapterOnServer, RoutinesViewsAndMaterializedViews) {
    auto schema = deep_schema();
    // Routines owned by postgres are kept; the aggregate is not a function.
    ASSERT_EQ(schema->get_functions().size(), 4u);
    auto first = schema->get_functions()[0];
    EXPECT_EQ(first->get_name(), "f");
    EXPECT_EQ(first->get_parameters(),
              (Core::StringList{"IN a integer", "IN b text = 'x, y'::text", "OUT c integer"}));
    EXPECT_EQ(first->get_attributes().at("LANGUAGE"), "sql");
    auto second = schema->get_functions()[1];
    EXPECT_EQ(second->get_name(), "f");
    EXPECT_EQ(second->get_parameters(), Core::StringList{"a text"});
    EXPECT_EQ(second->get_return_type(), "text");
    EXPECT_EQ(second->get_attributes().at("RESULT DEPEND"), "IMMUTABLE");
    EXPECT_EQ(schema->get_functions()[2]->get_parameters(), Core::StringList{"VARIADIC d integer[]"});
    if (major() >= 11) {
        ASSERT_EQ(schema->get_procedures().size(), 1u);
        EXPECT_FALSE(schema->get_procedures()[0]->get_is_function());
        EXPECT_EQ(schema->get_procedures()[0]->get_parameters(), Core::StringList{"INOUT n integer"});
    }
    auto view = named(schema->get_views(), "v");
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->is_filled());
    EXPECT_EQ(view->get_attributes().at("OWNER"), "postgres");
    ASSERT_EQ(schema->get_miews().size(), 1u);
    EXPECT_EQ(schema->get_miews()[0]->get_name(), "mv");
}

TEST_F(PostgreSQLAdapterOnServer, ViewColumnsAndSignedScalesComeFromTheCatalog) {
    const std::string s = rich();
    execute(*m_super, "COMMENT ON COLUMN " + s + ".v.b IS 'second'");
    if (major() >= 15)
        execute(*m_super, "CREATE TABLE " + s + ".cut (c numeric(5,-2), d numeric(1000,999))");
    auto schema = deep_schema();
    auto view = named(schema->get_views(), "v");
    ASSERT_TRUE(view);
    ASSERT_TRUE(adapter()->fill_view_columns(*schema).has_value());
    ASSERT_EQ(view->get_columns().size(), 2u);
    const MetaColumn& b = *view->get_columns()[1];
    EXPECT_EQ(b.get_name(), "b");
    EXPECT_EQ(b.get_raw_type(), "integer");
    EXPECT_EQ(b.get_ordinal(), 2u);
    EXPECT_EQ(b.get_comment(), "second");
    EXPECT_EQ(b.get_after(), "a");
    if (major() >= 15) {
        auto cut = named(schema->get_tables(), "cut");
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->get_columns()[0]->get_scale(), -2);
        EXPECT_EQ(cut->get_columns()[1]->get_scale(), 999);
    }
}

TEST_F(PostgreSQLAdapterOnServer, DeepFillEqualsFillingEachObjectAlone) {
    auto bulk = deep_schema();
    auto single = MetaSchema::with_names(m_database.name(), k_rich);
    auto a = adapter();
    ASSERT_TRUE(a->fill_meta_schema(single, 0).has_value());
    for (const auto& table : single->get_tables()) {
        ASSERT_TRUE(a->fill_meta_table(table, 1).has_value()) << table->get_name();
    }
    for (const auto& view : single->get_views()) {
        ASSERT_TRUE(a->fill_meta_view(view).has_value());
    }
    for (const auto* list : {&single->get_functions(), &single->get_procedures()})
        for (const auto& routine : *list) {
            ASSERT_TRUE(a->fill_meta_function(routine).has_value()) << routine->get_name();
        }
    EXPECT_EQ(Dovodarud::MetaModel::to_json_text(*bulk, 1),
              Dovodarud::MetaModel::to_json_text(*single, 1));
    EXPECT_GE(bulk->get_tables().size(), 9u);
}

/// Fills a schema object by object, as a browser opening each one would.
std::shared_ptr<MetaSchema> filled_object_by_object(PostgreSQLAdapterV11x& a, const std::string& database,
                                                    const std::string& name) {
    auto single = MetaSchema::with_names(database, name);
    EXPECT_TRUE(a.fill_meta_schema(single, 0).has_value());
    for (const auto& table : single->get_tables())
        EXPECT_TRUE(a.fill_meta_table(table, 1).has_value()) << table->get_name();
    for (const auto& view : single->get_views())
        EXPECT_TRUE(a.fill_meta_view(view).has_value());
    for (const auto* list : {&single->get_functions(), &single->get_procedures()})
        for (const auto& routine : *list)
            EXPECT_TRUE(a.fill_meta_function(routine).has_value()) << routine->get_name();
    return single;
}

TEST_F(PostgreSQLAdapterOnServer, DatabaseDeepFillOfManySchemasEqualsFillingEachObjectAlone) {
    // Tenants with the same names in each schema, and one schema unlike them.
    for (const std::string tenant : {"tenant_a", "Tenant \"B\"", "tenant_c"}) {
        const std::string t = Dovodarud::Supports::Database::sql_name(tenant);
        for (const std::string& sql : std::vector<std::string>{
                 "CREATE SCHEMA " + t,
                 "CREATE TYPE " + t + ".mood AS ENUM ('sad', 'ok', '" + tenant.substr(0, 3) + "')",
                 "CREATE SEQUENCE " + t + ".invoice_no START 100",
                 "CREATE TABLE " + t + ".pair (a int, b int, note text, PRIMARY KEY (b, a))",
                 "CREATE TABLE " + t + ".child (x int CHECK (x > 0), y int, feeling " + t +
                     ".mood, FOREIGN KEY (y, x) REFERENCES " + t + ".pair (b, a), UNIQUE (y, x))",
                 "CREATE INDEX pair_note ON " + t + ".pair (note)",
                 "CREATE FUNCTION " + t + ".trig_fn() RETURNS trigger LANGUAGE plpgsql"
                 " AS $$BEGIN RETURN NEW; END$$",
                 "CREATE TRIGGER t1 BEFORE INSERT ON " + t + ".pair FOR EACH ROW EXECUTE PROCEDURE " +
                     t + ".trig_fn()",
                 "CREATE RULE r1 AS ON DELETE TO " + t + ".pair WHERE OLD.a < 0 DO INSTEAD NOTHING",
                 "CREATE VIEW " + t + ".v AS SELECT a, b FROM " + t + ".pair",
                 "CREATE MATERIALIZED VIEW " + t + ".mv AS SELECT a FROM " + t + ".pair",
                 "CREATE INDEX mv_a ON " + t + ".mv (a)",
                 "CREATE FUNCTION " + t + ".f(a int) RETURNS int LANGUAGE sql AS 'SELECT a'",
                 "COMMENT ON SCHEMA " + t + " IS 'tenant " + tenant.substr(0, 3) + "'",
                 "COMMENT ON TABLE " + t + ".pair IS 'pairs of " + tenant.substr(0, 3) + "'"})
            execute(*m_super, sql);
    }
    execute(*m_super, "ALTER TABLE tenant_c.pair ADD COLUMN only_here date");
    execute(*m_super, "DROP VIEW tenant_c.v");

    auto database = MetaDatabase::with_name(m_database.name());
    auto a = adapter();
    ASSERT_TRUE(a->fill_meta_database(database, 1).has_value());
    std::size_t compared = 0;
    for (const auto& bulk : database->get_schemas()) {
        if (bulk->get_name() != k_rich && bulk->get_name().rfind("enant") != 1)
            continue;
        const auto single = filled_object_by_object(*a, m_database.name(), bulk->get_name());
        EXPECT_EQ(Dovodarud::MetaModel::to_json_text(*bulk, 1),
                  Dovodarud::MetaModel::to_json_text(*single, 1))
            << bulk->get_name();
        ++compared;
    }
    EXPECT_EQ(compared, 4u);
    // Several chosen schemas at once give the same as the database fill.
    std::vector<std::shared_ptr<MetaSchema>> chosen = {MetaSchema::with_names(m_database.name(), "tenant_c"),
                                                       MetaSchema::with_names(m_database.name(), "tenant_a")};
    ASSERT_TRUE(a->fill_meta_schemas(chosen, 1).has_value());
    for (const auto& schema : chosen) {
        const auto single = filled_object_by_object(*a, m_database.name(), schema->get_name());
        EXPECT_EQ(Dovodarud::MetaModel::to_json_text(*schema, 1),
                  Dovodarud::MetaModel::to_json_text(*single, 1));
    }
    EXPECT_EQ(chosen[0]->get_tables().size(), 2u);
    EXPECT_EQ(chosen[0]->get_views().size(), 0u);
    EXPECT_EQ(chosen[1]->get_views().size(), 1u);
}

TEST_F(PostgreSQLAdapterOnServer, FilledObjectsAreReadAgainOnlyAfterReset) {
    auto table = MetaTable::with_names(m_database.name(), k_rich, "pair");
    auto a = adapter();
    ASSERT_TRUE(a->fill_meta_table(table, 0).has_value());
    EXPECT_EQ(table->get_columns().size(), 3u);
    EXPECT_TRUE(table->get_indexes().empty());
    // Filled without the deep flag: a deep fill does nothing until reset.
    ASSERT_TRUE(a->fill_meta_table(table, 1).has_value());
    EXPECT_TRUE(table->get_indexes().empty());
    execute(*m_super, "ALTER TABLE " + rich() + ".pair ADD COLUMN d int");
    table->reset();
    ASSERT_TRUE(a->fill_meta_table(table, 1).has_value());
    EXPECT_EQ(table->get_columns().size(), 4u);
    EXPECT_FALSE(table->get_indexes().empty());

    // Objects that are gone give an error, not a crash.
    auto view = MetaView::with_names(m_database.name(), k_rich, "no such view");
    EXPECT_FALSE(a->fill_meta_view(view).has_value());
    auto routine = MetaFunction::with_names(m_database.name(), k_rich, "nothing");
    EXPECT_FALSE(a->fill_meta_function(routine).has_value());
    auto index = MetaIndex::with_names(m_database.name(), k_rich, "pair", "no index");
    EXPECT_FALSE(a->fill_meta_index(index).has_value());
}

TEST_F(PostgreSQLAdapterOnServer, DatabaseAndSingleObjects) {
    auto database = MetaDatabase::with_name(m_database.name());
    auto a = adapter();
    ASSERT_TRUE(a->fill_meta_database(database, 0).has_value());
    EXPECT_EQ(database->get_attributes().at("ENCODING"), "UTF8");
    EXPECT_EQ(database->get_attributes().at("EXTENSION"), "plpgsql=1.0");
    const auto& schemas = database->get_schemas();
    EXPECT_TRUE(std::any_of(schemas.begin(), schemas.end(),
                            [](const auto& s) { return s->get_name() == k_rich; }));

    auto index = MetaIndex::with_names(m_database.name(), k_rich, "pair", "desc_idx");
    ASSERT_TRUE(a->fill_meta_index(index).has_value());
    EXPECT_EQ(index->get_columns(), (Core::StringList{"a DESC NULLS LAST", "b"}));
    auto trigger = MetaTrigger::with_names(m_database.name(), k_rich, "t1");
    ASSERT_TRUE(a->fill_meta_trigger(trigger).has_value());
    EXPECT_EQ(trigger->get_target(), "pair");
    EXPECT_EQ(trigger->get_kind(), "TABLE");
}

TEST_F(PostgreSQLAdapterOnServer, RolesMembershipsAndPrivileges) {
    const std::string role = ordinary_role();
    const std::string group = role + " group";
    const std::string quoted_role = Dovodarud::Supports::Database::sql_name(role);
    const std::string quoted_group = Dovodarud::Supports::Database::sql_name(group);
    m_roles.push_back(group);
    run_sql("CREATE ROLE " + quoted_group);
    run_sql("GRANT " + quoted_group + " TO " + quoted_role);
    execute(*m_super, "GRANT USAGE ON SCHEMA " + rich() + " TO " + quoted_role);
    execute(*m_super, "GRANT SELECT, INSERT ON " + rich() + ".pair TO " + quoted_role +
                          " WITH GRANT OPTION");
    auto user = MetaUser::with_names(m_database.name(), "", role, "");
    ASSERT_TRUE(adapter()->fill_meta_user(user).has_value());
    EXPECT_EQ(user->get_attributes().at("LOGIN"), "true");
    EXPECT_EQ(user->get_attributes().at("ROLES"), group + "=false");
    EXPECT_EQ(user->get_privileges().at("TABLE:" + std::string(k_rich) + ".pair"),
              "SELECT=W,INSERT=W");
    EXPECT_EQ(user->get_privileges().at("SCHEMA:" + std::string(k_rich) + ".*"), "USAGE=G");
}

TEST(PostgreSQLAdapterText, PrivilegesOfOneGranteeOnly) {
    using A = PostgreSQLAdapterV11x;
    EXPECT_EQ(A::extract_and_translate_privilege("{superbob=r/postgres,bob=arw*/postgres}", "bob"),
              "SELECT=G,INSERT=G,UPDATE=W");
    EXPECT_EQ(A::extract_and_translate_privilege("{superbob=r/postgres}", "bob"), "");
    EXPECT_EQ(A::extract_and_translate_privilege("{\"\\\"a b\\\"=U/postgres\"}", "a b"), "USAGE=G");
    EXPECT_EQ(A::extract_and_translate_privilege("{=r/postgres}", ""), "SELECT=G");
    EXPECT_EQ(A::get_full_action_name("c"), "CASCADE");
    EXPECT_EQ(A::get_full_action_name("z"), "");
    Core::StringMap map;
    const std::vector<std::string> kinds{"table", "SCHEMA"};
    A::load_privileges(map, kinds);
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at("SCHEMA"), "USAGE,CREATE");
}

} // namespace

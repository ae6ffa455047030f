// Create scripts rebuild a schema exactly: a corpus schema is made in one
// database, read into the model, scripted, applied with psql (stopping at
// the first error) to an empty database, and the two are compared through
// the server's own deparsers.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/PostgreSQLBuilder.hpp"
#include "Supports/Database/SqlText.hpp"

#include <glib.h>
#include <unistd.h>

#include "tests/support/ProviderTesting.hpp"

#include <algorithm>
#include <iterator>
#include <fstream>
#include <sstream>

using namespace Dizezida;
using namespace Dizezida::Testing;
using namespace Dizezida::Dovodarud::MetaModel;

namespace {

/// The statements of a corpus file that a server of version `major` takes.
std::vector<std::string> corpus(const std::string& file, std::uint32_t major) {
    std::ifstream in(std::string(DIZEZIDA_SOURCE_DIR) + "/tests/Supports/Database/PostgreSQL/corpus/" +
                     file);
    std::vector<std::string> statements;
    std::string line, statement;
    std::uint32_t needed = 0;
    auto flush = [&] {
        if (!statement.empty() && major >= needed)
            statements.push_back(statement);
        statement.clear();
    };
    while (std::getline(in, line)) {
        if (line == "--;") {
            flush();
        } else if (line.rfind("--@ ", 0) == 0) {
            flush();
            needed = static_cast<std::uint32_t>(std::stoul(line.substr(4)));
        } else if (line.rfind("--", 0) != 0 || !statement.empty()) {
            statement += line + "\n";
        }
    }
    flush();
    return statements;
}

/// Runs a script with psql, stopping at the first error; the error text, or "".
std::string apply_with_psql(const std::string& conninfo, const std::string& script) {
    gchar* path = nullptr;
    const int fd = g_file_open_tmp("dizezida-ddl-XXXXXX.sql", &path, nullptr);
    EXPECT_GE(fd, 0);
    close(fd);
    g_file_set_contents(path, script.data(), static_cast<gssize>(script.size()), nullptr);
    const char* argv[] = {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", conninfo.c_str(),
                          "-f", path, nullptr};
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                  nullptr, nullptr, &out, &err, &status, &error);
    std::string failure;
    if (!ran)
        failure = error->message;
    else if (!g_spawn_check_wait_status(status, nullptr))
        failure = err ? err : "psql failed";
    if (error)
        g_error_free(error);
    g_free(out);
    g_free(err);
    unlink(path);
    g_free(path);
    return failure;
}

class PostgreSQLBuilderOnServer : public CatalogServer {
protected:
    static constexpr const char* k_rich = "Rïch \"Schema\"";

    /// What the server's own deparsers say about every user object.
    std::vector<std::string> snapshot(PostgreSQLConnection& connection,
                                      const std::vector<std::string>& schemas = {k_rich}) {
        std::string names;
        for (const std::string& schema : schemas)
            names += (names.empty() ? "" : ", ") + Dovodarud::Supports::Database::sql_literal(schema);
        const std::string in_schema = "n.nspname IN (" + names + ")";
        const std::string generated = major() >= 12 ? "a.attgenerated::text" : "''";
        const std::string identity = "a.attidentity::text";
        const std::vector<std::string> queries = {
            "SELECT 'relation ' || c.relname || ' ' || c.relkind::text || c.relpersistence::text || ' ' ||"
            " COALESCE(c.reloptions::text, '') || ' ' ||"
            " COALESCE(pg_catalog.pg_get_partkeydef(c.oid), '') || ' ' ||"
            " COALESCE(pg_catalog.pg_get_expr(c.relpartbound, c.oid), '') || ' ' ||"
            " COALESCE((SELECT string_agg(p.relname, ',' ORDER BY h.inhseqno) FROM pg_inherits h"
            " JOIN pg_class p ON p.oid = h.inhparent WHERE h.inhrelid = c.oid), '') ||"
            " CASE WHEN c.relkind = 'm' THEN c.relispopulated::text ELSE '' END"
            " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE " + in_schema,
            "SELECT 'column ' || c.relname || '.' || a.attname || ' ' ||"
            " pg_catalog.format_type(a.atttypid, a.atttypmod) || ' ' || a.attnotnull || ' ' ||"
            " COALESCE(pg_catalog.pg_get_expr(ad.adbin, ad.adrelid), '') || ' ' || " + identity +
                " || " + generated + " || ' ' || COALESCE(co.collname, '') || a.attislocal"
            " FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid"
            " JOIN pg_namespace n ON n.oid = c.relnamespace"
            " LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum"
            " LEFT JOIN pg_collation co ON co.oid = a.attcollation"
            " WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r','p','v','m','c') AND " +
                in_schema,
            "SELECT 'constraint ' || COALESCE(c.relname, t.typname) || ' ' || con.conname || ' ' ||"
            " pg_catalog.pg_get_constraintdef(con.oid) || ' ' || con.conislocal"
            " FROM pg_constraint con JOIN pg_namespace n ON n.oid = con.connamespace"
            " LEFT JOIN pg_class c ON c.oid = con.conrelid LEFT JOIN pg_type t ON t.oid = con.contypid"
            " WHERE " + in_schema,
            "SELECT 'index ' || pg_catalog.pg_get_indexdef(i.indexrelid) FROM pg_index i"
            " JOIN pg_class c ON c.oid = i.indexrelid JOIN pg_namespace n ON n.oid = c.relnamespace"
            " WHERE " + in_schema,
            "SELECT 'view ' || c.relname || ' ' || pg_catalog.pg_get_viewdef(c.oid) FROM pg_class c"
            " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind IN ('v', 'm') AND " +
                in_schema,
            "SELECT 'routine ' || pg_catalog.pg_get_functiondef(p.oid) FROM pg_proc p"
            " JOIN pg_namespace n ON n.oid = p.pronamespace WHERE " + in_schema +
                (major() >= 11 ? " AND p.prokind <> 'a'" : " AND NOT p.proisagg"),
            "SELECT 'trigger ' || pg_catalog.pg_get_triggerdef(t.oid) || ' ' || t.tgenabled::text"
            " FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
            " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE NOT t.tgisinternal AND " + in_schema,
            "SELECT 'rule ' || pg_catalog.pg_get_ruledef(r.oid) || ' ' || r.ev_enabled::text"
            " FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class"
            " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE r.rulename <> '_RETURN' AND " +
                in_schema,
            "SELECT 'type ' || t.typname || ' ' || t.typtype::text || ' ' ||"
            " COALESCE(pg_catalog.format_type(t.typbasetype, t.typtypmod), '') || ' ' ||"
            " COALESCE(t.typdefault, '') || t.typnotnull || ' ' || COALESCE((SELECT string_agg("
            " e.enumlabel, ',' ORDER BY e.enumsortorder) FROM pg_enum e WHERE e.enumtypid = t.oid), '')"
            " || COALESCE((SELECT pg_catalog.format_type(r.rngsubtype, NULL) FROM pg_range r"
            " WHERE r.rngtypid = t.oid), '')"
            " FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace WHERE " + in_schema,
            "SELECT 'sequence ' || c.relname || ' ' || pg_catalog.format_type(s.seqtypid, NULL) ||"
            " ' ' || s.seqstart || ' ' || s.seqincrement || ' ' || s.seqmin || ' ' || s.seqmax ||"
            " ' ' || s.seqcache || ' ' || s.seqcycle || ' ' || COALESCE((SELECT oc.relname || '.' ||"
            " oa.attname || d.deptype::text FROM pg_depend d JOIN pg_class oc ON oc.oid = d.refobjid"
            " JOIN pg_attribute oa ON oa.attrelid = oc.oid AND oa.attnum = d.refobjsubid"
            " WHERE d.objid = c.oid AND d.classid = 'pg_class'::regclass"
            " AND d.refclassid = 'pg_class'::regclass AND d.deptype IN ('a', 'i')), '')"
            " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
            " JOIN pg_sequence s ON s.seqrelid = c.oid WHERE " + in_schema,
            "SELECT 'row security ' || c.relname || ' ' || c.relrowsecurity || c.relforcerowsecurity"
            " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
            " WHERE (c.relrowsecurity OR c.relforcerowsecurity) AND " + in_schema,
            "SELECT 'policy ' || c.relname || ' ' || p.polname || ' ' || p.polcmd::text ||"
            " p.polpermissive || ' ' || p.polroles::regrole[]::text || ' ' ||"
            " COALESCE(pg_catalog.pg_get_expr(p.polqual, p.polrelid), '') || ' ' ||"
            " COALESCE(pg_catalog.pg_get_expr(p.polwithcheck, p.polrelid), '')"
            " FROM pg_policy p JOIN pg_class c ON c.oid = p.polrelid"
            " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE " + in_schema,
            "SELECT 'comment ' || pg_catalog.pg_describe_object(d.classoid, d.objoid, d.objsubid) ||"
            " ' = ' || d.description FROM pg_description d WHERE d.objoid >= 16384",
        };
        std::vector<std::string> lines;
        for (const std::string& sql : queries)
            for (const std::string& line : query(connection, sql).first_column())
                lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    /// Creates the corpus, scripts its schemas as one script and applies it
    /// to a new database; the two must be equal.
    void round_trip(const std::string& file, const std::vector<std::string>& names = {k_rich}) {
        for (const std::string& statement : corpus(file, major()))
            execute(*m_super, statement);
        std::vector<std::shared_ptr<MetaSchema>> schemas;
        for (const std::string& name : names)
            schemas.push_back(MetaSchema::with_names(m_database.name(), name));
        const auto filled = m_super->adapter()->fill_meta_schemas(schemas, 1);
        ASSERT_TRUE(filled.has_value()) << filled.error().message;
        auto builder = std::dynamic_pointer_cast<Dovodarud::Supports::Database::PostgreSQLBuilder>(
            m_super->builder());
        ASSERT_TRUE(builder);
        const std::string script = names.size() == 1 ? builder->build_schema(schemas.front(), true)
                                                     : builder->build_schemas(schemas, true);

        ScratchDatabase target("ddl_target");
        const std::string failure = apply_with_psql(target.conninfo(), script);
        ASSERT_EQ(failure, "") << script;
        auto copy = PostgreSQLConnection::create();
        auto server = server_from_conninfo(target.conninfo());
        server->set_uuid(unique_name("ddl-target"));
        ASSERT_TRUE(copy->open(server, nullptr).has_value());
        const auto original = snapshot(*m_super, names);
        const auto rebuilt = snapshot(*copy, names);
        copy->close();
        std::vector<std::string> missing, extra;
        std::set_difference(original.begin(), original.end(), rebuilt.begin(), rebuilt.end(),
                            std::back_inserter(missing));
        std::set_difference(rebuilt.begin(), rebuilt.end(), original.begin(), original.end(),
                            std::back_inserter(extra));
        std::string differences;
        for (const std::string& line : missing)
            differences += "- " + line + "\n";
        for (const std::string& line : extra)
            differences += "+ " + line + "\n";
        EXPECT_EQ(differences, "") << script;
    }
};

TEST_F(PostgreSQLBuilderOnServer, RichSchemaRebuildsExactly) {
    round_trip("rich.sql");
}

// Two schemas that use each other's objects, scripted as one: every object
// after what it needs, whatever its kind and name.
TEST_F(PostgreSQLBuilderOnServer, DependentObjectsAcrossSchemasRebuildInDependencyOrder) {
    round_trip("dependency.sql", {"Dëp A", "dep_b"});
}

TEST_F(PostgreSQLBuilderOnServer, RulesRebuildExactlyFromTheServersOwnText) {
    round_trip("rules.sql");
    // The model's parts come from the catalog and the text's structure.
    auto schema = MetaSchema::with_names(m_database.name(), k_rich);
    ASSERT_TRUE(m_super->adapter()->fill_meta_schema(schema, 1).has_value());
    std::map<std::string, std::shared_ptr<MetaRule>> rules;
    for (const auto& table : schema->get_tables())
        for (const auto& rule : table->get_rules())
            rules[rule->get_name()] = rule;
    for (const auto& view : schema->get_views())
        for (const auto& rule : view->get_rules())
            rules[rule->get_name()] = rule;
    ASSERT_EQ(rules.size(), 11u);
    EXPECT_EQ(rules["upd"]->get_where(), "");
    EXPECT_EQ(rules["upd"]->get_action(), "ALSO");
    EXPECT_NE(rules["upd"]->get_commands().find("WHERE ro.k = old.k"), std::string::npos);
    EXPECT_NE(rules["both where"]->get_where().find("old.a IS DISTINCT FROM new.a"), std::string::npos);
    EXPECT_TRUE(rules["both where"]->get_commands().starts_with("INSERT INTO"));
    EXPECT_EQ(rules["guard"]->get_commands(), "NOTHING");
    EXPECT_EQ(rules["guard"]->get_action(), "INSTEAD");
    EXPECT_EQ(rules["guard"]->get_comment(), "keeps the 'negative' rows");
    // Literals holding DO, WHERE and parentheses do not cut the text.
    EXPECT_NE(rules["tricky"]->get_where().find("new.why <> ' DO WHERE ''x'' ('"), std::string::npos)
        << rules["tricky"]->get_where();
    EXPECT_TRUE(rules["tricky"]->get_commands().starts_with("UPDATE")) << rules["tricky"]->get_commands();
    EXPECT_NE(rules["tricky"]->get_commands().find("') DO '"), std::string::npos);
    EXPECT_FALSE(rules["tell"]->get_enable());
    EXPECT_EQ(rules["w_del"]->get_event(), "DELETE");
    EXPECT_TRUE(rules["many"]->get_definition().starts_with(
        "CREATE RULE many AS\n    ON INSERT TO \"Rïch \"\"Schema\"\"\".rt"));
}

TEST_F(PostgreSQLBuilderOnServer, TableLayoutAndEdgeCases) {
    auto builder = std::dynamic_pointer_cast<Dovodarud::Supports::Database::PostgreSQLBuilder>(
        m_super->builder());
    ASSERT_TRUE(builder);
    auto table = MetaTable::with_names("db", "s", "t");
    auto a = table->new_column("a", Zozuvoru::Contracts::DataType::TEXT);
    a->set_raw_type("varchar");
    a->set_length(0);
    a->set_default_value("EMPYT STRING");
    auto b = table->new_column("b", Zozuvoru::Contracts::DataType::NUMERIC);
    b->set_raw_type("numeric");
    b->set_length(10);
    b->set_scale(0);
    EXPECT_EQ(builder->build_table(table, true),
              "CREATE  TABLE IF NOT EXISTS \"s\".\"t\" (\n"
              "    \"a\" varchar NULL DEFAULT '',\n"
              "    \"b\" numeric NULL\n"
              ");\n\n");
    EXPECT_EQ(builder->quote_identifier("public.*", ".", "*"), "\"public\".\"*\"");
    EXPECT_EQ(builder->quote_identifier("a\"b", ".", "*"), "\"a\"\"b\"");
}

} // namespace

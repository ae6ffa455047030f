// Create scripts rebuild a schema exactly: a corpus schema is made in one
// database, read into the model, scripted, applied with psql (stopping at
// the first error) to an empty database, and the two are compared through
// the server's own deparsers.
#include "tests/Supports/Database/PostgreSQL/ScriptRebuild.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include <fstream>
#include <map>

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

class PostgreSQLBuilderOnServer : public ScriptRebuild {
protected:
    static constexpr const char* k_rich = "Rïch \"Schema\"";

    /// Creates the corpus, scripts its schemas as one script and applies it
    /// to a new database; the two must be equal.
    void round_trip(const std::string& file, const std::vector<std::string>& names = {k_rich}) {
        for (const std::string& statement : corpus(file, major()))
            execute(*m_super, statement);
        const Rebuilt rebuilt = rebuild(names);
        ASSERT_EQ(rebuilt.error, "") << rebuilt.script;
        EXPECT_EQ(rebuilt.differences, "") << rebuilt.script;
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

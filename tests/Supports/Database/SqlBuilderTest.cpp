// The generic SQL builder: its empty defaults, its quoting, and the ordering
// of a schema's tables by dependence, checked case by case, over many random
// schemas, and by creating the tables on the server in the order it gives.
#include "Supports/Database/SqlBuilder.hpp"

#include "Contracts/Database/SqlAction.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/ConnectionImpl.hpp"
#include "provider/Contracts/DataSetModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include "tests/support/PlatformLog.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;
using Dovodarud::Supports::Database::SqlBuilder;

namespace {

using Names = std::vector<std::string>;

class SqlBuilderTest : public ::testing::Test {
protected:
    std::shared_ptr<Dovodarud::Contracts::Database::IConnection> m_connection =
        std::make_shared<Dovodarud::Supports::Database::ConnectionImpl>();
    std::shared_ptr<SqlBuilder> m_builder = SqlBuilder::create(m_connection);
};

TEST_F(SqlBuilderTest, RefersToItsConnectionWithoutOwningIt) {
    EXPECT_EQ(m_builder->get_connection(), m_connection);
    m_connection.reset();
    EXPECT_EQ(m_builder->get_connection(), nullptr);

    Testing::PlatformLogCapture log;
    EXPECT_EQ(SqlBuilder::create(nullptr), nullptr);
    EXPECT_TRUE(log.contains("conn != NULL"));
}

TEST_F(SqlBuilderTest, EveryOperationDefaultsToEmptyAndNamesAMissingArgument) {
    const auto table = std::make_shared<MetaTable>();
    const auto function = std::make_shared<MetaFunction>();
    const auto database = std::make_shared<MetaDatabase>();
    const auto schema = std::make_shared<MetaSchema>();
    const auto view = std::make_shared<MetaView>();
    const auto event = std::make_shared<MetaEvent>();
    const auto dataset = Zozuvoru::Contracts::DataSetModel::create();
    const auto model = Zozuvoru::Contracts::TableModel::create();
    const SqlBuilder& b = *m_builder;
    using Action = Dovodarud::Contracts::Database::SqlAction;
    // Each operation with its arguments present, and with the named one missing.
#define CALLS(name, present, missing)                                                              \
    {                                                                                              \
        name, [&] { return b.present; }, [&] { return b.missing; }                                 \
    }
    using Call = std::function<std::string()>;
    const std::vector<std::tuple<const char*, Call, Call>> cases{
        CALLS("meta_object", build_create(table, true), build_create(nullptr, false)),
        CALLS("meta_object", build_delete(table), build_delete(nullptr)),
        CALLS("meta_object", build_patch(table), build_patch(nullptr)),
        CALLS("table", build_normal(table, Action::INSERT), build_normal(nullptr, Action::DELETE)),
        CALLS("function", build_caller(function), build_caller(nullptr)),
        CALLS("database_old", alter_database(database, database),
              alter_database(nullptr, database)),
        CALLS("database_new", alter_database(database, database),
              alter_database(database, nullptr)),
        CALLS("database", create_database(database, 1), create_database(nullptr, 0)),
        CALLS("schema_old", alter_schema(schema, schema), alter_schema(nullptr, schema)),
        CALLS("schema_new", alter_schema(schema, schema), alter_schema(schema, nullptr)),
        CALLS("schema", build_schema(schema, true), build_schema(nullptr, true)),
        CALLS("table", build_table(table, false), build_table(nullptr, false)),
        CALLS("view", build_view(view), build_view(nullptr)),
        CALLS("index", build_index(std::make_shared<MetaIndex>()), build_index(nullptr)),
        CALLS("trigger", build_trigger(std::make_shared<MetaTrigger>()), build_trigger(nullptr)),
        CALLS("function", build_function(function), build_function(nullptr)),
        CALLS("user", build_user(std::make_shared<MetaUser>()), build_user(nullptr)),
        CALLS("role", build_role(std::make_shared<MetaRole>()), build_role(nullptr)),
        CALLS("dataset", build_script(dataset), build_script(nullptr)),
        CALLS("event", build_event(event), build_event(nullptr)),
        CALLS("event", patch_event(event), patch_event(nullptr)),
        CALLS("func", patch_function(function), patch_function(nullptr)),
        CALLS("database", patch_script(database), patch_script(nullptr)),
        CALLS("table", patch_table(table), patch_table(nullptr)),
        CALLS("view", patch_view(view), patch_view(nullptr)),
        CALLS("model", patch_data_table(model), patch_data_table(nullptr)),
    };
#undef CALLS
    for (const auto& [name, present, missing] : cases) {
        const std::string expected = std::string(name) + " != NULL";
        {
            Testing::PlatformLogCapture log;
            EXPECT_EQ(present(), "") << name;
            EXPECT_TRUE(log.messages().empty()) << name;
        }
        Testing::PlatformLogCapture log;
        EXPECT_EQ(missing(), "") << name;
        EXPECT_TRUE(log.contains(expected)) << expected;
    }
    Testing::PlatformLogCapture log;
    b.order_with_dependence(nullptr, 0);
    EXPECT_TRUE(log.contains("schema != NULL"));
}

TEST_F(SqlBuilderTest, QuoteIdentifierInBackticksPieceByPiece) {
    const std::vector<std::tuple<const char*, const char*, const char*, const char*>> cases{
        {"orders", ".", "*", "`orders`"},
        {"public.*", ".", "*", "`public`.*"},
        {"public.orders", ".", "*", "`public`.`orders`"},
        {"a..b", ".", "*", "`a`.*.`b`"},
        {"a.", ".", "*", "`a`.*"},
        {".", ".", "*", "*.*"},
        {"*", ".", "*", "`*`"}, // no separator: one name, whatever it holds
        {"db::sch::t", "::", "?", "`db`::`sch`::`t`"},
        {"a.b", "", "*", "`a.b`"}, // an empty separator splits nothing
        {"we`ird.x", ".", "*", "`we``ird`.`x`"},
        {"", ".", "*", "``"},
    };
    for (const auto& [identifier, separator, replacement, expected] : cases) {
        EXPECT_EQ(m_builder->quote_identifier(identifier, separator, replacement), expected)
            << identifier;
    }
}

// ---- Ordering by dependence ----

/// A table: foreign keys to `refers` ("t", or "schema:t" with a refer-schema)
/// and, when given, the "INHERITS" option as written.
struct TableShape {
    std::string name;
    Names refers = {};
    std::string inherits = {};
};

std::shared_ptr<MetaTable> make_table(const std::string& schema, const TableShape& shape) {
    auto table = MetaTable::with_names("db", schema, shape.name);
    for (const std::string& refer : shape.refers) {
        const std::size_t colon = refer.find(':');
        const std::string refer_schema = colon == std::string::npos ? "" : refer.substr(0, colon);
        const std::string refer_table =
            colon == std::string::npos ? refer : refer.substr(colon + 1);
        table->get_constraints().push_back(
            MetaForeignKey::with_refer("fk_" + refer_table, refer_schema, refer_table));
    }
    if (!shape.inherits.empty())
        table->get_options()["INHERITS"] = shape.inherits;
    return table;
}

Names names_of(const MetaSchema& schema) {
    Names names;
    for (const auto& table : schema.get_tables())
        names.push_back(table->get_name());
    return names;
}

class OrderWithDependence : public SqlBuilderTest {
protected:
    Names order(const std::vector<TableShape>& shapes, std::size_t start = 0) {
        auto schema = MetaSchema::with_names("db", "public");
        for (const TableShape& shape : shapes)
            schema->get_tables().push_back(make_table("public", shape));
        m_builder->order_with_dependence(schema, start);
        return names_of(*schema);
    }
};

TEST_F(OrderWithDependence, ReferencedTablesComeFirstWhereverTheyStand) {
    EXPECT_EQ(order({}), Names{});
    EXPECT_EQ(order({{"t", {"u"}}}), Names{"t"});
    EXPECT_EQ(order({{"orders", {"customers"}}, {"customers", {}}}),
              (Names{"customers", "orders"}));
    // A chain that does not involve the first table is ordered too.
    EXPECT_EQ(order({{"audit", {}}, {"orders", {"customers"}}, {"customers", {}}}),
              (Names{"audit", "customers", "orders"}));
    EXPECT_EQ(order({{"a", {"b"}}, {"b", {"c"}}, {"c", {}}, {"d", {"a", "c"}}}),
              (Names{"c", "b", "a", "d"}));
    // A list already in dependency order keeps its order exactly.
    EXPECT_EQ(order({{"z", {}}, {"y", {"z"}}, {"m", {}}, {"x", {"y", "m"}}, {"a", {"z"}}}),
              (Names{"z", "y", "m", "x", "a"}));
}

TEST_F(OrderWithDependence, TablesBeforeStartStayWhereTheyAre) {
    const std::vector<TableShape> shapes{
        {"audit", {"orders"}}, {"orders", {"customers"}}, {"customers", {}}};
    EXPECT_EQ(order(shapes, 1), (Names{"audit", "customers", "orders"}));
    EXPECT_EQ(order(shapes, 2), (Names{"audit", "orders", "customers"}));
    EXPECT_EQ(order(shapes, 99), (Names{"audit", "orders", "customers"}));
    EXPECT_EQ(order(shapes, 0), (Names{"customers", "orders", "audit"}));
}

TEST_F(OrderWithDependence, CyclesEndInAStableOrder) {
    EXPECT_EQ(order({{"a", {"b"}}, {"b", {"a"}}}), (Names{"a", "b"}));
    EXPECT_EQ(order({{"b", {"a"}}, {"a", {"b"}}}), (Names{"b", "a"}));
    // The members stand together, after what the cycle needs and before
    // what needs the cycle.
    EXPECT_EQ(order({{"x", {"a"}}, {"a", {"b"}}, {"b", {"a", "c"}}, {"c", {}}}),
              (Names{"c", "a", "b", "x"}));
    // A ring of three is broken at its first member; the rest follows its keys.
    EXPECT_EQ(order({{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}}), (Names{"a", "c", "b"}));
    // A table referring to itself needs nothing else.
    EXPECT_EQ(order({{"staff", {"staff", "units"}}, {"units", {}}}), (Names{"units", "staff"}));
    EXPECT_EQ(order({{"t", {"t"}}, {"u", {}}}), (Names{"t", "u"}));
}

TEST_F(OrderWithDependence, LongChainsAndRingsNeedNoDeepRecursion) {
    const std::size_t n = 50000;
    std::vector<TableShape> chain(n);
    for (std::size_t i = 0; i < n; ++i) {
        chain[i].name = "t" + std::to_string(i);
        if (i + 1 < n)
            chain[i].refers = {"t" + std::to_string(i + 1)};
    }
    Names reversed;
    for (std::size_t i = n; i-- > 0;)
        reversed.push_back(chain[i].name);
    EXPECT_EQ(order(chain), reversed);
    // Closed into one ring, it is broken at its first table.
    chain.back().refers = {"t0"};
    reversed.pop_back();
    reversed.insert(reversed.begin(), "t0");
    EXPECT_EQ(order(chain), reversed);
}

TEST_F(OrderWithDependence, InheritanceAndPartitionParentsComeFirst) {
    EXPECT_EQ(order({{"child", {}, "public.parent"}, {"parent", {}}}), (Names{"parent", "child"}));
    EXPECT_EQ(order({{"m_2024", {}, "public.measures"},
                     {"m_2023", {}, "public.measures"},
                     {"measures", {}, "public.base"},
                     {"base", {}}}),
              (Names{"base", "measures", "m_2024", "m_2023"}));
    // Quoted parts as the server quotes them, several parents, another schema.
    EXPECT_EQ(order({{"kid", {}, R"(public."Odd, ""one"".x", other.base, public.plain)"},
                     {"base", {}},
                     {"plain", {}},
                     {"Odd, \"one\".x", {}}}),
              (Names{"base", "plain", "Odd, \"one\".x", "kid"}));
}

TEST_F(OrderWithDependence, OnlyTablesOfThisSchemaCount) {
    EXPECT_EQ(order({{"orders", {"sales:customers"}}, {"customers", {}}}),
              (Names{"orders", "customers"}));
    EXPECT_EQ(order({{"orders", {"public:customers"}}, {"customers", {}}}),
              (Names{"customers", "orders"}));
    EXPECT_EQ(order({{"child", {}, "sales.parent"}, {"parent", {}}}), (Names{"child", "parent"}));
    EXPECT_EQ(order({{"orders", {"Customers"}}, {"customers", {}}}),
              (Names{"orders", "customers"}));
}

using Matrix = std::vector<std::vector<bool>>;

/// Whether table i has a key to table j of schema "public" (not itself).
Matrix direct_needs(const std::vector<TableShape>& shapes) {
    const std::size_t n = shapes.size();
    Matrix needs(n, std::vector<bool>(n, false));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            for (const std::string& refer : shapes[i].refers)
                if (i != j && (refer == shapes[j].name || refer == "public:" + shapes[j].name))
                    needs[i][j] = true;
    return needs;
}

/// Whether table i needs table j directly or through others (Warshall's
/// closure, independent of the builder's own graph code), among the tables
/// from `open` on (those before count as created).
Matrix reachability(const std::vector<TableShape>& shapes, std::size_t open = 0) {
    const std::size_t n = shapes.size();
    Matrix reach = direct_needs(shapes);
    for (std::size_t k = open; k < n; ++k)
        for (std::size_t i = open; i < n; ++i)
            for (std::size_t j = open; j < n; ++j)
                if (reach[i][k] && reach[k][j])
                    reach[i][j] = true;
    return reach;
}

TEST_F(OrderWithDependence, RandomSchemasArePermutedSoKeysPointBackwards) {
    std::mt19937 random(20240229);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = below(24);
        std::vector<TableShape> shapes(n);
        for (std::size_t i = 0; i < n; ++i)
            shapes[i].name = "t" + std::to_string(i);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t k = below(4); k > 0; --k) {
                const std::string& target = shapes[below(n)].name; // self-references too
                const char* prefixes[] = {"", "public:", "other:"};
                shapes[i].refers.push_back(prefixes[below(3)] + target);
            }
            shapes[i].refers.push_back("missing");
        }
        const std::size_t start = below(4) == 0 ? below(n + 1) : 0;

        auto schema = MetaSchema::with_names("db", "public");
        for (const TableShape& shape : shapes)
            schema->get_tables().push_back(make_table("public", shape));
        const auto before = schema->get_tables();
        m_builder->order_with_dependence(schema, start);
        const auto after = schema->get_tables();

        auto sorted_before = before, sorted_after = after;
        std::ranges::sort(sorted_before);
        std::ranges::sort(sorted_after);
        ASSERT_EQ(sorted_before, sorted_after) << "not a permutation, round " << round;
        ASSERT_TRUE(std::equal(before.begin(), before.begin() + std::min(start, n), after.begin()))
            << "moved a table before start, round " << round;

        const auto needs = direct_needs(shapes);
        const auto reach = reachability(shapes, start);
        std::vector<std::size_t> origin(n), position(n);
        for (std::size_t p = 0; p < n; ++p) {
            origin[p] = std::stoul(after[p]->get_name().substr(1));
            position[origin[p]] = p;
        }
        const auto cyclic = [&](std::size_t i, std::size_t j) {
            return reach[i][j] && reach[j][i];
        };
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                if (position[i] < start || position[j] < start)
                    continue;
                if (needs[i][j] && !cyclic(i, j)) {
                    ASSERT_LT(position[j], position[i])
                        << shapes[i].name << " -> " << shapes[j].name << ", round " << round;
                }
            }
        // The members of a cycle stand together.
        for (std::size_t p = start; p < n; ++p)
            for (std::size_t q = p + 2; q < n; ++q)
                if (cyclic(origin[p], origin[q])) {
                    for (std::size_t m = p + 1; m < q; ++m) {
                        ASSERT_TRUE(cyclic(origin[p], origin[m])) << "round " << round;
                    }
                }

        // Ordering an ordered list changes nothing.
        m_builder->order_with_dependence(schema, start);
        ASSERT_EQ(schema->get_tables(), after) << "not stable, round " << round;
    }
}

// ---- On the server: the order is one in which the tables can be created ----

std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (const char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

TEST_F(OrderWithDependence, TablesCreatedInTheGivenOrderAllSucceed) {
    const std::string schema_name = "Shop \"x\"";
    const std::string s = quoted(schema_name);
    std::mt19937 random(7);
    std::vector<TableShape> shapes;
    // Tables in a hidden creatable order, each referring to a few earlier ones.
    for (int i = 0; i < 24; ++i) {
        TableShape shape{
            i % 5 == 0 ? "T, " + std::to_string(i) + ".x" : "t" + std::to_string(i), {}, {}};
        for (int k = 0; i > 0 && k < 3; ++k)
            if (random() % 2)
                shape.refers.push_back(shapes[random() % shapes.size()].name);
        if (i % 7 == 3)
            shape.refers.push_back(shape.name);
        shapes.push_back(shape);
    }
    // Keys that close cycles (two tables, a ring of three): the script adds
    // those that point forward once the tables exist.
    shapes[2].refers.push_back(shapes[11].name);
    shapes[11].refers.push_back(shapes[2].name);
    shapes[5].refers.push_back(shapes[13].name);
    shapes[13].refers.push_back(shapes[20].name);
    shapes[20].refers.push_back(shapes[5].name);
    // An inheritance parent with a child, and a partitioned table with partitions.
    shapes.push_back({"heir", {shapes[1].name}, quoted(schema_name) + "." + quoted("base \"b\"")});
    shapes.push_back({"base \"b\"", {}, {}});
    shapes.push_back({"part_1", {}, s + ".\"Measures\""});
    shapes.push_back({"Measures", {}, {}});
    shapes.push_back({"part_2", {}, s + ".\"Measures\""});
    std::shuffle(shapes.begin(), shapes.end(), random);

    auto schema = MetaSchema::with_names("db", schema_name);
    for (const TableShape& shape : shapes)
        schema->get_tables().push_back(make_table(schema_name, shape));
    m_builder->order_with_dependence(schema, 0);

    const Matrix reach = reachability(shapes);
    const auto index_of = [&](const std::string& name) {
        return static_cast<std::size_t>(std::ranges::find(shapes, name, &TableShape::name) -
                                        shapes.begin());
    };
    std::string script = "CREATE SCHEMA " + s + ";\n", later;
    std::vector<std::string> created;
    for (const auto& table : schema->get_tables()) {
        const std::string& name = table->get_name();
        const std::string target = s + "." + quoted(name);
        if (name.starts_with("part_")) {
            script += "CREATE TABLE " + target + " PARTITION OF " + s + ".\"Measures\"" +
                      " FOR VALUES IN (" + name.substr(5) + ");\n";
        } else if (name == "Measures") {
            script += "CREATE TABLE " + target + " (id integer) PARTITION BY LIST (id);\n";
        } else {
            std::string columns = "id integer PRIMARY KEY";
            int number = 0;
            for (const auto& constraint : table->get_constraints()) {
                const auto& key = dynamic_cast<const MetaForeignKey&>(*constraint);
                const std::string column = quoted("ref " + std::to_string(number++));
                const std::string clause = "FOREIGN KEY (" + column + ") REFERENCES " + s + "." +
                                           quoted(key.get_refer_table()) + " (id)";
                columns += ", " + column + " integer";
                if (key.get_refer_table() == name ||
                    std::ranges::count(created, key.get_refer_table()))
                    columns += ", " + clause;
                else {
                    // Only a key inside a cycle may point forward.
                    EXPECT_TRUE(reach[index_of(key.get_refer_table())][index_of(name)])
                        << name << " -> " << key.get_refer_table();
                    later += "ALTER TABLE " + target + " ADD " + clause + ";\n";
                }
            }
            script += "CREATE TABLE " + target + " (" + columns + ")";
            if (table->get_options().contains("INHERITS"))
                script += " INHERITS (" + table->get_options().at("INHERITS") + ")";
            script += ";\n";
        }
        created.push_back(name);
    }
    EXPECT_GE(std::ranges::count(later, '\n'), 2) << later;

    Testing::ScratchDatabase database("sql_builder");
    Testing::run_sql_on(database.conninfo(), script + later);
    EXPECT_EQ(Testing::run_sql_on(database.conninfo(),
                                  "SELECT count(*) FROM pg_catalog.pg_class c JOIN "
                                  "pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                  "WHERE n.nspname = '" +
                                      schema_name + "' AND c.relkind IN ('r', 'p')"),
              std::to_string(shapes.size()));
}

} // namespace

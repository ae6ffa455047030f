// The order of tables along their foreign keys, on graphs made in memory.
#include "Transform/ForeignKeyOrder.hpp"

#include <gtest/gtest.h>

namespace {

using namespace Dizezida::Dovodarud::Transform;

ForeignKeyLink key(const std::string& child, const std::string& parent, bool deferrable = false) {
    return {{"s", child}, {"s", parent}, child + "_" + parent, deferrable};
}

std::vector<TableName> names(std::initializer_list<const char*> tables) {
    std::vector<TableName> list;
    for (const char* table : tables)
        list.push_back({"s", table});
    return list;
}

/// The groups as text: "a b | c" (tables of a group together, groups by "|"),
/// a cycle's group in brackets.
std::string shape(const std::vector<TableGroup>& groups) {
    std::string text;
    for (const TableGroup& group : groups) {
        text += text.empty() ? "" : " | ";
        std::string tables;
        for (const TableName& name : group.tables)
            tables += (tables.empty() ? "" : " ") + name.table;
        text += group.cycle ? "[" + tables + "]" : tables;
    }
    return text;
}

TEST(ForeignKeyOrder, ChainGoesParentsFirstOrChildrenFirstAndTiesByName) {
    // d -> c -> b -> a, and x, m free of keys; given in no particular order.
    const auto tables = names({"x", "c", "a", "m", "d", "b"});
    const std::vector<ForeignKeyLink> keys{key("d", "c"), key("c", "b"), key("b", "a")};
    EXPECT_EQ(shape(order_by_foreign_keys(tables, keys, KeyOrder::parents_first)),
              "a | b | c | d | m | x");
    EXPECT_EQ(shape(order_by_foreign_keys(tables, keys, KeyOrder::children_first)),
              "d | c | b | a | m | x");
    // A table that sorts first but refers to a later one waits for it.
    const std::vector<ForeignKeyLink> back{key("a", "z")};
    EXPECT_EQ(shape(order_by_foreign_keys(names({"z", "a", "b"}), back, KeyOrder::parents_first)),
              "b | z | a");
    EXPECT_EQ(shape(order_by_foreign_keys(names({"z", "a", "b"}), back, KeyOrder::children_first)),
              "a | b | z");
}

TEST(ForeignKeyOrder, DiamondAndKeysToOtherTablesAndSchemas) {
    // e refers to c and b, both refer to a; several keys between one pair count once.
    const std::vector<ForeignKeyLink> keys{key("e", "c"),
                                           key("e", "b"),
                                           key("c", "a"),
                                           key("b", "a"),
                                           key("b", "a"),
                                           key("a", "outside"),
                                           {{"t", "a"}, {"s", "e"}, "other_schema", false}};
    EXPECT_EQ(shape(order_by_foreign_keys(names({"e", "c", "b", "a", "a"}), keys,
                                          KeyOrder::parents_first)),
              "a | b | c | e");
    // The same name in another schema is another table.
    auto tables = names({"e", "a"});
    tables.push_back({"t", "a"});
    const auto groups = order_by_foreign_keys(tables, keys, KeyOrder::parents_first);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups.back().tables.front(), (TableName{"t", "a"}));
}

TEST(ForeignKeyOrder, CyclesAreOneGroupWithTheirPath) {
    // b -> c -> d -> b is a cycle; a is its parent, e its child, f refers to itself.
    const std::vector<ForeignKeyLink> keys{
        key("b", "c", true), key("c", "d", true), key("d", "b", true), key("b", "a"),
        key("e", "d"),       key("f", "f", true), key("d", "c", true)};
    const auto groups =
        order_by_foreign_keys(names({"f", "e", "d", "c", "b", "a"}), keys, KeyOrder::parents_first);
    EXPECT_EQ(shape(groups), "a | [b c d] | e | [f]");
    const TableGroup& cycle = groups[1];
    EXPECT_TRUE(cycle.deferrable);
    EXPECT_EQ(cycle_text(cycle), R"("s"."b" -> "s"."c" -> "s"."d" -> "s"."b")");
    EXPECT_EQ(cycle_text(groups[3]), R"("s"."f" -> "s"."f")");
    EXPECT_TRUE(groups[3].deferrable);
    EXPECT_FALSE(groups[0].cycle);
    EXPECT_TRUE(groups[0].path.empty());
    EXPECT_EQ(shape(order_by_foreign_keys(names({"f", "e", "d", "c", "b", "a"}), keys,
                                          KeyOrder::children_first)),
              "e | [b c d] | a | [f]");

    // One key of the cycle that cannot be deferred makes the whole cycle so;
    // a key into the cycle from outside does not.
    auto fixed = keys;
    fixed.push_back(key("c", "b", false));
    fixed.push_back(key("e", "b", false));
    const auto again =
        order_by_foreign_keys(names({"a", "b", "c", "d", "e"}), fixed, KeyOrder::parents_first);
    EXPECT_EQ(shape(again), "a | [b c d] | e");
    EXPECT_FALSE(again[1].deferrable);
    // The shortest way back to the first table.
    EXPECT_EQ(cycle_text(again[1]), R"("s"."b" -> "s"."c" -> "s"."b")");
}

TEST(ForeignKeyOrder, TwoCyclesAndALongChainKeepTheirOrder) {
    // Two separate cycles, the second referring to the first.
    const std::vector<ForeignKeyLink> keys{key("y", "z"), key("z", "y"), key("p", "q"),
                                           key("q", "p"), key("p", "y")};
    EXPECT_EQ(
        shape(order_by_foreign_keys(names({"p", "q", "y", "z"}), keys, KeyOrder::parents_first)),
        "[y z] | [p q]");
    // Ten thousand tables in one chain need no deep recursion.
    std::vector<TableName> chain;
    std::vector<ForeignKeyLink> links;
    for (int i = 0; i < 10000; ++i) {
        chain.push_back({"s", "t" + std::to_string(100000 + i)});
        if (i != 0)
            links.push_back({chain[i], chain[i - 1], "k", false});
    }
    const auto ordered = order_by_foreign_keys(chain, links, KeyOrder::children_first);
    ASSERT_EQ(ordered.size(), chain.size());
    EXPECT_EQ(ordered.front().tables.front(), chain.back());
    EXPECT_EQ(ordered.back().tables.front(), chain.front());
}

} // namespace

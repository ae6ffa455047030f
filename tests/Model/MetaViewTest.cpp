// Deriving a view's result columns from its definition.
#include "Model/Materialized.hpp"
#include "Model/MetaView.hpp"

#include <gtest/gtest.h>

#include <thread>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // name, raw type

Pairs columns_of(const MetaView& view) {
    Pairs pairs;
    for (const auto& column : view.get_columns())
        pairs.emplace_back(column->get_name(), column->get_raw_type());
    return pairs;
}

Pairs derive(const std::string& definition) {
    MetaView view;
    view.set_definition(definition);
    return columns_of(view);
}

} // namespace

TEST(MetaView, DerivesColumnsFromTheSelectList) {
    // The last element of the list counts as much as the others.
    EXPECT_EQ(derive("select t.a, t.b from t"), (Pairs{{"t.a", "t.a"}, {"t.b", "t.b"}}));
    EXPECT_EQ(derive("select a.id as key, b from t"), (Pairs{{"key", "a.id"}, {"b", "b"}}));
    EXPECT_EQ(derive("SELECT Orders.Id AS \"Key\", [Name], `x` AS y FROM orders"),
              (Pairs{{"Key", "Orders.Id"}, {"Name", "[Name]"}, {"y", "`x`"}}));
    // The layout the server prints view definitions in.
    EXPECT_EQ(derive(" SELECT t.id,\n    t.name AS label,\n    total\n   FROM t\n  WHERE t.id > 0;"),
              (Pairs{{"t.id", "t.id"}, {"label", "t.name"}, {"total", "total"}}));
    EXPECT_EQ(derive("select t.*, * from t"), (Pairs{{"t.*", "t.*"}, {"*", "*"}}));
}

TEST(MetaView, TextsWithoutAListLeaveTheColumnsAsTheyWere) {
    MetaView view;
    view.set_definition("select a, b from t");
    const Pairs before = columns_of(view);
    ASSERT_EQ(before.size(), 2u);
    for (const char* text : {"", "values (1), (2)", "select a, b", "select (1) from t",
                             "select count(*) from t"}) {
        view.set_definition(text);
        EXPECT_EQ(columns_of(view), before) << text;
    }
}

TEST(MetaView, DefinitionNotifiesOnceAndOnlyOnChange) {
    auto view = Materialized::with_names("db", "s", "m");
    int changes = 0;
    view->connect_notify([&](Core::Object&, std::string_view name) {
        EXPECT_EQ(name, "definition");
        ++changes;
    });
    view->set_definition("select a, b from t");
    view->get_columns().pop_back(); // a transfer may reshape the list
    view->set_definition("select a, b from t");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(view->get_columns().size(), 1u);
    EXPECT_TRUE(view->set_property("definition", Core::Value("select c, d from t")));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(view->get_columns().size(), 2u);
    EXPECT_FALSE(view->set_property("columns", Core::Value(Core::ObjectList{})));
}

TEST(MetaView, SurvivesTextsThatAreNotUtf8) {
    // Bytes that are not UTF-8 never match: the list is not recognised.
    EXPECT_EQ(derive("select \xff\xfe, a, b from t"), Pairs{});
    EXPECT_EQ(derive("select caf\xc3\xa9, b from t"), (Pairs{{"caf\xc3\xa9", "caf\xc3\xa9"}, {"b", "b"}}));
}

TEST(MetaView, FirstUseFromManyThreads) {
    std::vector<std::thread> threads;
    std::vector<std::size_t> counts(8);
    for (std::size_t i = 0; i < counts.size(); ++i)
        threads.emplace_back([&counts, i] {
            MetaView view;
            view.set_definition("select a.x as y, b, c from t");
            counts[i] = view.get_columns().size();
        });
    for (auto& thread : threads)
        thread.join();
    for (const std::size_t count : counts)
        EXPECT_EQ(count, 3u);
}

// Tables, their columns, indexes and constraints; routines' parameters.
#include "tests/Model/ModelSupport.hpp"

#include "Model/MetaModel.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;
using Testing::names_of;
using Names = std::vector<std::string>;

namespace {

std::shared_ptr<MetaTable> constrained_table() {
    auto table = MetaTable::with_names("db", "s", "t");
    table->set_constraints({
        PrimaryKey::with_name("pk"),
        MetaUnique::with_name("u1"),
        MetaCheck::with_name("c1", "a > 0"),
        MetaForeignKey::with_refer("f1", "s", "other"),
        MetaExclude::with_name("x1"),
        MetaUnique::with_name("u2"),
        MetaCheck::with_name("c2", "b > 0"),
        MetaForeignKey::with_name("f2"),
        MetaExclude::with_name("x2"),
        MetaConstraint::with_names("k"),
    });
    table->new_column("a", DataType::INTEGER);
    table->new_column("b", DataType::TEXT);
    return table;
}

} // namespace

TEST(MetaTable, NewColumnIsFoundByNameAndOnlyTheFirstOfAName) {
    auto table = MetaTable::with_names("db", "s", "t");
    auto id = table->new_column("id", DataType::BIGINT);
    EXPECT_EQ(id->get_data_type(), DataType::BIGINT);
    EXPECT_EQ(id->get_raw_type(), "");
    EXPECT_EQ(table->get_column("id"), id);
    auto twin = table->new_column("id", DataType::TEXT);
    EXPECT_EQ(table->get_column("id"), id);
    EXPECT_NE(twin, id);
    EXPECT_EQ(table->get_columns().size(), 2u);
    EXPECT_EQ(table->get_column("ID"), nullptr);
    EXPECT_EQ(table->get_column("missing"), nullptr);
}

TEST(MetaTable, ResetPartialRemovesOneKindAndKeepsOrder) {
    const std::vector<std::pair<DbObject, Names>> cases = {
        {DbObject::CHECK, {"pk", "u1", "f1", "x1", "u2", "f2", "x2", "k"}},
        {DbObject::EXCLUDE, {"pk", "u1", "c1", "f1", "u2", "c2", "f2", "k"}},
        {DbObject::FOREIGN_KEY, {"pk", "u1", "c1", "x1", "u2", "c2", "x2", "k"}},
        {DbObject::UNIQUE, {"pk", "c1", "f1", "x1", "c2", "f2", "x2", "k"}},
    };
    const Names all = {"pk", "u1", "c1", "f1", "x1", "u2", "c2", "f2", "x2", "k"};
    for (const auto& [kind, expected] : cases) {
        auto table = constrained_table();
        table->reset_partial(kind);
        EXPECT_EQ(names_of(table->get_constraints()), expected) << static_cast<int>(kind);
        EXPECT_EQ(table->get_columns().size(), 2u);
    }
    auto table = constrained_table();
    table->reset_partial(DbObject::COLUMN);
    EXPECT_TRUE(table->get_columns().empty());
    EXPECT_EQ(names_of(table->get_constraints()), all);
    for (const DbObject kind : {DbObject::INDEX, DbObject::PRIMARY_KEY, DbObject::CONSTRAINT}) {
        auto untouched = constrained_table();
        untouched->reset_partial(kind);
        EXPECT_EQ(names_of(untouched->get_constraints()), all);
        EXPECT_EQ(untouched->get_columns().size(), 2u);
    }
}

TEST(MetaTable, ResetEmptiesEveryCollection) {
    auto table = Testing::sample_table(1);
    table->set_filled(true);
    table->reset();
    EXPECT_TRUE(table->get_columns().empty());
    EXPECT_TRUE(table->get_constraints().empty());
    EXPECT_TRUE(table->get_indexes().empty());
    EXPECT_TRUE(table->get_rules().empty());
    EXPECT_TRUE(table->get_triggers().empty());
    EXPECT_TRUE(table->get_options().empty());
    EXPECT_TRUE(table->get_attributes().empty());
    EXPECT_FALSE(table->is_filled());
    EXPECT_EQ(table->get_name(), "t1");
}

TEST(MetaTable, CloneIsDeepAndIndependent) {
    auto table = Testing::sample_table(1);
    auto copy = table->clone_as<MetaTable>();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(Testing::same_model(*table, *copy));
    // Every element is a clone of its own class, never the source's object.
    for (std::size_t i = 0; i < table->get_constraints().size(); ++i) {
        EXPECT_NE(copy->get_constraints()[i], table->get_constraints()[i]);
        EXPECT_EQ(&copy->get_constraints()[i]->type(), &table->get_constraints()[i]->type());
    }
    EXPECT_NE(copy->get_columns()[0], table->get_columns()[0]);
    EXPECT_NE(copy->get_indexes()[0], table->get_indexes()[0]);
    EXPECT_NE(copy->get_rules()[0], table->get_rules()[0]);
    EXPECT_NE(copy->get_triggers()[0], table->get_triggers()[0]);

    const std::size_t columns = table->get_columns().size();
    copy->new_column("extra", DataType::TEXT);
    copy->get_columns()[0]->set_name("renamed");
    copy->get_constraints().pop_back();
    copy->get_indexes()[0]->append("extra");
    copy->get_options()["fillfactor"] = "50";
    copy->get_attributes().clear();
    EXPECT_EQ(table->get_columns().size(), columns);
    EXPECT_NE(table->get_columns()[0]->get_name(), "renamed");
    EXPECT_EQ(table->get_constraints().size(), 7u);
    EXPECT_EQ(table->get_indexes()[0]->get_columns().size(), 2u);
    EXPECT_FALSE(table->get_options().contains("fillfactor"));
    EXPECT_FALSE(table->get_attributes().empty());
}

TEST(MetaIndex, AppendAndCloneKeepColumnOrder) {
    auto index = MetaIndex::with_names("db", "s", "t", "t_idx");
    EXPECT_EQ(index->get_entity(), "t");
    index->append("b DESC");
    index->append("a");
    index->set_class("text_pattern_ops");
    auto copy = index->clone_as<MetaIndex>();
    EXPECT_EQ(copy->get_columns(), (Names{"b DESC", "a"}));
    EXPECT_EQ(copy->get_class(), "text_pattern_ops");
    copy->append("c");
    EXPECT_EQ(index->get_columns().size(), 2u);
}

TEST(MetaFunction, CloneCopiesParametersInOrder) {
    auto function = MetaFunction::with_names("db", "s", "f");
    function->set_is_function(true);
    function->set_parameters({"a integer", "b text"});
    auto copy = function->clone_as<MetaFunction>();
    EXPECT_EQ(copy->get_parameters(), (Names{"a integer", "b text"}));
    EXPECT_EQ(copy->character(), DbObject::FUNCTION);
    copy->get_parameters().push_back("c");
    EXPECT_EQ(function->get_parameters().size(), 2u);
}

TEST(MetaConstraint, NamedConstructors) {
    auto check = MetaCheck::with_name("positive", "a > 0");
    EXPECT_EQ(check->get_check(), "a > 0");
    EXPECT_TRUE(check->get_no_inherit());
    auto key = MetaForeignKey::with_refer("fk", "sales", "orders");
    EXPECT_EQ(key->get_refer_schema(), "sales");
    EXPECT_EQ(key->get_refer_table(), "orders");
    EXPECT_EQ(PrimaryKey::with_name("pk")->character(), DbObject::PRIMARY_KEY);
    EXPECT_FALSE(std::dynamic_pointer_cast<MetaUnique>(
        std::static_pointer_cast<MetaConstraint>(PrimaryKey::with_name("pk"))));
    auto trigger = MetaTrigger::with_body("trg", "CREATE TRIGGER ...");
    EXPECT_EQ(trigger->get_body(), "CREATE TRIGGER ...");
    EXPECT_EQ(MetaRule::with_name("r")->get_name(), "r");
}

// The base object, the containers and the accounts: properties and their
// notifications, full names, append, reset and clone.
#include "tests/Model/ModelSupport.hpp"

#include "Model/MetaModel.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;
using Testing::names_of;

TEST(MetaObject, FreshObjectsHoldTheirDeclaredDefaults) {
    for (const Core::TypeInfo* type : Testing::meta_classes()) {
        const Core::ObjectPtr object = type->create();
        ASSERT_TRUE(object) << type->name;
        for (const Core::Property* property : type->properties())
            EXPECT_EQ(property->get(*object), property->default_value)
                << type->name << "." << property->name;
    }
    EXPECT_TRUE(std::make_shared<MetaCheck>()->get_no_inherit());
    EXPECT_FALSE(std::make_shared<MetaCheck>()->get_enforced());
    EXPECT_TRUE(std::make_shared<Materialized>()->get_with_data());
    EXPECT_EQ(std::make_shared<MetaTrigger>()->get_for_each(), "ROW");
}

TEST(MetaObject, EveryPropertyNotifiesOnlyOnRealChange) {
    for (const Core::TypeInfo* type : Testing::meta_classes()) {
        const Core::ObjectPtr object = type->create();
        const Core::ObjectPtr changed = type->create();
        Testing::fill_properties(*changed, 1);
        for (const Core::Property* property : type->properties()) {
            if (!property->writable() || property->kind == Core::ValueKind::ObjectList)
                continue;
            std::vector<std::string> seen;
            const auto id = object->connect_notify(
                [&](Core::Object&, std::string_view name) { seen.emplace_back(name); });
            property->set(*object, property->get(*object));
            EXPECT_TRUE(seen.empty()) << type->name << "." << property->name;
            property->set(*object, property->get(*changed));
            property->set(*object, property->get(*changed));
            EXPECT_EQ(seen, std::vector<std::string>{std::string(property->name)})
                << type->name << "." << property->name;
            object->disconnect_notify(id);
        }
    }
}

TEST(MetaObject, TypedSettersNotifyUnderThePropertyName) {
    auto column = std::make_shared<MetaColumn>();
    std::vector<std::string> seen;
    column->connect_notify([&](Core::Object&, std::string_view name) { seen.emplace_back(name); });
    column->set_raw_type("int4");
    column->set_raw_type("int4");
    column->set_is_primary_key(true);
    column->set_attributes({{"OWNER", "me"}});
    column->set_attributes({{"OWNER", "me"}});
    column->set_version(DataVersion::CHANGE);
    EXPECT_EQ(seen, (std::vector<std::string>{"raw-type", "is-primary-key", "attributes",
                                              "version"}));
}

TEST(MetaObject, KindsOfEveryClass) {
    EXPECT_EQ(MetaObject().character(), DbObject::NONE);
    EXPECT_EQ(MetaDatabase().character(), DbObject::DATABASE);
    EXPECT_EQ(MetaSchema().character(), DbObject::SCHEMA);
    EXPECT_EQ(MetaRole().character(), DbObject::ROLE);
    EXPECT_EQ(MetaUser().character(), DbObject::USER);
    EXPECT_EQ(MetaSynonym().character(), DbObject::SYNONYM);
    EXPECT_EQ(MetaTable().character(), DbObject::TABLE);
    EXPECT_EQ(MetaColumn().character(), DbObject::COLUMN);
    EXPECT_EQ(MetaView().character(), DbObject::VIEW);
    EXPECT_EQ(Materialized().character(), DbObject::VIEW);
    EXPECT_EQ(MetaTrigger().character(), DbObject::TRIGGER);
    EXPECT_EQ(MetaRule().character(), DbObject::RULE);
    EXPECT_EQ(MetaEvent().character(), DbObject::EVENT);
    MetaFunction routine;
    EXPECT_EQ(routine.character(), DbObject::PROCEDURE);
    routine.set_is_function(true);
    EXPECT_EQ(routine.character(), DbObject::FUNCTION);
    EXPECT_EQ(MetaClassify(DbObject::TABLE, "db", "s", "Tables").character(), DbObject::TABLE);
}

TEST(MetaObject, FullNames) {
    auto table = MetaTable::with_names("db", "public", "t");
    EXPECT_EQ(table->fullname(false, false), "public.t");
    EXPECT_EQ(table->fullname(true, false), "db.public.t");
    EXPECT_EQ(table->fullname(false, true), "table:public.t");
    EXPECT_EQ(table->fullname(true, true), "table:db.public.t");

    auto schema = MetaSchema::with_names("db", "sales");
    EXPECT_EQ(schema->get_schema(), "sales");
    EXPECT_EQ(schema->fullname(false, false), "sales.");
    EXPECT_EQ(schema->fullname(true, false), "db.sales.");
    EXPECT_EQ(schema->fullname(false, true), "schema:sales.");
    EXPECT_EQ(schema->fullname(true, true), "schema:db.sales.");

    auto database = MetaDatabase::with_name("db");
    EXPECT_EQ(database->get_schema(), "db");
    EXPECT_EQ(database->get_database(), "db");
    EXPECT_EQ(database->fullname(false, false), ".");
    EXPECT_EQ(database->fullname(true, false), "db..");
    EXPECT_EQ(database->fullname(false, true), "database:.");
    EXPECT_EQ(database->fullname(true, true), "database:db..");

    EXPECT_EQ(MetaSynonym::with_names("s", "n")->fullname(true, true), "synonym:.s.n");
    EXPECT_NE(MetaCheck().fullname(false, true), MetaUnique().fullname(false, true));
}

TEST(MetaObject, NamedConstructorsSetTheirFields) {
    auto role = MetaRole::with_names("db", "s", "admin", "server");
    EXPECT_EQ(role->fullname(true, false), "db.s.admin");
    EXPECT_EQ(role->get_scope(), "server");
    auto user = MetaUser::with_names("db", "s", "joe", "local");
    EXPECT_EQ(user->get_name(), "joe");
    EXPECT_EQ(user->get_scope(), "local");
    auto synonym = MetaSynonym::with_names("s", "alias");
    EXPECT_EQ(synonym->get_database(), "");
    EXPECT_EQ(synonym->fullname(false, false), "s.alias");

    auto child = MetaTable::with_names("db", "s", "t");
    auto node = MetaClassify::with_array(DbObject::TABLE, "db", "s", "Tables", {child, nullptr});
    EXPECT_EQ(node->get_name(), "Tables");
    ASSERT_EQ(node->get_children().size(), 2u);
    EXPECT_EQ(node->get_children()[0], child);
    EXPECT_EQ(node->get_children()[1], nullptr);
    EXPECT_TRUE(MetaClassify(DbObject::VIEW, "db", "s", "Views").get_children().empty());
}

TEST(MetaDatabase, AppendIsIdempotentAndCaseSensitive) {
    auto database = MetaDatabase::with_name("shop");
    auto first = database->append("public");
    auto second = database->append("public");
    EXPECT_EQ(first, second);
    EXPECT_EQ(database->get_schemas().size(), 1u);
    EXPECT_EQ(first->get_database(), "shop");
    EXPECT_EQ(first->get_schema(), "public");
    EXPECT_NE(database->append("Public"), first);
    EXPECT_EQ(names_of(database->get_schemas()), (std::vector<std::string>{"public", "Public"}));
}

TEST(MetaObject, ResetEmptiesStateButKeepsNames) {
    auto column = MetaColumn::with_type("id", DataType::INTEGER, "int4");
    column->set_database("db");
    column->set_schema("s");
    column->set_comment("key");
    column->set_original("old_id");
    column->get_attributes()["OWNER"] = "me";
    column->set_version(DataVersion::CHANGE);
    column->append_diff("comment", DataVersion::CHANGE);
    column->append_slice("attributes.OWNER", "you");
    column->set_filled(true);
    column->reset();
    EXPECT_EQ(column->fullname(true, false), "db.s.id");
    EXPECT_EQ(column->get_comment(), "");
    EXPECT_EQ(column->get_original(), "");
    EXPECT_TRUE(column->get_attributes().empty());
    EXPECT_EQ(column->get_version(), DataVersion::NONE);
    EXPECT_TRUE(column->diff().empty());
    EXPECT_TRUE(column->slice().empty());
    EXPECT_FALSE(column->is_filled());
    EXPECT_FALSE(column->has_data(MetaObject::k_filled));
    // Fields that reset does not name stay.
    EXPECT_EQ(column->get_raw_type(), "int4");
}

TEST(MetaSchema, ResetKeepsProceduresAndMaterializedViews) {
    auto full = Testing::sample_database()->get_schemas()[0];
    const auto procedures = full->get_procedures();
    const auto miews = full->get_miews();
    full->reset();
    EXPECT_TRUE(full->get_tables().empty());
    EXPECT_TRUE(full->get_views().empty());
    EXPECT_TRUE(full->get_functions().empty());
    EXPECT_TRUE(full->get_events().empty());
    EXPECT_EQ(full->get_procedures(), procedures);
    EXPECT_EQ(full->get_miews(), miews);
    EXPECT_FALSE(procedures.empty());
    EXPECT_FALSE(miews.empty());
    EXPECT_TRUE(full->get_attributes().empty());
    EXPECT_NE(full->get_name(), "");

    auto database = Testing::sample_database();
    database->reset();
    EXPECT_TRUE(database->get_schemas().empty());
    EXPECT_EQ(database->get_name(), "shop");
}

TEST(MetaObject, CloneCopiesPropertiesAndOwnsItsMaps) {
    auto role = std::make_shared<MetaRole>();
    Testing::fill_properties(*role, 5);
    role->append_diff("name", DataVersion::CHANGE);
    role->append_slice("name", "old");
    role->set_filled(true);
    auto copy = role->clone_as<MetaRole>();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(Testing::same_model(*role, *copy));
    EXPECT_TRUE(copy->diff().empty());
    EXPECT_TRUE(copy->slice().empty());
    EXPECT_FALSE(copy->is_filled());
    copy->get_attributes()["NEW"] = "x";
    copy->get_privileges().clear();
    copy->get_relations()["r"] = "y";
    EXPECT_FALSE(role->get_attributes().contains("NEW"));
    EXPECT_FALSE(role->get_privileges().empty());
    EXPECT_FALSE(role->get_relations().contains("r"));

    auto node = MetaClassify::with_model(DbObject::INDEX, "db", "s", "Indexes",
                                         {MetaTable::with_names("db", "s", "t")});
    auto node_copy = node->clone_as<MetaClassify>();
    EXPECT_EQ(node_copy->character(), DbObject::INDEX);
    EXPECT_EQ(node_copy->get_name(), "Indexes");
    EXPECT_TRUE(node_copy->get_children().empty());
}

TEST(MetaDatabase, CloneIsDeepWhereTheContainersSaySo) {
    auto database = Testing::sample_database();
    auto copy = database->clone_as<MetaDatabase>();
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->get_schemas().size(), database->get_schemas().size());
    const auto source = database->get_schemas()[0];
    const auto schema = copy->get_schemas()[0];
    EXPECT_NE(schema, source);
    EXPECT_EQ(schema->get_name(), source->get_name());
    // Tables and views are cloned; events, routines and materialized views are not carried.
    ASSERT_EQ(schema->get_tables().size(), source->get_tables().size());
    for (std::size_t i = 0; i < source->get_tables().size(); ++i) {
        EXPECT_NE(schema->get_tables()[i], source->get_tables()[i]);
        EXPECT_TRUE(Testing::same_model(*schema->get_tables()[i], *source->get_tables()[i]));
    }
    ASSERT_EQ(schema->get_views().size(), 1u);
    EXPECT_TRUE(Testing::same_model(*schema->get_views()[0], *source->get_views()[0]));
    EXPECT_NE(schema->get_views()[0]->get_columns()[0], source->get_views()[0]->get_columns()[0]);
    EXPECT_TRUE(schema->get_events().empty());
    EXPECT_TRUE(schema->get_functions().empty());
    EXPECT_TRUE(schema->get_procedures().empty());
    EXPECT_TRUE(schema->get_miews().empty());

    copy->append("another");
    schema->get_tables().clear();
    EXPECT_EQ(database->get_schemas().size(), 2u);
    EXPECT_EQ(source->get_tables().size(), 2u);
}

#include "tests/core/TestTypes.hpp"

#include "core/Enum.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using Testing::Gadget;

TEST(TypeInfo, RecordsNameParentAndPropertiesInClassOrder) {
    const Core::TypeInfo& type = Gadget::static_type();
    EXPECT_EQ(type.name, "TestGadget");
    EXPECT_EQ(type.parent, &Core::Object::static_type());
    EXPECT_EQ(Core::TypeInfo::lookup("TestGadget"), &type);
    EXPECT_EQ(Core::TypeInfo::lookup("NoSuchType"), nullptr);
    ASSERT_EQ(type.properties().size(), 11u);
    EXPECT_EQ(type.properties().front()->name, "label");
    EXPECT_EQ(type.find_property("serial")->type_name(), "gchararray");
    EXPECT_EQ(type.find_property("size")->type_name(), "gint64");
    EXPECT_EQ(type.find_property("colour")->type_name(), "TestColour");
    EXPECT_EQ(type.find_property("access")->kind, Core::ValueKind::Flags);
    EXPECT_EQ(type.find_property("partner")->object_type(), &Gadget::static_type());
    EXPECT_EQ(type.find_property("size")->default_value.get_int64(), 7);
}

TEST(TypeInfo, LooseLookupTreatsDashAndUnderscoreAlike) {
    const Core::TypeInfo& type = Gadget::static_type();
    EXPECT_EQ(type.find_property("la_bel"), nullptr);
    EXPECT_NE(type.find_property("label", true), nullptr);
    EXPECT_EQ(type.find_property("label_", true), nullptr);
}

TEST(Object, NotifiesOnlyOnRealChange) {
    auto gadget = std::make_shared<Gadget>();
    std::vector<std::string> changes;
    gadget->connect_notify([&](Core::Object&, std::string_view name) { changes.emplace_back(name); });
    EXPECT_TRUE(gadget->set_property("label", Core::Value("a")));
    EXPECT_TRUE(gadget->set_property("label", Core::Value("a")));
    EXPECT_TRUE(gadget->set_property("size", Core::Value(std::int64_t{7})));
    EXPECT_TRUE(gadget->set_property("colour", Core::Value::enumeration(
                                                   enum_info(Testing::Colour{}), 2)));
    EXPECT_EQ(changes, (std::vector<std::string>{"label", "colour"}));
    EXPECT_EQ(gadget->m_colour, Testing::Colour::Blue);
}

TEST(Object, NotifyFilterAndDisconnect) {
    auto gadget = std::make_shared<Gadget>();
    int label_changes = 0;
    const auto id = gadget->connect_notify([&](Core::Object&, std::string_view) { ++label_changes; },
                                           "label");
    gadget->set_property("ratio", Core::Value(0.5));
    gadget->set_property("label", Core::Value("x"));
    gadget->disconnect_notify(id);
    gadget->set_property("label", Core::Value("y"));
    EXPECT_EQ(label_changes, 1);
}

TEST(Object, RefusesUnknownReadOnlyAndMistypedProperties) {
    auto gadget = std::make_shared<Gadget>();
    EXPECT_FALSE(gadget->set_property("missing", Core::Value("x")));
    EXPECT_FALSE(gadget->set_property("tags", Core::Value(Core::StringMap{{"a", "b"}})));
    EXPECT_FALSE(gadget->set_property("label", Core::Value(std::int64_t{3})));
    EXPECT_FALSE(gadget->get_property("missing").is_valid());
    EXPECT_TRUE(gadget->m_tags.empty());
}

TEST(Object, DataTagsAreNotProperties) {
    auto gadget = std::make_shared<Gadget>();
    EXPECT_FALSE(gadget->has_data("FILLED"));
    gadget->set_data("FILLED");
    EXPECT_TRUE(gadget->has_data("FILLED"));
    gadget->remove_data("FILLED");
    EXPECT_FALSE(gadget->has_data("FILLED"));
}

TEST(Clone, CopiesWritableSharesObjectsAndCopiesReadOnlyCollections) {
    auto partner = std::make_shared<Gadget>();
    Core::ConstructList construct{{Gadget::static_type().find_property("serial"), Core::Value("S-1")}};
    auto source = std::static_pointer_cast<Gadget>(Gadget::static_type().create(construct));
    source->m_label = "source";
    source->m_partner = partner;
    source->m_names = {"a", "b"};
    source->m_tags = {{"OWNER", "alice"}};
    source->m_children = {std::make_shared<Gadget>(), std::make_shared<Gadget>(),
                          std::make_shared<Gadget>()};

    auto copy = Core::object_cast<Gadget>(Core::clone_object(*source));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->m_serial, "S-1");
    EXPECT_EQ(copy->m_label, "source");
    EXPECT_EQ(copy->m_partner, partner); // same referenced object
    EXPECT_EQ(copy->m_names, source->m_names);
    EXPECT_EQ(copy->m_tags, source->m_tags);
    ASSERT_EQ(copy->m_children.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(copy->m_children[i], source->m_children[i]); // elements shared, in order

    copy->m_children.push_back(std::make_shared<Gadget>());
    copy->m_tags["NEW"] = "x";
    EXPECT_EQ(source->m_children.size(), 3u);
    EXPECT_EQ(source->m_tags.size(), 1u);
    EXPECT_TRUE(Core::same_properties(*source, *source));
    EXPECT_FALSE(Core::same_properties(*source, *copy));
}

TEST(Enum, TablesAnswerByValueNickAndName) {
    const Core::EnumInfo& info = enum_info(Testing::Colour{});
    EXPECT_EQ(info.nick(1), "green");
    EXPECT_EQ(info.find_nick("blue")->value, 2);
    EXPECT_EQ(info.find_name("TEST_COLOUR_RED")->nick, "red");
    EXPECT_EQ(info.find(9), nullptr);
    EXPECT_EQ(Core::nick_of(Testing::Colour::Blue), "blue");
}

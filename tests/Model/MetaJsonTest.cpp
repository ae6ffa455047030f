// The JSON form of the meta model: shapes, round trips and lenient reading.
#include "tests/Model/ModelSupport.hpp"
#include "tests/support/PlatformLog.hpp"

#include "Model/JsonTextWriter.hpp"
#include "Model/MetaJson.hpp"
#include "Model/MetaModel.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;
using Json = nlohmann::ordered_json;

TEST(MetaJson, FullDatabaseRoundTripGivesAnEqualModel) {
    const auto database = Testing::sample_database();
    const std::string text = to_json_text(*database);
    const auto back = from_json_text<MetaDatabase>(text);
    ASSERT_TRUE(back) << back.error().message;
    EXPECT_TRUE(Testing::same_model(*database, **back));
    EXPECT_EQ(to_json_text(**back), text);

    // Every collection of a schema comes back, routines and materialized views included.
    const auto& schema = (*back)->get_schemas().at(0);
    EXPECT_EQ(schema->get_procedures().size(), 1u);
    EXPECT_EQ(schema->get_miews().size(), 1u);
    EXPECT_EQ(schema->get_events().size(), 1u);
    EXPECT_EQ(schema->get_miews()[0]->get_columns().size(), 3u);
}

TEST(MetaJson, EveryClassRoundTrips) {
    for (const Core::TypeInfo* type : Testing::meta_classes()) {
        auto object = std::dynamic_pointer_cast<MetaObject>(type->create());
        ASSERT_TRUE(object) << type->name;
        Testing::fill_properties(*object, 9);
        if (auto node = std::dynamic_pointer_cast<MetaClassify>(object))
            node->set_children({Testing::sample_table(1), MetaCheck::with_name("c", "x > 1")});
        const auto back = from_json_text(to_json_text(*object), *type);
        ASSERT_TRUE(back) << type->name << ": " << back.error().message;
        EXPECT_TRUE(Testing::same_model(*object, **back));
    }
}

TEST(MetaJson, ShapeOfATable) {
    const auto table = Testing::sample_table(1);
    const Json json = Json::parse(to_json_text(*table));
    std::vector<std::string> members;
    for (const auto& [name, value] : json.items())
        members.push_back(name);
    EXPECT_EQ(members, (std::vector<std::string>{"database", "schema", "name", "comment",
                                                 "attributes", "original", "version",
                                                 "constraints", "columns", "indexes", "rules",
                                                 "triggers", "options"}));
    EXPECT_EQ(json["version"], 12);
    EXPECT_EQ(json["attributes"]["OWNER"], "owner1");
    EXPECT_TRUE(json["options"].is_object());

    std::vector<std::string> classes;
    for (const auto& constraint : json["constraints"])
        classes.push_back(constraint["class"]);
    EXPECT_EQ(classes, (std::vector<std::string>{
                           "DizezidaDovodarudMetaModelMetaUnique",
                           "DizezidaDovodarudMetaModelMetaCheck",
                           "DizezidaDovodarudMetaModelPrimaryKey",
                           "DizezidaDovodarudMetaModelMetaForeignKey",
                           "DizezidaDovodarudMetaModelMetaExclude",
                           "DizezidaDovodarudMetaModelMetaConstraint",
                           "DizezidaDovodarudMetaModelMetaCheck"}));
    EXPECT_FALSE(json["constraints"][1]["no-inherit"].get<bool>());

    const Json& column = json["columns"][0];
    EXPECT_FALSE(column.contains("class"));
    EXPECT_TRUE(column["data-type"].is_number_integer());
    EXPECT_EQ(column["auto-increment-seed"].get<std::uint64_t>(), (std::uint64_t{1} << 63) + 18);
    EXPECT_EQ(column["length"].get<std::int64_t>(), -(std::int64_t{1} << 40) - 11);
    const Json& index = json["indexes"][0];
    EXPECT_TRUE(index["columns"].is_array());
    EXPECT_TRUE(index["class"].is_string()); // the operator class property, not a type name
}

TEST(MetaJson, ReadingIsLenient) {
    Testing::PlatformLogCapture log;
    const auto table = from_json_text<MetaTable>(R"({
        "name": "t", "unknown": 1, "comment": 5, "version": "changed",
        "attributes": {"OWNER": "me", "N": 5, "X": null},
        "options": {"fillfactor": "70"},
        "constraints": [
            {"class": "DizezidaDovodarudMetaModelMetaCheck", "name": "c", "no_inherit": false},
            {"class": "NoSuchClass", "name": "lost"},
            {"class": "DizezidaDovodarudMetaModelMetaTable", "name": "wrong"},
            "not an object",
            {"name": "plain"}],
        "columns": [{"name": "a", "ordinal": 4294967301, "scale": -2, "not-null": 1,
                     "auto_increment_seed": 18446744073709551615, "data-type": 5}]
    })");
    ASSERT_TRUE(table) << table.error().message;
    const MetaTable& t = **table;
    EXPECT_EQ(t.get_name(), "t");
    EXPECT_EQ(t.get_comment(), "");
    EXPECT_EQ(t.get_version(), DataVersion::NONE);
    EXPECT_EQ(t.get_attributes(), (Core::StringMap{{"N", ""}, {"OWNER", "me"}, {"X", ""}}));
    EXPECT_EQ(t.get_options().at("fillfactor"), "70");
    ASSERT_EQ(t.get_constraints().size(), 2u);
    const auto check = std::dynamic_pointer_cast<MetaCheck>(t.get_constraints()[0]);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->get_no_inherit());
    EXPECT_EQ(&t.get_constraints()[1]->type(), &MetaConstraint::static_type());
    EXPECT_TRUE(log.contains("NoSuchClass"));
    EXPECT_TRUE(log.contains("DizezidaDovodarudMetaModelMetaTable"));

    ASSERT_EQ(t.get_columns().size(), 1u);
    const MetaColumn& column = *t.get_columns()[0];
    EXPECT_EQ(column.get_ordinal(), 5u);           // 32 bits kept
    EXPECT_EQ(column.get_scale(), -2);             // a negative scale kept
    EXPECT_FALSE(column.get_not_null());           // a number is not a boolean
    EXPECT_EQ(column.get_auto_increment_seed(), UINT64_MAX);
    EXPECT_EQ(column.get_data_type(), DataType::INTEGER);
}

TEST(MetaJson, ViewColumnsComeFromTheDefinition) {
    const auto view = from_json_text<MetaView>(
        R"({"columns": [{"name": "ignored"}], "definition": "select a, b from t"})");
    ASSERT_TRUE(view);
    ASSERT_EQ((*view)->get_columns().size(), 2u);
    EXPECT_EQ((*view)->get_columns()[0]->get_name(), "a");
}

TEST(MetaJson, RootClassAndErrors) {
    const auto key = from_json_text<MetaConstraint>(
        R"({"class": "DizezidaDovodarudMetaModelMetaForeignKey", "refer-table": "orders"})");
    ASSERT_TRUE(key);
    const auto foreign = std::dynamic_pointer_cast<MetaForeignKey>(*key);
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->get_refer_table(), "orders");
    // A class outside the requested one is not taken.
    const auto schema = from_json_text<MetaSchema>(
        R"({"class": "DizezidaDovodarudMetaModelMetaTable", "name": "s"})");
    ASSERT_TRUE(schema);
    EXPECT_EQ((*schema)->get_name(), "s");

    for (const char* text : {"[1]", "{", "", "\"text\""}) {
        const auto result = from_json_text<MetaTable>(text);
        ASSERT_FALSE(result) << text;
        EXPECT_EQ(result.error().domain, "JSON");
    }
    MetaIndex index;
    index.set_name("kept");
    EXPECT_FALSE(read_json_text(index, "{\"name\": "));
    EXPECT_EQ(index.get_name(), "kept");
    ASSERT_TRUE(read_json_text(index, R"({"name": "i", "class": "gin_trgm_ops"})"));
    EXPECT_EQ(index.get_class(), "gin_trgm_ops");
}

TEST(MetaJson, TextsThatAreNotUtf8AreReplacedNotFatal) {
    MetaColumn column;
    column.set_name("caf\xe9");
    const std::string text = to_json_text(column);
    const auto back = from_json_text<MetaColumn>(text);
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)->get_name(), "caf\xef\xbf\xbd");
    EXPECT_NE(to_json_text(column, 2).find("\n  \"name\""), std::string::npos);
}

TEST(MetaJson, FillingAnExistingObjectReadsLikeCreatingOne) {
    const auto database = Testing::sample_database();
    const std::string text = to_json_text(*database);
    MetaDatabase filled;
    ASSERT_TRUE(read_json_text(filled, text));
    EXPECT_TRUE(Testing::same_model(*database, filled));
}

TEST(MetaJson, ClassMayStandAnywhereInAnElement) {
    // Elements written by other tools may name their class after their members.
    const auto table = from_json_text<MetaTable>(R"({"constraints": [
        {"name": "fk", "refer-table": "orders", "class": "DizezidaDovodarudMetaModelMetaForeignKey"},
        {"name": "ck", "check": "a > 0", "class": "DizezidaDovodarudMetaModelMetaCheck"}]})");
    ASSERT_TRUE(table);
    const auto& constraints = (*table)->get_constraints();
    ASSERT_EQ(constraints.size(), 2u);
    const auto key = std::dynamic_pointer_cast<MetaForeignKey>(constraints[0]);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->get_refer_table(), "orders");
    const auto check = std::dynamic_pointer_cast<MetaCheck>(constraints[1]);
    ASSERT_TRUE(check);
    EXPECT_EQ(check->get_check(), "a > 0");
}

TEST(MetaJson, StreamedTextIsTheWholeTextInPiecesAndStopsWhenRefused) {
    const auto database = Testing::sample_database();
    for (const int indent : {-1, 2}) {
        std::string streamed;
        std::size_t pieces = 0;
        ASSERT_TRUE(write_json_text(*database, indent, [&](std::string_view piece) {
            streamed += piece;
            ++pieces;
            return true;
        }));
        EXPECT_EQ(streamed, to_json_text(*database, indent));
        EXPECT_GE(pieces, 1u);
    }
    // Small pieces: the writer hands text out as objects close.
    JsonTextWriter writer;
    std::vector<std::string> pieces;
    writer.set_sink([&](std::string_view piece) { pieces.emplace_back(piece); return pieces.size() < 2; }, 4);
    writer.begin_array();
    for (int i = 0; i < 5; ++i) {
        writer.begin_object();
        writer.key("n");
        writer.int_value(i);
        writer.end_object();
    }
    writer.end_array();
    EXPECT_FALSE(writer.flush()); // the second piece was refused
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "[{\"n\":0}");
    EXPECT_EQ(pieces[1], ",{\"n\":1}");
}

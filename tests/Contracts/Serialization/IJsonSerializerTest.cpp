#include "Contracts/Serialization/IJsonSerializer.hpp"

#include "core/Enum.hpp"
#include "core/Properties.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Dizezida;
using Dovodarud::Contracts::Serialization::IJsonSerializer;
using Dovodarud::Contracts::Serialization::Json;
using Testing::PlatformLogCapture;

namespace serial_test {

enum class Colour : std::int32_t { Red = 1, Green = 2 };
enum class Access : std::uint32_t { Read = 1, Write = 2 };
constexpr Core::EnumEntry k_colours[] = {{1, "COLOUR_RED", "red"}, {2, "COLOUR_GREEN", "green"}};
constexpr Core::EnumEntry k_access[] = {{1, "ACCESS_READ", "read"}, {2, "ACCESS_WRITE", "write"}};
DIZEZIDA_DECLARE_ENUM(Colour);
DIZEZIDA_DECLARE_ENUM(Access);
DIZEZIDA_DEFINE_ENUM(Colour, "SerialTestColour", k_colours, 2, false)
DIZEZIDA_DEFINE_ENUM(Access, "SerialTestAccess", k_access, 2, true)

/// One property of every kind of the object model.
class Record : public Core::Object, public IJsonSerializer {
    DIZEZIDA_OBJECT(Record)
public:
    bool m_flag = false;
    std::int8_t m_i8 = 0;
    std::uint8_t m_u8 = 0;
    std::int16_t m_i16 = 0;
    std::uint16_t m_u16 = 0;
    std::int32_t m_i32 = 0;
    std::uint32_t m_u32 = 0;
    std::int64_t m_i64 = 0;
    std::uint64_t m_u64 = 0;
    float m_f32 = 0;
    double m_f64 = 0;
    std::string m_text;
    Colour m_colour = Colour::Red;
    Access m_access = Access::Read;
    std::optional<Core::DateTime> m_when;
    Core::StringList m_list;
    Core::StringMap m_map;
    std::shared_ptr<Record> m_child;
    std::string m_class = "kept";
    std::string m_fixed = "fixed";
};

const Core::TypeInfo& Record::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<Record, Object>(
        "SerialTestRecord",
        {
            prop("flag", &Record::m_flag),     prop("i8", &Record::m_i8),
            prop("u8", &Record::m_u8),         prop("i16", &Record::m_i16),
            prop("u16", &Record::m_u16),       prop("i32", &Record::m_i32),
            prop("u32", &Record::m_u32),       prop("i64", &Record::m_i64),
            prop("u64", &Record::m_u64),       prop("f32", &Record::m_f32),
            prop("f64", &Record::m_f64),       prop("some-text", &Record::m_text),
            prop("colour", &Record::m_colour), prop("access", &Record::m_access),
            prop("when", &Record::m_when),     prop("list", &Record::m_list),
            prop("map", &Record::m_map),       prop("child", &Record::m_child),
            prop("class", &Record::m_class),   prop("fixed", &Record::m_fixed, Readable),
        },
        {&IJsonSerializer::static_type()});
    return info;
}

} // namespace serial_test

using serial_test::Access;
using serial_test::Colour;
using serial_test::Record;

namespace {

Json written(const Record& record) {
    Json json;
    record.serialize(json, record);
    return json;
}

} // namespace

TEST(JsonSerializer, WritesEveryKindInClassOrder) {
    Record r;
    r.m_flag = true;
    r.m_i8 = -5;
    r.m_u8 = 250;
    r.m_i16 = -30000;
    r.m_u16 = 65000;
    r.m_i32 = -7;
    r.m_u32 = 4000000000u;
    r.m_i64 = 1LL << 40;
    r.m_u64 = std::numeric_limits<std::uint64_t>::max();
    r.m_f32 = 1.5f;
    r.m_f64 = 0.1;
    r.m_text = "héllo";
    r.m_colour = Colour::Green;
    r.m_access = static_cast<Access>(3);
    r.m_when = Core::DateTime::parse_iso8601("2024-05-06T12:00:00Z");
    r.m_list = {"a", "b"};
    r.m_map = {{"k", "v"}};
    r.m_child = std::make_shared<Record>();

    const Json json = written(r);
    std::vector<std::string> names;
    for (const auto& [name, _] : json.items())
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"flag", "i8",        "u8",     "i16",    "u16",
                                               "i32",  "u32",       "i64",    "u64",    "f32",
                                               "f64",  "some-text", "colour", "access", "when",
                                               "list", "map",       "child",  "class",  "fixed"}));
    EXPECT_EQ(json["u8"], 250);
    EXPECT_EQ(json["i64"], 1LL << 40);
    EXPECT_EQ(json["u64"], std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(json["colour"], 2);
    EXPECT_EQ(json["access"], 3);
    EXPECT_TRUE(json["when"].is_string());
    EXPECT_EQ(json["list"], Json::array({"a", "b"}));
    EXPECT_TRUE(json["map"].is_string());
    EXPECT_TRUE(json["child"].is_string());

    Record back;
    PlatformLogCapture log;
    back.deserialize(json, back);
    EXPECT_TRUE(back.m_flag);
    EXPECT_EQ(back.m_i8, -5);
    EXPECT_EQ(back.m_u8, 250);
    EXPECT_EQ(back.m_i16, -30000);
    EXPECT_EQ(back.m_u16, 65000);
    EXPECT_EQ(back.m_i32, -7);
    EXPECT_EQ(back.m_u32, 4000000000u);
    EXPECT_EQ(back.m_i64, 1LL << 40);
    EXPECT_EQ(back.m_u64, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(back.m_f32, 1.5f);
    EXPECT_EQ(back.m_f64, 0.1);
    EXPECT_EQ(back.m_text, "héllo");
    EXPECT_EQ(back.m_colour, Colour::Green);
    EXPECT_EQ(back.m_access, static_cast<Access>(3));
    ASSERT_TRUE(back.m_when);
    EXPECT_EQ(back.m_when->unix_microseconds, r.m_when->unix_microseconds);
    EXPECT_EQ(back.m_list, r.m_list);
    // Objects and maps have no JSON form to read back; "class" is never applied.
    EXPECT_TRUE(back.m_map.empty());
    EXPECT_FALSE(back.m_child);
    EXPECT_EQ(back.m_class, "kept");
    EXPECT_TRUE(log.contains("serializer_json:201: Type: child -> SerialTestRecord"));
}

TEST(JsonSerializer, MemberNamesMatchWithDashOrUnderscore) {
    Record r;
    r.deserialize(Json{{"some_text", "a"}, {"fixed", "changed"}, {"unknown", 1}}, r);
    EXPECT_EQ(r.m_text, "a");
    EXPECT_EQ(r.m_fixed, "fixed");
}

TEST(JsonSerializer, OutOfRangeAndMistypedMembersKeepTheValue) {
    Record r;
    r.m_i32 = 11;
    r.m_u16 = 8080;
    r.m_u8 = 9;
    r.m_flag = true;
    r.m_text = "old";
    r.m_f32 = 2.0f;
    PlatformLogCapture log;
    r.deserialize(Json::parse(R"({"i32": 4294967301, "u16": 70000, "u8": -1, "flag": 1,
                                 "some-text": 5, "f32": 1e300, "i8": "4", "when": "not a time"})"),
                  r);
    EXPECT_EQ(r.m_i32, 11);
    EXPECT_EQ(r.m_u16, 8080);
    EXPECT_EQ(r.m_u8, 9);
    EXPECT_TRUE(r.m_flag);
    EXPECT_EQ(r.m_text, "old");
    EXPECT_EQ(r.m_f32, 2.0f);
    EXPECT_EQ(r.m_i8, 0);
    EXPECT_TRUE(log.contains("\"u16\" skipped"));
    EXPECT_TRUE(log.contains("\"i8\" skipped"));
}

TEST(JsonSerializer, NumbersAcrossKinds) {
    Record r;
    r.deserialize(
        Json::parse(
            R"({"f64": 3, "f32": 4, "i64": -1099511627776, "when": "2024-05-06T12:00:00"})"),
        r);
    EXPECT_EQ(r.m_f64, 3.0);
    EXPECT_EQ(r.m_f32, 4.0f);
    EXPECT_EQ(r.m_i64, -(1LL << 40));
    ASSERT_TRUE(r.m_when);
    // A date-time without zone is UTC.
    EXPECT_EQ(r.m_when->unix_microseconds, 1'714'996'800LL * 1'000'000);

    // Non-finite numbers are written as null, which parses and is skipped.
    Record odd;
    odd.m_f64 = std::numeric_limits<double>::quiet_NaN();
    odd.m_f32 = std::numeric_limits<float>::infinity();
    const std::string text = Dovodarud::Contracts::Serialization::dump_pretty(written(odd));
    Record back;
    back.m_f64 = 1.0;
    PlatformLogCapture log;
    back.deserialize(Json::parse(text), back);
    EXPECT_EQ(back.m_f64, 1.0);
}

TEST(JsonSerializer, TextThatIsNotUtf8StillWritesParsableJson) {
    Record r;
    r.m_text = "ok\xff\xfe";
    const std::string text = Dovodarud::Contracts::Serialization::dump_pretty(written(r));
    const Json back = Json::parse(text);
    EXPECT_EQ(back["some-text"], "ok\xEF\xBF\xBD\xEF\xBF\xBD");
}

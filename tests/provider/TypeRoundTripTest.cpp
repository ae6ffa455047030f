// Every built-in type family read through execute_model: its type class,
// its value kind, the server's exact text and the decoded payload.
#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Contracts/ValueTemporal.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Dizezida;
using namespace Dizezida::Zozuvoru::Contracts;

namespace {

struct Case {
    const char* expression;
    DataType type;
    const char* text;
    const Core::TypeInfo& kind;
};

class TypeRoundTrip : public ::testing::Test {
protected:
    void SetUp() override { m_provider = Testing::open_test_provider(Testing::test_conninfo()); }

    /// The single value of a one-column query.
    ValuePtr value_of(const std::string& expression) {
        auto table = m_provider->execute_model("SELECT " + expression, 0);
        EXPECT_TRUE(table.has_value()) << expression << ": " << table.error().message;
        if (!table || (*table)->get_row_count() != 1)
            return nullptr;
        return (*table)->get_value_at(0, 0);
    }

    ProviderPtr m_provider;
};

TEST_F(TypeRoundTrip, EveryFamilyKeepsTheServersTextAndType) {
    const Case cases[] = {
        {"true", DataType::BOOLEAN, "t", ValueBoolean::static_type()},
        {"false", DataType::BOOLEAN, "f", ValueBoolean::static_type()},
        {"(-32768)::int2", DataType::SMALLINT, "-32768", ValueInt16::static_type()},
        {"32767::int2", DataType::SMALLINT, "32767", ValueInt16::static_type()},
        {"(-2147483648)::int4", DataType::INTEGER, "-2147483648", ValueInt32::static_type()},
        {"2147483647::int4", DataType::INTEGER, "2147483647", ValueInt32::static_type()},
        {"(-9223372036854775808)::int8", DataType::BIGINT, "-9223372036854775808",
         ValueInt64::static_type()},
        {"9223372036854775807::int8", DataType::BIGINT, "9223372036854775807",
         ValueInt64::static_type()},
        {"4294967295::oid", DataType::UINTEGER, "4294967295", ValueUInt32::static_type()},
        {"'1234567890123456789012345678901234567890.0123456789'::numeric", DataType::NUMERIC,
         "1234567890123456789012345678901234567890.0123456789", ValueNumeric::static_type()},
        {"'NaN'::numeric", DataType::NUMERIC, "NaN", ValueNumeric::static_type()},
        {"'-12345.67'::money", DataType::NUMERIC, "-$12,345.67", ValueNumeric::static_type()},
        {"0.1::float8", DataType::DOUBLE, "0.1", ValueDouble::static_type()},
        {"1.7976931348623157e308::float8", DataType::DOUBLE, "1.7976931348623157e+308",
         ValueDouble::static_type()},
        {"5e-324::float8", DataType::DOUBLE, "5e-324", ValueDouble::static_type()},
        {"'NaN'::float8", DataType::DOUBLE, "NaN", ValueDouble::static_type()},
        {"'-Infinity'::float8", DataType::DOUBLE, "-Infinity", ValueDouble::static_type()},
        {"3.4028235e38::float4", DataType::FLOAT, "3.4028235e+38", ValueFloat::static_type()},
        {"'Infinity'::float4", DataType::FLOAT, "Infinity", ValueFloat::static_type()},
        {"'héllo wörld ✓ 日本語 😀'::text", DataType::TEXT, "héllo wörld ✓ 日本語 😀",
         ValueString::static_type()},
        {"'ab  '::char(4)", DataType::TEXT, "ab  ", ValueString::static_type()},
        {"'x'::varchar", DataType::TEXT, "x", ValueString::static_type()},
        {"'\\x00ff0041'::bytea", DataType::BINARY, "\\x00ff0041", ValueBinary::static_type()},
        {"'2024-02-29'::date", DataType::DATE, "2024-02-29", ValueDateTime::static_type()},
        {"'13:45:07.123456'::time", DataType::TIME, "13:45:07.123456", ValueTime::static_type()},
        {"'13:45:07+05:30'::timetz", DataType::TIME, "13:45:07+05:30", ValueTime::static_type()},
        {"'2024-02-29 13:45:07.5'::timestamp", DataType::TIMESTAMP, "2024-02-29 13:45:07.5",
         ValueDateTime::static_type()},
        {"'1 year 2 months 3 days 04:05:06.789'::interval", DataType::INTERVAL,
         "1 year 2 mons 3 days 04:05:06.789", ValueInterval::static_type()},
        {"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid", DataType::UUID,
         "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11", ValueString::static_type()},
        {"'{\"a\": [1, 2.50]}'::json", DataType::JSON, "{\"a\": [1, 2.50]}",
         ValueString::static_type()},
        {"'{\"b\": 1, \"a\": [1, 2.50]}'::jsonb", DataType::JSON, "{\"a\": [1, 2.50], \"b\": 1}",
         ValueString::static_type()},
        {"'<a x=\"1\">é</a>'::xml", DataType::XML, "<a x=\"1\">é</a>", ValueString::static_type()},
        {"'192.168.0.1/24'::inet", DataType::TEXT, "192.168.0.1/24", ValueString::static_type()},
        {"'10.0.0.0/8'::cidr", DataType::TEXT, "10.0.0.0/8", ValueString::static_type()},
        {"'08:00:2b:01:02:03'::macaddr", DataType::TEXT, "08:00:2b:01:02:03",
         ValueString::static_type()},
        {"B'1010'", DataType::TEXT, "1010", ValueString::static_type()},
        {"ARRAY[1, NULL, 3]::int4[]", DataType::ARRAY, "{1,NULL,3}", ValueString::static_type()},
        {"ARRAY['a b', 'c\"d']", DataType::ARRAY, "{\"a b\",\"c\\\"d\"}",
         ValueString::static_type()},
        {"point(1.5, -2)", DataType::GEOMETRY, "(1.5,-2)", ValueString::static_type()},
        {"'((0,0),(1,1))'::box", DataType::GEOMETRY, "(1,1),(0,0)", ValueString::static_type()},
        {"'<(1,2),3>'::circle", DataType::GEOMETRY, "<(1,2),3>", ValueString::static_type()},
        {"'a fat cat'::tsvector", DataType::OBJECT, "'a' 'cat' 'fat'", ValueString::static_type()},
        {"'fat & cat'::tsquery", DataType::OBJECT, "'fat' & 'cat'", ValueString::static_type()},
        {"'16/B374D848'::pg_lsn", DataType::OBJECT, "16/B374D848", ValueString::static_type()},
        {"int4range(1, 5)", DataType::TEXT, "[1,5)", ValueString::static_type()},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.expression);
        const ValuePtr value = value_of(test.expression);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(&value->type(), &test.kind) << value->type().name;
        EXPECT_EQ(value->get_data_type(), test.type);
        EXPECT_EQ(value->to_string(), test.text);
        EXPECT_FALSE(value->is_null());
    }
}

TEST_F(TypeRoundTrip, NullOfEveryTypeIsAValueNullTypedByItsColumn) {
    const std::pair<const char*, DataType> types[] = {
        {"bool", DataType::BOOLEAN},
        {"int2", DataType::SMALLINT},
        {"int4", DataType::INTEGER},
        {"int8", DataType::BIGINT},
        {"numeric", DataType::NUMERIC},
        {"money", DataType::NUMERIC},
        {"float4", DataType::FLOAT},
        {"float8", DataType::DOUBLE},
        {"text", DataType::TEXT},
        {"bytea", DataType::BINARY},
        {"date", DataType::DATE},
        {"time", DataType::TIME},
        {"timestamptz", DataType::TIMESTAMP},
        {"interval", DataType::INTERVAL},
        {"uuid", DataType::UUID},
        {"jsonb", DataType::JSON},
        {"xml", DataType::XML},
        {"inet", DataType::TEXT},
        {"int4[]", DataType::ARRAY},
        {"point", DataType::GEOMETRY},
        {"tsvector", DataType::OBJECT},
    };
    std::string sql = "SELECT ";
    for (const auto& [name, type] : types)
        sql += std::string("NULL::") + name + ", ";
    sql.resize(sql.size() - 2);
    auto table = m_provider->execute_model(sql, 0);
    ASSERT_TRUE(table.has_value()) << table.error().message;
    const TablePtr& model = *table;
    ASSERT_EQ(model->get_column_count(), std::size(types));
    for (std::size_t i = 0; i < std::size(types); ++i) {
        SCOPED_TRACE(types[i].first);
        EXPECT_EQ(model->get_columns()[i]->get_data_type(), types[i].second);
        const ValuePtr value = model->get_value_at(0, i);
        EXPECT_TRUE(value->is_null());
        EXPECT_EQ(value->type().name, "DizezidaZozuvoruContractsValueNull");
        EXPECT_EQ(value->get_data_type(), types[i].second);
        EXPECT_TRUE(model->is_null_at(0, i));
        EXPECT_EQ(model->get_text_at(0, i), "");
    }
}

TEST_F(TypeRoundTrip, TypedAccessorsDecodeThePayload) {
    EXPECT_TRUE(std::static_pointer_cast<ValueBoolean>(value_of("true"))->get_boolean());
    EXPECT_EQ(std::static_pointer_cast<ValueInt32>(value_of("(-2147483648)::int4"))->get_int32(),
              std::numeric_limits<std::int32_t>::min());
    const auto big = value_of("9223372036854775807::int8");
    EXPECT_EQ(std::dynamic_pointer_cast<IInteger>(big)->to_integer(),
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(big->to_value().type_name(), "gint64");
    EXPECT_EQ(value_of("1::int2")->to_value().type_name(), "gint16");

    auto number = [&](const char* expression) {
        return std::dynamic_pointer_cast<INumeric>(value_of(expression))->to_double();
    };
    EXPECT_TRUE(std::isnan(number("'NaN'::float8")));
    EXPECT_EQ(number("'-Infinity'::float8"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(number("0.1::float8"), 0.1);
    EXPECT_EQ(number("5e-324::float8"), 5e-324);
    EXPECT_EQ(number("'-12345.67'::money"), -12345.67);
    EXPECT_EQ(number("'12.5'::numeric"), 12.5);
    EXPECT_EQ(number("1e400::numeric"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(number("32767::int2"), 32767.0);

    const auto bytes = std::static_pointer_cast<ValueBinary>(value_of("'\\x00ff0041'::bytea"));
    EXPECT_EQ(bytes->to_bytes(), (ValueBinary::Bytes{0x00, 0xff, 0x00, 0x41}));
    EXPECT_EQ(bytes->to_value().type_name(), "GBinary");
}

TEST_F(TypeRoundTrip, TimeStampsKeepTheirZoneAndReadAsInstants) {
    auto table = m_provider->execute_model(
        "SET TimeZone = 'Asia/Kolkata'; "
        "SELECT '2024-02-29 08:15:07.5+00'::timestamptz, '0044-03-15 12:00:00 BC'::timestamptz, "
        "'infinity'::timestamptz, '2024-02-29'::date",
        0);
    ASSERT_TRUE(table.has_value()) << table.error().message;
    const auto stamp = std::static_pointer_cast<ValueDateTime>((*table)->get_value_at(0, 0));
    EXPECT_EQ(stamp->to_string(), "2024-02-29 13:45:07.5+05:30");
    const auto instant = stamp->to_date_time();
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(instant->unix_microseconds, 1709194507500000);
    EXPECT_EQ(instant->utc_offset_seconds, 19800);
    EXPECT_EQ(stamp->format("%Y-%m-%d %H:%M:%S"), "2024-02-29 13:45:07");
    EXPECT_EQ(stamp->to_value().kind(), Core::ValueKind::DateTime);

    const auto ancient = std::static_pointer_cast<ValueDateTime>((*table)->get_value_at(0, 1));
    EXPECT_NE(ancient->to_string().find(" BC"), std::string::npos);
    EXPECT_FALSE(ancient->to_date_time().has_value());
    EXPECT_EQ(ancient->format("%Y"), ancient->to_string());

    const auto endless = std::static_pointer_cast<ValueDateTime>((*table)->get_value_at(0, 2));
    EXPECT_EQ(endless->to_string(), "infinity");
    EXPECT_FALSE(endless->to_value().get_date_time().has_value());

    const auto day = std::static_pointer_cast<ValueDateTime>((*table)->get_value_at(0, 3));
    EXPECT_EQ(day->format("%d.%m.%Y"), "29.02.2024");
}

TEST_F(TypeRoundTrip, TimesReadAsTimesOfDay) {
    const auto time = std::static_pointer_cast<ValueTime>(value_of("'23:59:58.25-03:30'::timetz"));
    const auto parsed = time->to_time();
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, (TimeOfDay{23, 59, 58, 250000, -12600}));
    EXPECT_EQ(time->to_value().type_name(), "GTime");
}

TEST_F(TypeRoundTrip, StoredRowsSurviveATableRoundTrip) {
    // Values written by one statement and read back from a table: every cell
    // comes back with the text it was given.
    const std::string table = Testing::unique_name("round_trip");
    const std::string columns =
        "b bool, s int2, i int4, l int8, n numeric, m money, f float4, d float8, t text, "
        "y bytea, dt date, tm time, ts timestamp, iv interval, u uuid, j jsonb, x xml, "
        "a int8[], p point, v tsvector";
    const std::string values =
        "true, -32768, 2147483647, -9223372036854775808, "
        "0.000000000000000000000000000000000000001, 92233720368547758.07, 'NaN', 'Infinity', "
        "'it''s \"quoted\" \\ and ✓', '\\x0000ff', '1999-12-31', '24:00:00', "
        "'1999-12-31 23:59:59.999999', '-1 days +00:00:00.000001', "
        "'00000000-0000-0000-0000-000000000000', '[null, true, \"x\"]', '<r/>', "
        "'{-1,0,1}', '(0,0)', 'x:1A'";
    ASSERT_TRUE(m_provider->execute_affect("CREATE TEMP TABLE " + table + " (" + columns + ")", 0));
    auto inserted = m_provider->execute_affect(
        "INSERT INTO " + table + " VALUES (" + values + "), (" + values + ")", 0);
    ASSERT_TRUE(inserted.has_value()) << inserted.error().message;
    EXPECT_EQ(*inserted, 2);
    auto model = m_provider->execute_model("SELECT * FROM " + table, 0);
    ASSERT_TRUE(model.has_value()) << model.error().message;
    const char* expected[] = {"t",
                              "-32768",
                              "2147483647",
                              "-9223372036854775808",
                              "0.000000000000000000000000000000000000001",
                              "$92,233,720,368,547,758.07",
                              "NaN",
                              "Infinity",
                              "it's \"quoted\" \\ and ✓",
                              "\\x0000ff",
                              "1999-12-31",
                              "24:00:00",
                              "1999-12-31 23:59:59.999999",
                              "-1 days +00:00:00.000001",
                              "00000000-0000-0000-0000-000000000000",
                              "[null, true, \"x\"]",
                              "<r/>",
                              "{-1,0,1}",
                              "(0,0)",
                              "'x':1A"};
    ASSERT_EQ((*model)->get_row_count(), 2u);
    ASSERT_EQ((*model)->get_column_count(), std::size(expected));
    for (std::size_t row = 0; row < 2; ++row)
        for (std::size_t column = 0; column < std::size(expected); ++column) {
            SCOPED_TRACE((*model)->get_columns()[column]->get_name());
            EXPECT_EQ((*model)->get_value_at(row, column)->to_string(), expected[column]);
            EXPECT_EQ((*model)->get_text_at(row, column), expected[column]);
        }
    EXPECT_EQ((*model)->get_columns()[5]->get_native_type(), "money");
    EXPECT_EQ((*model)->get_columns()[17]->get_native_type(), "_int8");
}

} // namespace

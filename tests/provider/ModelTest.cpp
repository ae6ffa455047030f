// Result models, value classes and server records in memory.
#include "provider/Contracts/DataSetModel.hpp"
#include "provider/Contracts/DbObject.hpp"
#include "provider/Contracts/ServerSetting.hpp"
#include "provider/Contracts/TableStorage.hpp"
#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Contracts/ValueTemporal.hpp"
#include "tests/support/PlatformLog.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace Dizezida;
using namespace Dizezida::Zozuvoru::Contracts;

namespace {

/// A table of two stored columns (int4, text) with three rows, the middle one NULL.
TablePtr stored_table() {
    auto table = TableModel::create();
    table->add_column(std::make_shared<ColumnModel>("id", DataType::INTEGER, 23, "int4"));
    table->add_column(std::make_shared<ColumnModel>("name", DataType::TEXT, 25, "text"));
    auto& storage = table->storage();
    storage.columns.emplace_back(ColumnCodec{DataType::INTEGER, ValueClass::Int32});
    storage.columns.emplace_back(ColumnCodec{DataType::TEXT, ValueClass::String});
    const char* names[] = {"one", nullptr, "three"};
    for (int i = 0; i < 3; ++i) {
        storage.columns[0].append_text(std::to_string(i + 1));
        if (names[i])
            storage.columns[1].append_text(names[i]);
        else
            storage.columns[1].append_null();
    }
    storage.rows = 3;
    return table;
}

TEST(TableModel, StoredRowsReadAsValuesAndRows) {
    const TablePtr table = stored_table();
    EXPECT_EQ(table->get_n_items(), 3u);
    EXPECT_EQ(table->get_value_at(2, 1)->to_string(), "three");
    EXPECT_TRUE(table->get_value_at(1, 1)->is_null());
    EXPECT_EQ(table->get_value_at(1, 1)->get_data_type(), DataType::TEXT);
    EXPECT_EQ(std::static_pointer_cast<ValueInt32>(table->get_value_at(1, 0))->get_int32(), 2);

    // A row, once taken, is the one the table answers with afterwards.
    const RowPtr row = table->get_row(0);
    row->set_value_at(1, ValueString::create("uno"));
    EXPECT_EQ(table->get_row(0), row);
    EXPECT_EQ(table->get_value_at(0, 1)->to_string(), "uno");
    EXPECT_EQ(table->get_text_at(0, 1), "uno");
    EXPECT_EQ(table->get_rows().size(), 3u);
    EXPECT_EQ(table->get_row(3), nullptr);
}

TEST(TableModel, AppendedRowsFollowTheStoredOnes) {
    const TablePtr table = stored_table();
    RowPtr row = table->new_row();
    ASSERT_EQ(row->size(), 2u);
    EXPECT_TRUE(row->get_value_at(0)->is_null());
    EXPECT_EQ(row->get_value_at(0)->get_data_type(), DataType::INTEGER);
    row->set_value_at(0, std::make_shared<ValueInt32>(4));
    table->append(row);
    EXPECT_EQ(table->get_row_count(), 4u);
    EXPECT_EQ(table->get_value_at(3, 0)->to_string(), "4");
    EXPECT_EQ(table->get_value_at(2, 0)->to_string(), "3");

    Testing::PlatformLogCapture log;
    table->append(nullptr);
    EXPECT_TRUE(log.contains("row != NULL"));
    EXPECT_EQ(table->get_value_at(9, 0), nullptr);
    EXPECT_EQ(table->get_row_count(), 4u);
}

TEST(TableModel, NewWithTypesNamesItsColumns) {
    const DataType types[] = {DataType::TEXT, DataType::BIGINT};
    auto table = TableModel::new_with_types(types);
    ASSERT_EQ(table->get_column_count(), 2u);
    EXPECT_EQ(table->get_columns()[1]->get_name(), "column2");
    EXPECT_EQ(table->get_columns()[1]->get_data_type(), DataType::BIGINT);
    table->get_columns()[0]->set_title("Title");
    EXPECT_EQ(table->get_columns()[0]->get_title(), "Title");
    EXPECT_EQ(table->get_columns()[1]->get_title(), "column2");
    auto row = RowModel::create();
    row->append_value(ValueString::create("a"));
    row->set_version(DataVersion::CHANGE);
    table->append(row);
    EXPECT_EQ(table->get_row(0)->get_version(), DataVersion::CHANGE);

    auto set = DataSetModel::create();
    set->add_table(table);
    EXPECT_EQ(set->get_tables().size(), 1u);
}

TEST(ColumnStore, DecodesEachLayout) {
    ColumnStore bytes(ColumnCodec{DataType::BINARY, ValueClass::Binary});
    bytes.append_text("\\x00ff");
    bytes.append_text("a\\\\b\\000c"); // the escape form
    EXPECT_EQ(std::static_pointer_cast<ValueBinary>(bytes.value_at(0))->to_bytes(),
              (ValueBinary::Bytes{0, 255}));
    EXPECT_EQ(std::static_pointer_cast<ValueBinary>(bytes.value_at(1))->to_bytes(),
              (ValueBinary::Bytes{'a', '\\', 'b', 0, 'c'}));

    ColumnStore flags(ColumnCodec{DataType::BOOLEAN, ValueClass::Boolean});
    for (int i = 0; i < 130; ++i)
        i % 3 ? flags.append_text(i % 2 ? "t" : "f") : flags.append_null();
    EXPECT_TRUE(flags.is_null(129));
    EXPECT_FALSE(flags.is_null(128));
    EXPECT_EQ(flags.text_at(127), "t");
    EXPECT_EQ(flags.text_at(128), "f");
    EXPECT_EQ(flags.size(), 130u);

    ColumnStore big(ColumnCodec{DataType::UBIGINT, ValueClass::UInt64});
    big.append_text("18446744073709551615");
    EXPECT_EQ(big.text_at(0), "18446744073709551615");
}

TEST(Values, TextsAndGenericValuesOfValuesMadeInMemory) {
    EXPECT_EQ(ValueDouble::from_double(0.1)->to_string(), "0.1");
    EXPECT_EQ(ValueDouble::from_double(-INFINITY)->to_string(), "-Infinity");
    EXPECT_TRUE(std::isnan(ValueDouble::from_double(NAN)->get_double()));
    EXPECT_EQ(ValueFloat::from_float(1.5f)->to_value().type_name(), "gfloat");
    EXPECT_EQ(ValueNumeric("(12.50)").to_double(), -12.5);
    EXPECT_EQ(ValueNumeric("garbage").to_double(), 0);
    EXPECT_EQ(ValueNull().to_value().type_name(), "GNull");
    EXPECT_EQ(ValueBoolean(true).to_value().type_name(), "gboolean");
    EXPECT_EQ(ValueInterval("1 day").to_value().get_string(), "1 day");
    EXPECT_EQ(ValueUInt64(18446744073709551615u).to_integer(), -1);

    const Core::DateTime instant{1709194507500000, 3600};
    const auto stamp = ValueDateTime::from_date_time(instant);
    EXPECT_EQ(stamp->to_date_time(), instant);
    EXPECT_FALSE(ValueDateTime("10000-01-01").to_date_time().has_value());
    EXPECT_FALSE(ValueTime("25h").to_time().has_value());
    // Every value's text is a readable property, for comparisons and JSON forms.
    EXPECT_EQ(ValueString("x").get_property("text").get_string(), "x");
}

TEST(Server, CloneCopiesEveryField) {
    auto server = Server::create();
    EXPECT_EQ(server->uuid().size(), 36u);
    EXPECT_NE(server->uuid(), Server::create()->uuid());
    for (const Core::Property* property : server->type().properties()) {
        Core::Value value = Core::Value::default_of(property->kind);
        if (property->kind == Core::ValueKind::String)
            value = Core::Value(std::string(property->name) + " text");
        else if (property->kind == Core::ValueKind::Bool)
            value = Core::Value(true);
        else if (property->kind == Core::ValueKind::UInt)
            value = Core::Value(std::uint32_t{4321});
        else if (property->kind == Core::ValueKind::Int)
            value = Core::Value(std::int32_t{-7});
        ASSERT_TRUE(server->set_property(property->name, value)) << property->name;
    }
    const ServerPtr copy = server->clone();
    EXPECT_TRUE(Core::same_properties(*server, *copy));
    EXPECT_EQ(copy->http_key_file(), "http-key-file text");
    EXPECT_EQ(copy->http_port(), -7);
    EXPECT_TRUE(copy->ssl_using());
    copy->set_host("127.0.0.1");
    copy->set_port(15432);
    EXPECT_EQ(server->host(), "host text");
    EXPECT_EQ(server->port(), 4321u);
    EXPECT_EQ(server->type().properties().size(), 28u); // with ssh-host and ssh-known-hosts-only
}

TEST(ServerSetting, KeepsServersByUuid) {
    auto list = std::make_shared<ServerSetting>();
    int changes = 0;
    list->connect_notify([&](Core::Object&, std::string_view) { ++changes; }, "servers");
    auto first = Server::create();
    first->set_name("local");
    list->add(first);
    auto replacement = first->clone();
    replacement->set_host("db.example");
    list->add(replacement);
    ASSERT_EQ(list->get_servers().size(), 1u);
    EXPECT_EQ(list->find(first->uuid())->host(), "db.example");
    EXPECT_EQ(list->find_by_name("local"), replacement);
    EXPECT_EQ(list->find("nope"), nullptr);
    EXPECT_TRUE(list->remove(first->uuid()));
    EXPECT_FALSE(list->remove(first->uuid()));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(Core::TypeInfo::lookup("DizezidaZozuvoruContractsServerSetting"),
              &ServerSetting::static_type());
}

TEST(DbObject, ToStringGivesEachKindItsNick) {
    EXPECT_EQ(to_string(DbObject::CHECK), "check");
    EXPECT_EQ(to_string(DbObject::VIEW), "view");
    EXPECT_EQ(static_cast<int>(DbObject::VIEW), 45);
}

} // namespace

// The in-memory data comparison: rows paired by key, never by position.
#include "Transform/Patcher.hpp"

#include "Supports/Database/DataTable.hpp"
#include "provider/Contracts/DataSetModel.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

using namespace Dizezida::Zozuvoru::Contracts;
using Dizezida::Dovodarud::Transform::Patcher;
namespace Data = Dizezida::Dovodarud::Supports::Database;

using Row = std::pair<std::optional<int>, std::optional<std::string>>;

/// A table (id integer key, label text) with the rows in the order given.
TablePtr table(const std::vector<Row>& rows, bool keyed = true) {
    auto model = TableModel::create();
    model->set_name("t");
    model->add_column(std::make_shared<ColumnModel>("id", DataType::INTEGER));
    model->add_column(std::make_shared<ColumnModel>("label", DataType::TEXT));
    Data::set_data_table(*model, "s", keyed ? std::vector<std::size_t>{0} : std::vector<std::size_t>{});
    for (const auto& [id, label] : rows) {
        auto row = model->new_row();
        if (id)
            row->set_value_at(0, std::make_shared<ValueInt32>(*id));
        if (label)
            row->set_value_at(1, ValueString::create(*label));
        model->append(row);
    }
    return model;
}

/// The marks of a difference table by key, with the label each row carries.
std::map<std::string, std::pair<DataVersion, std::string>> marks(const TableModel& difference) {
    std::map<std::string, std::pair<DataVersion, std::string>> out;
    for (const auto& row : difference.get_rows())
        out[row->get_value_at(0)->to_string()] = {
            row->get_version(),
            row->get_value_at(1)->is_null() ? "NULL" : row->get_value_at(1)->to_string()};
    return out;
}

TEST(PatcherData, PairsRowsByKeyWhateverTheirOrderAndCount) {
    Patcher patcher;
    // The target misses 1 and 5, holds 9 extra, has 2 changed, NULL and ''
    // swapped on 3 and 4, and stands in another order and is shorter.
    const auto source = table({{1, "a"}, {2, "b"}, {3, std::nullopt}, {4, ""}, {5, "e"}, {6, "f"}});
    const auto target = table({{9, "z"}, {6, "f"}, {4, std::nullopt}, {3, ""}, {2, "B"}});
    TablePtr difference;
    ASSERT_EQ(patcher.diff_data_table(source, target, difference), DataVersion::CHANGE);
    ASSERT_TRUE(difference);
    const std::map<std::string, std::pair<DataVersion, std::string>> expected{
        {"1", {DataVersion::APPEND, "a"}}, {"2", {DataVersion::CHANGE, "b"}},
        {"3", {DataVersion::CHANGE, "NULL"}}, {"4", {DataVersion::CHANGE, ""}},
        {"5", {DataVersion::APPEND, "e"}}, {"9", {DataVersion::REMOVE, "z"}}};
    EXPECT_EQ(marks(*difference), expected);
    // A changed row tags each value: the key equal, the label changed.
    for (const auto& row : difference->get_rows()) {
        if (row->get_version() != DataVersion::CHANGE)
            continue;
        const auto tag = [&](std::size_t i) {
            return *std::static_pointer_cast<DataVersion>(row->get_value_at(i)->get_data("VERSION"));
        };
        EXPECT_EQ(tag(0), DataVersion::EQUAL);
        EXPECT_EQ(tag(1), DataVersion::CHANGE);
    }

    // One row inserted at the top changes nothing else; equal tables give nothing.
    ASSERT_EQ(patcher.diff_data_table(table({{0, "new"}, {1, "a"}, {2, "b"}}),
                                      table({{1, "a"}, {2, "b"}}), difference),
              DataVersion::CHANGE);
    EXPECT_EQ(difference->get_row_count(), 1u);
    EXPECT_EQ(patcher.diff_data_table(table({{1, "a"}, {2, "b"}}), table({{2, "b"}, {1, "a"}}),
                                      difference),
              DataVersion::EQUAL);
    EXPECT_FALSE(difference);
    // An empty target: everything appended, nothing read past its end.
    ASSERT_EQ(patcher.diff_data_table(source, table({}), difference), DataVersion::CHANGE);
    EXPECT_EQ(difference->get_row_count(), 6u);
}

TEST(PatcherData, RefusesRowsItCannotPairByKey) {
    Patcher patcher;
    TablePtr difference;
    const auto keyless = table({{1, "a"}}, false);
    EXPECT_EQ(patcher.diff_data_table(keyless, keyless, difference), DataVersion::NONE);
    EXPECT_FALSE(difference);
    const auto null_key = table({{std::nullopt, "a"}});
    EXPECT_EQ(patcher.diff_data_table(table({{1, "a"}}), null_key, difference), DataVersion::NONE);

    const auto no_key = Data::check_data_keys(*keyless);
    ASSERT_FALSE(no_key);
    EXPECT_NE(no_key.error().message.find("has no primary key"), std::string::npos);
    const auto null_value = Data::check_data_keys(*null_key);
    ASSERT_FALSE(null_value);
    EXPECT_NE(null_value.error().message.find("NULL key value"), std::string::npos);
}

TEST(PatcherData, PairsTablesOfDataSetsByName) {
    Patcher patcher;
    auto named = [](TablePtr model, const std::string& name) {
        model->set_name(name);
        return model;
    };
    auto source = DataSetModel::create();
    source->add_table(named(table({{1, "a"}}), "same"));
    source->add_table(named(table({{1, "a"}, {2, "b"}}), "new"));
    source->add_table(named(table({{1, "a"}}), "changed"));
    auto target = DataSetModel::create();
    target->add_table(named(table({{1, "x"}}), "changed"));
    target->add_table(named(table({{1, "a"}}), "same"));
    std::shared_ptr<DataSetModel> difference;
    ASSERT_EQ(patcher.diff_data_set(source, target, difference), DataVersion::CHANGE);
    ASSERT_EQ(difference->get_tables().size(), 2u);
    EXPECT_EQ(difference->get_tables()[0]->get_name(), "new");
    EXPECT_EQ(difference->get_tables()[0]->get_row_count(), 2u);
    EXPECT_EQ(difference->get_tables()[1]->get_name(), "changed");
    EXPECT_EQ(marks(*difference->get_tables()[1]).at("1").first, DataVersion::CHANGE);

    auto equal = DataSetModel::create();
    equal->add_table(named(table({{1, "a"}}), "same"));
    EXPECT_EQ(patcher.diff_data_set(equal, target, difference), DataVersion::EQUAL);
    EXPECT_FALSE(difference);
}

} // namespace

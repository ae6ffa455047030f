#include "Contracts/Database/DBStatus.hpp"
#include "Contracts/Database/DbMetaType.hpp"
#include "Contracts/Database/SqlAction.hpp"
#include "Contracts/IClonable.hpp"
#include "Contracts/ThreadProgress.hpp"
#include "Exceptions/SQLError.hpp"

#include "core/Properties.hpp"

#include <gtest/gtest.h>

using namespace Dizezida;
using namespace Dizezida::Dovodarud::Contracts;
using namespace Dizezida::Dovodarud::Contracts::Database;
using Dizezida::Dovodarud::Exceptions::SQLError;

TEST(ThreadProgress, StartsEmptyAndCountsSteps) {
    auto progress = ThreadProgress::create();
    EXPECT_EQ(progress->processed, 0u);
    EXPECT_EQ(progress->succeeded, 0u);
    EXPECT_EQ(progress->failed, 0u);
    EXPECT_EQ(progress->elapsed, 0);
    EXPECT_EQ(progress->state, JobState::running);
    EXPECT_TRUE(progress->messages.empty());
    progress->step(true);
    progress->step(false);
    EXPECT_EQ(progress->processed, 2u);
    EXPECT_EQ(progress->succeeded, 1u);
    EXPECT_EQ(progress->failed, 1u);
}

TEST(ThreadProgress, TravelsInAGenericValue) {
    auto progress = ThreadProgress::create();
    const Core::Value value = ThreadProgress::to_value(progress);
    EXPECT_EQ(value.type_name(), "DizezidaDovodarudContractsThreadProgress");
    EXPECT_EQ(ThreadProgress::from_value(value), progress);
    EXPECT_EQ(ThreadProgress::from_value(Core::Value("x")), nullptr);
}

TEST(SqlAction, ToStringGivesTheNick) {
    EXPECT_EQ(to_string(SqlAction::DELETE), "delete");
    EXPECT_EQ(to_string(SqlAction::INSERT), "insert");
    EXPECT_EQ(to_string(static_cast<SqlAction>(42)), "");
}

TEST(Enumerations, KeepTheirNumbersNamesAndNicks) {
    const Core::EnumInfo& meta = enum_info(DbMetaType{});
    ASSERT_EQ(meta.entries.size(), 103u);
    EXPECT_EQ(meta.nick(0), "none");
    EXPECT_EQ(meta.nick(32), "insert-method");
    EXPECT_EQ(meta.nick(33), "user-language");
    EXPECT_EQ(meta.nick(34), "lock-escalation");
    EXPECT_EQ(meta.nick(102), "view-check-option");
    EXPECT_EQ(static_cast<int>(DbMetaType::VIEW_CHECK_OPTION), 102);
    EXPECT_EQ(meta.find(1)->name, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_META_TYPE_ACCESS_TYPE");

    const Core::EnumInfo& errors = enum_info(SQLError{});
    EXPECT_EQ(errors.entries.size(), 38u);
    EXPECT_EQ(static_cast<int>(SQLError::POSTGRESQL_ERROR_START), 20000);
    EXPECT_EQ(static_cast<int>(SQLError::MISSING_PARAMETER), 30033);
    EXPECT_EQ(errors.nick(30001), "unknown");
    EXPECT_EQ(errors.find(30006)->name, "DIZEZIDA_DOVODARUD_EXCEPTIONS_SQL_ERROR_BUSY");
    EXPECT_STREQ(Dizezida::Dovodarud::Exceptions::sql_error_quark(),
                 "dizezida-dovodarud-exceptions-sql-error-quark");

    EXPECT_EQ(enum_info(DBStatus{}).find(2)->name, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_STATUS_Opened");
    EXPECT_EQ(Core::nick_of(DBStatus::Failed), "failed");
}

namespace {

class Bag : public Core::Object, public IClonable {
    DIZEZIDA_OBJECT(Bag)
public:
    std::string m_name;
    Core::ObjectList m_items;
};

const Core::TypeInfo& Bag::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Bag, Core::Object>(
        "TestBag",
        {Core::prop("name", &Bag::m_name), Core::prop("items", &Bag::m_items, Core::Readable)},
        {&IClonable::static_type()});
    return info;
}

} // namespace

TEST(IClonable, DefaultCloneCopiesReadOnlyListIntoTheClonesOwnList) {
    auto bag = std::make_shared<Bag>();
    bag->m_name = "bag";
    for (int i = 0; i < 3; ++i)
        bag->m_items.push_back(std::make_shared<Bag>());
    const IClonable& clonable = *bag;
    auto copy = Core::object_cast<Bag>(clonable.clone());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->m_name, "bag");
    EXPECT_EQ(copy->m_items, bag->m_items);
    copy->m_items.push_back(nullptr);
    EXPECT_EQ(bag->m_items.size(), 3u);
}

#include "Contracts/Database/DBStatus.hpp"
#include "Contracts/Database/SqlAction.hpp"

#include <iterator>

namespace Dizezida::Dovodarud::Contracts::Database {
namespace {

constexpr Core::EnumEntry k_status_entries[] = {
    {0, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_STATUS_Unknown", "unknown"},
    {1, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_STATUS_Closed", "closed"},
    {2, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_STATUS_Opened", "opened"},
    {3, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_DB_STATUS_Failed", "failed"},
};

constexpr Core::EnumEntry k_action_entries[] = {
    {0, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_NOTHING", "nothing"},
    {1, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_INSERT", "insert"},
    {2, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_UPDATE", "update"},
    {3, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_DELETE", "delete"},
    {4, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_SCHEMA", "schema"},
    {5, "DIZEZIDA_DOVODARUD_CONTRACTS_DATABASE_SQL_ACTION_FEATURE", "feature"},
};

} // namespace

DIZEZIDA_DEFINE_ENUM(DBStatus, "DizezidaDovodarudContractsDatabaseDBStatus", k_status_entries, 4,
                     false)
DIZEZIDA_DEFINE_ENUM(SqlAction, "DizezidaDovodarudContractsDatabaseSqlAction", k_action_entries,
                     6, false)

std::string to_string(SqlAction action) { return std::string(Core::nick_of(action)); }

} // namespace Dizezida::Dovodarud::Contracts::Database

#include "Contracts/Database/IStatement.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

const Core::TypeInfo& IStatement::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDatabaseIStatement");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Database

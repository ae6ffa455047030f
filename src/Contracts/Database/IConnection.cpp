#include "Contracts/Database/IConnection.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

const Core::TypeInfo& IConnection::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDatabaseIConnection");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Database

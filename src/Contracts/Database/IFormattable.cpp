#include "Contracts/Database/IFormattable.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

const Core::TypeInfo& IFormattable::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDatabaseIFormattable");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Database

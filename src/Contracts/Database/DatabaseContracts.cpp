#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Contracts/Database/IExplorable.hpp"
#include "Contracts/Database/ITypeCatalog.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

#define DIZEZIDA_DATABASE_INTERFACE(Interface)                                                     \
    const Core::TypeInfo& Interface::static_type() {                                               \
        static const Core::TypeInfo info =                                                         \
            Core::TypeInfo::make_interface("DizezidaDovodarudContractsDatabase" #Interface);      \
        return info;                                                                               \
    }
DIZEZIDA_DATABASE_INTERFACE(IAdaptable)
DIZEZIDA_DATABASE_INTERFACE(IExplorable)
DIZEZIDA_DATABASE_INTERFACE(IInspectable)
DIZEZIDA_DATABASE_INTERFACE(IBuildable)
#undef DIZEZIDA_DATABASE_INTERFACE

} // namespace Dizezida::Dovodarud::Contracts::Database


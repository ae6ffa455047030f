#include "Contracts/Container/IContainer.hpp"

namespace Dizezida::Dovodarud::Contracts::Container {

const Core::TypeInfo& IContainer::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsContainerIContainer");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Container

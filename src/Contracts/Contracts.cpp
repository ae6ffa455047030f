#include "Contracts/IClonable.hpp"
#include "Contracts/Storage/IStorable.hpp"

#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Contracts {

const Core::TypeInfo& IClonable::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsIClonable");
    return info;
}

Core::ObjectPtr IClonable::clone() const {
    const auto* self = dynamic_cast<const Core::Object*>(this);
    DIZEZIDA_RETURN_VAL_IF_NULL(self, nullptr);
    return Core::clone_object(*self);
}

} // namespace Dizezida::Dovodarud::Contracts

namespace Dizezida::Dovodarud::Contracts::Storage {

const Core::TypeInfo& IStorable::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsStorageIStorable");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Storage

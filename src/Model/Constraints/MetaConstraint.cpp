#include "Model/Constraints/MetaConstraint.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaConstraint::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<MetaConstraint, MetaObject>("DizezidaDovodarudMetaModelMetaConstraint");
    return info;
}

std::shared_ptr<MetaConstraint> MetaConstraint::with_names(std::string name) {
    return make_named<MetaConstraint>(std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaConstraint)

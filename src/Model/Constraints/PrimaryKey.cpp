#include "Model/Constraints/PrimaryKey.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& PrimaryKey::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<PrimaryKey, MetaConstraint>("DizezidaDovodarudMetaModelPrimaryKey");
    return info;
}

std::shared_ptr<PrimaryKey> PrimaryKey::with_name(std::string name) {
    return make_named<PrimaryKey>(std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::PrimaryKey)

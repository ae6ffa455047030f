#include "Model/MetaRole.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaRole::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<MetaRole, MetaRelation>("DizezidaDovodarudMetaModelMetaRole");
    return info;
}

std::shared_ptr<MetaRole> MetaRole::with_names(std::string database, std::string schema,
                                               std::string name, std::string scope) {
    return make_account<MetaRole>(std::move(database), std::move(schema), std::move(name),
                                  std::move(scope));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaRole)

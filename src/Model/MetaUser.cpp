#include "Model/MetaUser.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaUser::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaUser, MetaRelation>(
        "DizezidaDovodarudMetaModelMetaUser",
        {
            prop("default-schema", &MetaUser::m_default_schema),
        });
    return info;
}

std::shared_ptr<MetaUser> MetaUser::with_names(std::string database, std::string schema,
                                               std::string name, std::string scope) {
    return make_account<MetaUser>(std::move(database), std::move(schema), std::move(name),
                                  std::move(scope));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaUser)

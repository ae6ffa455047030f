#include "Model/MetaRelation.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaRelation::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaRelation, MetaObject>(
        "DizezidaDovodarudMetaModelMetaRelation",
        {
            prop("relations", &MetaRelation::m_relations),
            prop("privileges", &MetaRelation::m_privileges),
            prop("scope", &MetaRelation::m_scope),
            prop("password", &MetaRelation::m_password),
        });
    return info;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaRelation)

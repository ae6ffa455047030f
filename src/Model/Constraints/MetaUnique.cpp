#include "Model/Constraints/MetaUnique.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaUnique::static_type() {
    using namespace Core;
    using C = MetaUnique;
    static const TypeInfo info = TypeInfo::make_class<C, MetaConstraint>(
        "DizezidaDovodarudMetaModelMetaUnique",
        {
            prop("columns", &C::m_columns),
            prop("conflict", &C::m_conflict),
            prop("is-primary-key", &C::m_is_primary_key),
            prop("table-space", &C::m_table_space),
            prop("with", &C::m_with),
            prop("include", &C::m_include),
            prop("deferrable", &C::m_deferrable),
        });
    return info;
}

std::shared_ptr<MetaUnique> MetaUnique::with_name(std::string name) {
    return make_named<MetaUnique>(std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaUnique)

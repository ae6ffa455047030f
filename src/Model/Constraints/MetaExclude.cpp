#include "Model/Constraints/MetaExclude.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaExclude::static_type() {
    using namespace Core;
    using C = MetaExclude;
    static const TypeInfo info = TypeInfo::make_class<C, MetaConstraint>(
        "DizezidaDovodarudMetaModelMetaExclude",
        {
            prop("index-method", &C::m_index_method),
            prop("table-space", &C::m_table_space),
            prop("with", &C::m_with),
            prop("include", &C::m_include),
            prop("where", &C::m_where),
            prop("deferrable", &C::m_deferrable),
            prop("elements", &C::m_elements),
        });
    return info;
}

std::shared_ptr<MetaExclude> MetaExclude::with_name(std::string name) {
    return make_named<MetaExclude>(std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaExclude)

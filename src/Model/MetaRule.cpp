#include "Model/MetaRule.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaRule::static_type() {
    using namespace Core;
    using C = MetaRule;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaRule",
        {
            prop("commands", &C::m_commands),
            prop("action", &C::m_action),
            prop("event", &C::m_event),
            prop("where", &C::m_where),
            prop("apply", &C::m_apply),
            prop("enable", &C::m_enable),
            prop("definition", &C::m_definition),
        });
    return info;
}

std::shared_ptr<MetaRule> MetaRule::with_name(std::string name) {
    return make_named<MetaRule>(std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaRule)

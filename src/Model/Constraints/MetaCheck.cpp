#include "Model/Constraints/MetaCheck.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaCheck::static_type() {
    using namespace Core;
    using C = MetaCheck;
    static const TypeInfo info = TypeInfo::make_class<C, MetaConstraint>(
        "DizezidaDovodarudMetaModelMetaCheck",
        {
            prop("enforced", &C::m_enforced),
            prop("no-inherit", &C::m_no_inherit, ReadWrite, true),
            prop("check", &C::m_check),
            prop("deferrable", &C::m_deferrable),
        });
    return info;
}

std::shared_ptr<MetaCheck> MetaCheck::with_name(std::string name, std::string check) {
    auto constraint = make_named<MetaCheck>(std::move(name));
    constraint->set_check(std::move(check));
    return constraint;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaCheck)

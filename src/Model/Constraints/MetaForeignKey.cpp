#include "Model/Constraints/MetaForeignKey.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaForeignKey::static_type() {
    using namespace Core;
    using C = MetaForeignKey;
    static const TypeInfo info = TypeInfo::make_class<C, MetaConstraint>(
        "DizezidaDovodarudMetaModelMetaForeignKey",
        {
            prop("refer-database", &C::m_refer_database),
            prop("refer-schema", &C::m_refer_schema),
            prop("refer-table", &C::m_refer_table),
            prop("local-columns", &C::m_local_columns),
            prop("refer-columns", &C::m_refer_columns),
            prop("match-method", &C::m_match_method),
            prop("delete-action", &C::m_delete_action),
            prop("update-action", &C::m_update_action),
            prop("deferrable", &C::m_deferrable),
        });
    return info;
}

std::shared_ptr<MetaForeignKey> MetaForeignKey::with_name(std::string name) {
    return make_named<MetaForeignKey>(std::move(name));
}

std::shared_ptr<MetaForeignKey> MetaForeignKey::with_refer(std::string name, std::string refer_schema,
                                                           std::string refer_table) {
    auto constraint = make_named<MetaForeignKey>(std::move(name));
    constraint->set_refer_schema(std::move(refer_schema));
    constraint->set_refer_table(std::move(refer_table));
    return constraint;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaForeignKey)

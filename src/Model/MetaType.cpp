#include "Model/MetaType.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaType::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaType, MetaObject>(
        "DizezidaDovodarudMetaModelMetaType",
        {
            prop("kind", &MetaType::m_kind),
            prop("definition", &MetaType::m_definition),
        });
    return info;
}

std::shared_ptr<MetaType> MetaType::with_names(std::string database, std::string schema,
                                               std::string name) {
    return make_with_names<MetaType>(std::move(database), std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaType)

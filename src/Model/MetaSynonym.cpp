#include "Model/MetaSynonym.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaSynonym::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaSynonym, MetaObject>(
        "DizezidaDovodarudMetaModelMetaSynonym",
        {
            prop("target", &MetaSynonym::m_target),
        });
    return info;
}

std::shared_ptr<MetaSynonym> MetaSynonym::with_names(std::string schema, std::string name) {
    return make_with_names<MetaSynonym>("", std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaSynonym)

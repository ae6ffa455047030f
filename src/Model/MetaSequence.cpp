#include "Model/MetaSequence.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaSequence::static_type() {
    using namespace Core;
    using Self = MetaSequence;
    static const TypeInfo info = TypeInfo::make_class<Self, MetaObject>(
        "DizezidaDovodarudMetaModelMetaSequence",
        {
            prop("data-type", &Self::m_data_type),
            prop("start", &Self::m_start),
            prop("increment", &Self::m_increment),
            prop("minimum", &Self::m_minimum),
            prop("maximum", &Self::m_maximum),
            prop("cache", &Self::m_cache),
            prop("cycle", &Self::m_cycle),
            prop("owned-schema", &Self::m_owned_schema),
            prop("owned-table", &Self::m_owned_table),
            prop("owned-column", &Self::m_owned_column),
        });
    return info;
}

std::shared_ptr<MetaSequence> MetaSequence::with_names(std::string database, std::string schema,
                                                       std::string name) {
    return make_with_names<MetaSequence>(std::move(database), std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaSequence)

#include "Model/Materialized.hpp"

#include "Model/MetaIndex.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& Materialized::static_type() {
    using namespace Core;
    using C = Materialized;
    static const TypeInfo info = TypeInfo::make_class<C, MetaView>(
        "DizezidaDovodarudMetaModelMaterialized",
        {
            prop("table-space", &C::m_table_space),
            prop("definer", &C::m_definer),
            prop("fill-factor", &C::m_fill_factor),
            prop("with-data", &C::m_with_data, ReadWrite, true),
            prop("indexes", &C::m_indexes),
        });
    return info;
}

std::shared_ptr<Materialized> Materialized::with_names(std::string database, std::string schema,
                                                       std::string name) {
    return make_with_names<Materialized>(std::move(database), std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::Materialized)

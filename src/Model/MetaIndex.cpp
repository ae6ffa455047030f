#include "Model/MetaIndex.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaIndex::static_type() {
    using namespace Core;
    using C = MetaIndex;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaIndex",
        {
            prop("entity", &C::m_entity),
            prop("class", &C::m_class),
            prop("method", &C::m_method),
            prop("parser", &C::m_parser),
            prop("algorithm", &C::m_algorithm),
            prop("lock", &C::m_lock),
            prop("where", &C::m_where),
            prop("table-space", &C::m_table_space),
            prop("with", &C::m_with),
            prop("include", &C::m_include),
            prop("kind", &C::m_kind),
            prop("is-concurrent", &C::m_is_concurrent),
            prop("is-only", &C::m_is_only),
            prop("is-visible", &C::m_is_visible),
            prop("is-clustered", &C::m_is_clustered),
            prop("key-block-size", &C::m_key_block_size),
            prop("columns", &C::m_columns),
        });
    return info;
}

std::shared_ptr<MetaIndex> MetaIndex::with_names(std::string database, std::string schema,
                                                 std::string entity, std::string name) {
    auto index = make_with_names<MetaIndex>(std::move(database), std::move(schema), std::move(name));
    index->set_entity(std::move(entity));
    return index;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaIndex)

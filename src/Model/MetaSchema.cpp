#include "Model/MetaSchema.hpp"

#include "Model/Materialized.hpp"
#include "Model/MetaEvent.hpp"
#include "Model/MetaFunction.hpp"
#include "Model/MetaSequence.hpp"
#include "Model/MetaType.hpp"
#include "Model/MetaTable.hpp"
#include "Model/MetaView.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaSchema::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaSchema, MetaObject>(
        "DizezidaDovodarudMetaModelMetaSchema",
        {
            prop("events", &MetaSchema::m_events),
            prop("functions", &MetaSchema::m_functions),
            prop("procedures", &MetaSchema::m_procedures),
            prop("tables", &MetaSchema::m_tables),
            prop("miews", &MetaSchema::m_miews),
            prop("views", &MetaSchema::m_views),
            prop("types", &MetaSchema::m_types),
            prop("sequences", &MetaSchema::m_sequences),
        });
    return info;
}

std::shared_ptr<MetaSchema> MetaSchema::with_names(std::string database, std::string schema) {
    return make_with_names<MetaSchema>(std::move(database), schema, schema);
}

std::string MetaSchema::fullname(bool with_database, bool with_kind) const {
    std::string names = with_database ? get_database() + "." : std::string();
    return decorate_fullname(with_kind, names + get_name() + ".");
}

MetaObjectList MetaSchema::objects() const {
    MetaObjectList all;
    const auto add = [&](const auto& list) {
        for (const auto& object : list)
            if (object)
                all.push_back(object);
    };
    add(m_types);
    add(m_sequences);
    add(m_functions);
    add(m_procedures);
    add(m_tables);
    add(m_views);
    add(m_miews);
    return all;
}

void MetaSchema::reset() {
    m_events.clear();
    m_functions.clear();
    m_tables.clear();
    m_views.clear();
    m_types.clear();
    m_sequences.clear();
    MetaObject::reset();
}

Core::ObjectPtr MetaSchema::clone() const {
    auto copy = std::static_pointer_cast<MetaSchema>(MetaObject::clone());
    if (copy) {
        clone_elements(m_tables, copy->m_tables);
        clone_elements(m_views, copy->m_views);
    }
    return copy;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaSchema)

#include "Model/MetaEvent.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaEvent::static_type() {
    using namespace Core;
    using C = MetaEvent;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaEvent",
        {
            prop("kind", &C::m_kind),
            prop("body", &C::m_body),
            prop("definer", &C::m_definer),
            prop("state", &C::m_state),
            prop("schedule", &C::m_schedule),
            prop("completion", &C::m_completion),
        });
    return info;
}

std::shared_ptr<MetaEvent> MetaEvent::with_names(std::string database, std::string schema,
                                                 std::string name) {
    return make_with_names<MetaEvent>(std::move(database), std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaEvent)

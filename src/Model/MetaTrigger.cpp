#include "Model/MetaTrigger.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaTrigger::static_type() {
    using namespace Core;
    using C = MetaTrigger;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaTrigger",
        {
            prop("kind", &C::m_kind),
            prop("target", &C::m_target),
            prop("body", &C::m_body),
            prop("definer", &C::m_definer),
            prop("timing", &C::m_timing),
            prop("event", &C::m_event),
            prop("when", &C::m_when),
            prop("order", &C::m_order),
            prop("trigger", &C::m_trigger),
            prop("columns", &C::m_columns),
            prop("deferrable", &C::m_deferrable),
            prop("deferred", &C::m_deferred),
            prop("function", &C::m_function),
            prop("arguments", &C::m_arguments),
            prop("for-each", &C::m_for_each, ReadWrite, std::string("ROW")),
            prop("refer-table", &C::m_refer_table),
            prop("constraint", &C::m_constraint),
            prop("apply", &C::m_apply),
            prop("enable", &C::m_enable),
        });
    return info;
}

std::shared_ptr<MetaTrigger> MetaTrigger::with_names(std::string database, std::string schema,
                                                     std::string name) {
    return make_with_names<MetaTrigger>(std::move(database), std::move(schema), std::move(name));
}

std::shared_ptr<MetaTrigger> MetaTrigger::with_body(std::string name, std::string body) {
    auto trigger = make_named<MetaTrigger>(std::move(name));
    trigger->set_body(std::move(body));
    return trigger;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaTrigger)

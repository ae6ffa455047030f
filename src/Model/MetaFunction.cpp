#include "Model/MetaFunction.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaFunction::static_type() {
    using namespace Core;
    using C = MetaFunction;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaFunction",
        {
            prop("is-function", &C::m_is_function),
            prop("return-type", &C::m_return_type),
            prop("body", &C::m_body),
            prop("parameters", &C::m_parameters),
        });
    return info;
}

std::shared_ptr<MetaFunction> MetaFunction::with_names(std::string database, std::string schema,
                                                       std::string name) {
    return make_with_names<MetaFunction>(std::move(database), std::move(schema), std::move(name));
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaFunction)

#include "Model/MetaColumn.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaColumn::static_type() {
    using namespace Core;
    using C = MetaColumn;
    static const TypeInfo info = TypeInfo::make_class<C, MetaObject>(
        "DizezidaDovodarudMetaModelMetaColumn",
        {
            prop("ordinal", &C::m_ordinal),
            prop("alias", &C::m_alias),
            prop("after", &C::m_after),
            prop("raw-type", &C::m_raw_type),
            prop("data-type", &C::m_data_type),
            prop("length", &C::m_length),
            prop("scale", &C::m_scale),
            prop("dimension", &C::m_dimension),
            prop("is-unsigned", &C::m_is_unsigned),
            prop("auto-increment", &C::m_auto_increment),
            prop("auto-increment-seed", &C::m_auto_increment_seed),
            prop("identity", &C::m_identity),
            prop("default-value", &C::m_default_value),
            prop("virtual-type", &C::m_virtual_type),
            prop("expression", &C::m_expression),
            prop("not-null", &C::m_not_null),
            prop("is-selected", &C::m_is_selected),
            prop("is-virtual", &C::m_is_virtual),
            prop("is-user-defined", &C::m_is_user_defined),
            prop("is-primary-key", &C::m_is_primary_key),
            prop("primary-ordinal", &C::m_primary_ordinal),
            prop("primary-length", &C::m_primary_length),
            prop("conflict", &C::m_conflict),
            prop("charset", &C::m_charset),
            prop("collation", &C::m_collation),
            prop("enum-values", &C::m_enum_values),
            prop("is-binary", &C::m_is_binary),
            prop("is-fill-zero", &C::m_is_fill_zero),
            prop("update-timestamp", &C::m_update_timestamp),
            prop("is-generated-always", &C::m_is_generated_always),
        });
    return info;
}

std::shared_ptr<MetaColumn> MetaColumn::with_type(std::string name, DataType data_type,
                                                  std::string raw_type) {
    auto column = make_named<MetaColumn>(std::move(name));
    column->set_data_type(data_type);
    column->set_raw_type(std::move(raw_type));
    return column;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaColumn)

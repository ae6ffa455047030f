#include "provider/Contracts/RowModel.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

namespace Dizezida::Zozuvoru::Contracts {

ValuePtr RowModel::get_value_at(std::size_t index) const {
    DIZEZIDA_RETURN_VAL_IF_FAIL(index < m_values.size(), nullptr);
    return m_values[index];
}

void RowModel::set_value_at(std::size_t index, ValuePtr value) {
    DIZEZIDA_RETURN_IF_NULL(value);
    while (m_values.size() <= index)
        m_values.push_back(std::make_shared<ValueNull>());
    m_values[index] = std::move(value);
}

void RowModel::append_value(ValuePtr value) {
    DIZEZIDA_RETURN_IF_NULL(value);
    m_values.push_back(std::move(value));
}

const Core::TypeInfo& RowModel::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<RowModel, Object>(
        "DizezidaZozuvoruContractsRowModel",
        {prop("values", &RowModel::m_values, Readable), prop("version", &RowModel::m_version)});
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::RowModel)

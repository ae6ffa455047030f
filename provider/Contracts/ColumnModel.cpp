#include "provider/Contracts/ColumnModel.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Zozuvoru::Contracts {

const Core::TypeInfo& ColumnModel::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<ColumnModel, Object>(
        "DizezidaZozuvoruContractsColumnModel",
        {prop("name", &ColumnModel::m_name), prop("title", &ColumnModel::m_title),
         prop("data-type", &ColumnModel::m_data_type),
         prop("type-oid", &ColumnModel::m_type_oid, Readable),
         prop("native-type", &ColumnModel::m_native_type, Readable)});
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ColumnModel)

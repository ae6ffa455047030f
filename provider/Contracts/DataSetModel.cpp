#include "provider/Contracts/DataSetModel.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

namespace Dizezida::Zozuvoru::Contracts {

void DataSetModel::add_table(TablePtr table) {
    DIZEZIDA_RETURN_IF_NULL(table);
    m_tables.push_back(std::move(table));
}

const Core::TypeInfo& DataSetModel::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<DataSetModel, Object>(
        "DizezidaZozuvoruContractsDataSetModel",
        {prop("name", &DataSetModel::m_name), prop("tables", &DataSetModel::m_tables, Readable)});
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::DataSetModel)

#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/IProvider.hpp"

namespace Dizezida::Zozuvoru::Contracts {

const Core::TypeInfo& IProvider::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsIProvider");
    return info;
}

const Core::TypeInfo& IDataReader::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsIDataReader");
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

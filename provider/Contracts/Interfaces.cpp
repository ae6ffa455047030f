#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/IProvider.hpp"

namespace Dizezida::Zozuvoru::Contracts {

const Core::TypeInfo& IProvider::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsIProvider");
    return info;
}

Core::Result<std::int64_t> IProvider::copy_in(std::string_view, std::string_view) {
    return Core::fail(Core::Error::make("dizezida-zozuvoru-provider-error-quark", 0,
                                        "this provider cannot copy rows in"));
}

const Core::TypeInfo& IDataReader::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsIDataReader");
    return info;
}

} // namespace Dizezida::Zozuvoru::Contracts

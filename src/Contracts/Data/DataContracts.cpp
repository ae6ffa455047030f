#include "Contracts/Data/IDocument.hpp"
#include "Contracts/Data/IExporter.hpp"
#include "Contracts/Data/IImporter.hpp"

namespace Dizezida::Dovodarud::Contracts::Data {

const Core::TypeInfo& IExporter::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDataIExporter");
    return info;
}

const Core::TypeInfo& IImporter::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDataIImporter");
    return info;
}

const Core::TypeInfo& IDocument::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDataIDocument");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Data

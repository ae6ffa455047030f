// A document made from a filled database model (a data dictionary), written
// to a file whole or not at all.
#pragma once

#include "Contracts/Data/Configuration.hpp"

#include "core/Error.hpp"
#include "core/Object.hpp"

#include <memory>
#include <string>

namespace Dizezida::Dovodarud::MetaModel {
class MetaDatabase;
}

namespace Dizezida::Dovodarud::Contracts::Data {

class IDocument {
    DIZEZIDA_INTERFACE(IDocument)
public:
    virtual ~IDocument() = default;

    [[nodiscard]] virtual Core::Result<void>
    produce(const std::shared_ptr<MetaModel::MetaDatabase>& meta_database,
            const std::string& filename, const Configuration& cfg) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Data

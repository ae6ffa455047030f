// The contract of every object of the meta model: it can be copied and
// returned to its empty state.
#pragma once

#include "core/Object.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class IMetaData {
    DIZEZIDA_INTERFACE(IMetaData)
public:
    virtual ~IMetaData() = default;
    /// A new object of the same class (see MetaObject::clone for what is copied).
    virtual Core::ObjectPtr clone() const = 0;
    /// Empties the object so that it can be filled again; its names stay.
    virtual void reset() = 0;
};

} // namespace Dizezida::Dovodarud::MetaModel

// The cloning contract with its default, property-driven implementation.
#pragma once

#include "core/Object.hpp"

namespace Dizezida::Dovodarud::Contracts {

class IClonable {
    DIZEZIDA_INTERFACE(IClonable)
public:
    virtual ~IClonable() = default;
    /// A new object of the same class. The default copies construct and
    /// writable properties (objects shared) and the elements of read-only
    /// list and map properties into the clone's own collections.
    virtual Core::ObjectPtr clone() const;
};

} // namespace Dizezida::Dovodarud::Contracts

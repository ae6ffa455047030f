// The contract through which the system asks for create, alter, drop and
// call scripts of meta-model objects. A connection hands out its dialect's
// builder; the operations come with the script builder.
#pragma once

#include "core/Object.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

class IBuildable {
    DIZEZIDA_INTERFACE(IBuildable)
public:
    virtual ~IBuildable() = default;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

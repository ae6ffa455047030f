// The contract of a server connection (its operations come with the
// connection layer).
#pragma once

#include "core/Object.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

class IConnection {
    DIZEZIDA_INTERFACE(IConnection)
public:
    virtual ~IConnection() = default;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

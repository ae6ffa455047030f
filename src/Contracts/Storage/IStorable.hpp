// Something the front end can load from and save to a location of its choice.
// The library declares the contract only; it neither implements nor calls it.
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"

#include <string>

namespace Dizezida::Dovodarud::Contracts::Storage {

class IStorable {
    DIZEZIDA_INTERFACE(IStorable)
public:
    virtual ~IStorable() = default;
    [[nodiscard]] virtual Core::Result<void> load(const std::string& location) = 0;
    [[nodiscard]] virtual Core::Result<void> save(const std::string& location) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Storage

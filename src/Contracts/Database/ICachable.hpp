// A thread-safe text cache kept per connection.
#pragma once

#include "core/Object.hpp"

#include <optional>
#include <string>

namespace Dizezida::Dovodarud::Contracts::Database {

class ICachable {
    DIZEZIDA_INTERFACE(ICachable)
public:
    virtual ~ICachable() = default;
    /// Stores or replaces the value of a key.
    virtual void append(const std::string& key, const std::string& value) = 0;
    /// A copy of the value of a key, or nothing when the key is absent.
    virtual std::optional<std::string> lookup(const std::string& key) const = 0;
    /// Removes every entry.
    virtual void clear() = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

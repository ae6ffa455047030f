// The dependency-injection container contract, keyed by type records.
#pragma once

#include "core/Object.hpp"

#include <functional>

namespace Dizezida::Dovodarud::Contracts::Container {

class IContainer {
    DIZEZIDA_INTERFACE(IContainer)
public:
    /// Makes a new object for a key; the container keeps it as the key's instance.
    using Factory = std::function<Core::ObjectPtr(IContainer&)>;

    virtual ~IContainer() = default;
    /// Whether the key is registered in any of the three maps.
    virtual bool has(const Core::TypeInfo* type) const = 0;
    /// Records an existing object; it must be a `key_type` (derive from it or implement it).
    virtual void register_instance(const Core::TypeInfo* key_type, Core::ObjectPtr instance) = 0;
    /// Records that the class `value_type` (a `key_type`) stands for the key.
    virtual void register_type(const Core::TypeInfo* key_type,
                               const Core::TypeInfo* value_type) = 0;
    /// Records a factory for the key; it runs at most once.
    virtual void register_factory(const Core::TypeInfo* key_type, Factory factory) = 0;
    /// The shared object serving the key, built on first use; nullptr when
    /// nothing can be built.
    virtual Core::ObjectPtr resolve(const Core::TypeInfo* type) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Container

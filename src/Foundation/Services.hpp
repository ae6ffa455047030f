// The process-wide service registry: a static facade over one Container.
//
// The front end calls `initialize` and registers the services at start-up;
// the library only resolves them with `get<T>()`. The pointer to the
// container is guarded; the container itself is not (see Container).
#pragma once

#include "Contracts/Container/IContainer.hpp"

#include <memory>

namespace Dizezida::Dovodarud::Foundation {

class Services {
public:
    Services() = delete;

    /// Creates the process-wide container unless there is one already.
    static void initialize();
    static void register_instance(const Core::TypeInfo* key_type, Core::ObjectPtr instance);
    static void register_type(const Core::TypeInfo* key_type, const Core::TypeInfo* value_type);
    /// The object serving the key; nullptr before `initialize`.
    static Core::ObjectPtr resolve(const Core::TypeInfo* type);
    /// The process-wide container, or nullptr before `initialize`.
    static std::shared_ptr<Contracts::Container::IContainer> container();

    template <class Key> static void register_instance(std::shared_ptr<Key> instance) {
        register_instance(&Key::static_type(), std::dynamic_pointer_cast<Core::Object>(instance));
    }
    template <class Key, class Implementation> static void register_type() {
        register_type(&Key::static_type(), &Implementation::static_type());
    }
    /// The service registered for T, typed; nullptr before `initialize`.
    template <class T> static std::shared_ptr<T> get() {
        return std::dynamic_pointer_cast<T>(resolve(&T::static_type()));
    }
};

} // namespace Dizezida::Dovodarud::Foundation

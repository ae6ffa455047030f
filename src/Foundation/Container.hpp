// The one IContainer implementation: type, instance and factory maps, with
// lazily built singletons and constructor injection through construct
// properties whose declared type is exactly a registered key.
//
// No lock: registration happens on the main thread before worker threads
// exist; resolve shared services once on the main thread (or under a lock of
// your own).
#pragma once

#include "Contracts/Container/IContainer.hpp"

#include <unordered_map>

namespace Dizezida::Dovodarud::Foundation {

class Container : public Core::Object, public Contracts::Container::IContainer {
    DIZEZIDA_OBJECT(Container)
public:
    bool has(const Core::TypeInfo* type) const override;
    void register_instance(const Core::TypeInfo* key_type, Core::ObjectPtr instance) override;
    void register_type(const Core::TypeInfo* key_type, const Core::TypeInfo* value_type) override;
    void register_factory(const Core::TypeInfo* key_type, Factory factory) override;
    Core::ObjectPtr resolve(const Core::TypeInfo* type) override;

private:
    /// The value to inject into a construct property, when a key is exactly its type.
    bool injection_for(const Core::Property& property, Core::ConstructList& list);

    std::unordered_map<const Core::TypeInfo*, const Core::TypeInfo*> m_types;
    std::unordered_map<const Core::TypeInfo*, Core::ObjectPtr> m_instances;
    std::unordered_map<const Core::TypeInfo*, Factory> m_factories;
};

} // namespace Dizezida::Dovodarud::Foundation

#include "Foundation/Container.hpp"

#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Foundation {

const Core::TypeInfo& Container::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Container, Core::Object>(
        "DizezidaDovodarudFoundationContainer", {}, {&IContainer::static_type()});
    return info;
}

bool Container::has(const Core::TypeInfo* type) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(type, false);
    return m_types.contains(type) || m_instances.contains(type) || m_factories.contains(type);
}

void Container::register_instance(const Core::TypeInfo* key_type, Core::ObjectPtr instance) {
    DIZEZIDA_RETURN_IF_NULL(key_type);
    DIZEZIDA_RETURN_IF_NULL(instance);
    DIZEZIDA_RETURN_VAL_IF_FAIL(instance->type().is_a(*key_type), );
    m_instances.insert_or_assign(key_type, std::move(instance));
}

void Container::register_type(const Core::TypeInfo* key_type, const Core::TypeInfo* value_type) {
    DIZEZIDA_RETURN_IF_NULL(key_type);
    DIZEZIDA_RETURN_IF_NULL(value_type);
    DIZEZIDA_RETURN_VAL_IF_FAIL(value_type->is_class(), );
    DIZEZIDA_RETURN_VAL_IF_FAIL(value_type->is_a(*key_type), );
    m_types.insert_or_assign(key_type, value_type);
}

void Container::register_factory(const Core::TypeInfo* key_type, Factory factory) {
    DIZEZIDA_RETURN_IF_NULL(key_type);
    DIZEZIDA_RETURN_IF_NULL(factory);
    m_factories.insert_or_assign(key_type, std::move(factory));
}

bool Container::injection_for(const Core::Property& property, Core::ConstructList& list) {
    if (property.kind != Core::ValueKind::Object)
        return false;
    const Core::TypeInfo* wanted = property.object_type();
    const bool registered =
        m_instances.contains(wanted) || m_factories.contains(wanted) || m_types.contains(wanted);
    if (!registered)
        return false;
    list.emplace_back(&property, Core::Value(resolve(wanted), wanted));
    return true;
}

Core::ObjectPtr Container::resolve(const Core::TypeInfo* type) {
    DIZEZIDA_RETURN_VAL_IF_NULL(type, nullptr);
    if (const auto found = m_instances.find(type); found != m_instances.end())
        return found->second;
    if (const auto found = m_factories.find(type); found != m_factories.end()) {
        Core::ObjectPtr made = found->second(*this);
        if (made)
            m_instances.insert_or_assign(type, made);
        return made;
    }
    const Core::TypeInfo* to_build = type;
    if (const auto mapped = m_types.find(type); mapped != m_types.end())
        to_build = mapped->second;
    if (!to_build->is_instantiable())
        return nullptr;

    Core::ConstructList construct_values;
    for (const Core::Property* property : to_build->properties())
        if (property->construct())
            injection_for(*property, construct_values);
    Core::ObjectPtr made = to_build->create(construct_values);
    if (made)
        m_instances.insert_or_assign(type, made);
    return made;
}

} // namespace Dizezida::Dovodarud::Foundation

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Foundation::Container)

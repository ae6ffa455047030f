#include "Foundation/Services.hpp"

#include "Foundation/Container.hpp"
#include "core/Precondition.hpp"

#include <mutex>

namespace Dizezida::Dovodarud::Foundation {
namespace {

std::mutex& container_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<Container>& process_container() {
    static std::shared_ptr<Container> container;
    return container;
}

std::shared_ptr<Container> current() {
    std::lock_guard lock(container_mutex());
    return process_container();
}

} // namespace

void Services::initialize() {
    std::lock_guard lock(container_mutex());
    if (!process_container())
        process_container() = std::make_shared<Container>();
}

void Services::register_instance(const Core::TypeInfo* key_type, Core::ObjectPtr instance) {
    DIZEZIDA_RETURN_IF_NULL(instance);
    const auto container = current();
    DIZEZIDA_RETURN_IF_NULL(container);
    container->register_instance(key_type, std::move(instance));
}

void Services::register_type(const Core::TypeInfo* key_type, const Core::TypeInfo* value_type) {
    const auto container = current();
    DIZEZIDA_RETURN_IF_NULL(container);
    container->register_type(key_type, value_type);
}

Core::ObjectPtr Services::resolve(const Core::TypeInfo* type) {
    const auto container = current();
    DIZEZIDA_RETURN_VAL_IF_NULL(container, nullptr);
    return container->resolve(type);
}

std::shared_ptr<Contracts::Container::IContainer> Services::container() { return current(); }

} // namespace Dizezida::Dovodarud::Foundation

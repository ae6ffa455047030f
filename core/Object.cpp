#include "core/Object.hpp"

#include "core/Enum.hpp"

#include <algorithm>
#include <map>
#include <mutex>

namespace Dizezida::Core {
namespace {

struct TypeTable {
    std::mutex mutex;
    std::map<std::string, const TypeInfo*, std::less<>> by_name;
};

TypeTable& type_table() {
    static TypeTable table;
    return table;
}

bool same_letters(std::string_view left, std::string_view right) {
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        const char a = left[i] == '_' ? '-' : left[i];
        const char b = right[i] == '_' ? '-' : right[i];
        if (a != b)
            return false;
    }
    return true;
}

bool implements(const TypeInfo& type, const TypeInfo& wanted) {
    for (const TypeInfo* interface : type.interfaces)
        if (interface == &wanted || implements(*interface, wanted))
            return true;
    return false;
}

} // namespace

const TypeInfo* Property::object_type() const {
    return (kind == ValueKind::Object || kind == ValueKind::ObjectList)
               ? static_cast<const TypeInfo*>(value_type ? value_type() : nullptr)
               : nullptr;
}

const EnumInfo* Property::enum_type() const {
    return (kind == ValueKind::Enum || kind == ValueKind::Flags)
               ? static_cast<const EnumInfo*>(value_type ? value_type() : nullptr)
               : nullptr;
}

std::string_view Property::type_name() const {
    if (const TypeInfo* type = object_type(); type && kind == ValueKind::Object)
        return type->name;
    if (const EnumInfo* type = enum_type())
        return type->type_name;
    return kind_type_name(kind);
}

TypeInfo::TypeInfo(std::string_view type_name, TypeKind type_kind, const TypeInfo* parent_type,
                   std::vector<const TypeInfo*> implemented, std::function<ObjectPtr()> make,
                   std::vector<Property> properties)
    : name(type_name), kind(type_kind), parent(parent_type), interfaces(std::move(implemented)),
      factory(std::move(make)), own_properties(std::move(properties)) {
    if (parent)
        m_all_properties = parent->m_all_properties;
    for (const Property& property : own_properties)
        m_all_properties.push_back(&property);
    TypeTable& table = type_table();
    std::lock_guard lock(table.mutex);
    table.by_name.emplace(std::string(name), this);
}

bool TypeInfo::is_a(const TypeInfo& other) const {
    for (const TypeInfo* type = this; type; type = type->parent)
        if (type == &other || implements(*type, other))
            return true;
    return false;
}

const Property* TypeInfo::find_property(std::string_view wanted, bool loose) const {
    for (const Property* property : m_all_properties)
        if (property->name == wanted || (loose && same_letters(property->name, wanted)))
            return property;
    return nullptr;
}

ObjectPtr TypeInfo::create(const ConstructList& construct_values) const {
    if (!is_instantiable())
        return nullptr;
    ObjectPtr object = factory();
    for (const auto& [property, value] : construct_values)
        if (property && property->set)
            property->set(*object, value);
    return object;
}

const TypeInfo* TypeInfo::lookup(std::string_view wanted) {
    TypeTable& table = type_table();
    std::lock_guard lock(table.mutex);
    const auto found = table.by_name.find(wanted);
    return found == table.by_name.end() ? nullptr : found->second;
}

TypeInfo TypeInfo::make_interface(std::string_view name,
                                  std::vector<const TypeInfo*> prerequisites) {
    return TypeInfo(name, TypeKind::Interface, nullptr, std::move(prerequisites), nullptr, {});
}

struct Object::Extras {
    struct Handler {
        std::uint64_t id;
        std::string only;
        NotifyHandler call;
    };
    std::vector<Handler> handlers;
    std::uint64_t next_id = 1;
    std::map<std::string, std::shared_ptr<void>, std::less<>> data;
};

Object::Object() = default;
Object::~Object() = default;

const TypeInfo& Object::static_type() {
    static const TypeInfo info = TypeInfo::make_class<Object, void>("GObject");
    return info;
}

Object::Extras& Object::extras() const {
    if (!m_extras)
        m_extras = std::make_unique<Extras>();
    return *m_extras;
}

Value Object::get_property(std::string_view name) const {
    const Property* property = type().find_property(name);
    if (!property || !property->readable() || !property->get)
        return Value();
    return property->get(*this);
}

bool Object::set_property(std::string_view name, const Value& value) {
    const Property* property = type().find_property(name);
    if (!property || !property->writable() || !property->set)
        return false;
    if (value.kind() != property->kind)
        return false;
    property->set(*this, value);
    return true;
}

std::uint64_t Object::connect_notify(NotifyHandler handler, std::string_view only) {
    Extras& state = extras();
    const std::uint64_t id = state.next_id++;
    state.handlers.push_back({id, std::string(only), std::move(handler)});
    return id;
}

void Object::disconnect_notify(std::uint64_t id) {
    if (!m_extras)
        return;
    std::erase_if(m_extras->handlers, [id](const Extras::Handler& h) { return h.id == id; });
}

void Object::notify(std::string_view property) {
    if (!m_extras || m_extras->handlers.empty())
        return;
    // Handlers may connect or disconnect while we walk: call a snapshot.
    const auto handlers = m_extras->handlers;
    for (const auto& handler : handlers)
        if (handler.only.empty() || handler.only == property)
            handler.call(*this, property);
}

void Object::set_data(std::string_view key, std::shared_ptr<void> value) {
    extras().data.insert_or_assign(std::string(key), std::move(value));
}

bool Object::has_data(std::string_view key) const {
    return m_extras && m_extras->data.contains(key);
}

std::shared_ptr<void> Object::get_data(std::string_view key) const {
    if (!m_extras)
        return nullptr;
    const auto found = m_extras->data.find(key);
    return found == m_extras->data.end() ? nullptr : found->second;
}

void Object::remove_data(std::string_view key) {
    if (!m_extras)
        return;
    if (const auto found = m_extras->data.find(key); found != m_extras->data.end())
        m_extras->data.erase(found);
}

ObjectPtr Object::clone_properties() const { return clone_object(*this); }

namespace {

void append_read_only_collection(const Property& property, const Object& source, Object& copy) {
    if (!property.field || !property.get)
        return;
    void* target = property.field(copy);
    const Value value = property.get(source);
    if (property.kind == ValueKind::ObjectList) {
        auto& list = *static_cast<ObjectList*>(target);
        for (const auto& item : value.get_object_list())
            list.push_back(item);
    } else if (property.kind == ValueKind::StringList) {
        auto& list = *static_cast<StringList*>(target);
        for (const auto& item : value.get_string_list())
            list.push_back(item);
    } else if (property.kind == ValueKind::StringMap) {
        auto& map = *static_cast<StringMap*>(target);
        for (const auto& [key, item] : value.get_string_map())
            map.insert_or_assign(key, item);
    }
}

} // namespace

ObjectPtr clone_object(const Object& source) {
    const TypeInfo& type = source.type();
    ConstructList construct_values;
    for (const Property* property : type.properties())
        if (property->construct() && property->get)
            construct_values.emplace_back(property, property->get(source));
    ObjectPtr copy = type.create(construct_values);
    if (!copy)
        return nullptr;
    for (const Property* property : type.properties()) {
        if (property->writable() && !property->construct_only()) {
            if (property->get && property->set)
                property->set(*copy, property->get(source));
        } else if (property->readable() && !property->writable()) {
            append_read_only_collection(*property, source, *copy);
        }
    }
    return copy;
}

bool same_properties(const Object& left, const Object& right) {
    if (&left.type() != &right.type())
        return false;
    for (const Property* property : left.type().properties())
        if (property->readable() && property->get &&
            !(property->get(left) == property->get(right)))
            return false;
    return true;
}

} // namespace Dizezida::Core

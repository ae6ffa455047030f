// The object model: run-time type records, properties and the Object base.
//
// Every "plain object with named properties" of the project derives from
// Object and declares one static TypeInfo (registered type name, parent,
// interfaces, factory, property table in class order). Change notification,
// the service registry's constructor injection, the default clone, JSON forms
// and property comparison all walk that one table.
//
// Ownership: objects live in std::shared_ptr; make them with
// `TypeInfo::create` or std::make_shared. Thread safety: TypeInfo records are
// immutable after construction and may be read from any thread; an Object is
// not synchronised (one thread at a time, or the owner's lock).
#pragma once

#include "core/Value.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Dizezida::Core {

/// Property flags; combine with `|`.
enum PropertyFlag : std::uint8_t {
    Readable = 1,
    Writable = 2,
    Construct = 4,
    ConstructOnly = 8,
    ReadWrite = Readable | Writable,
};

/// One named property of a class.
struct Property {
    std::string_view name;     ///< hyphenated, e.g. "raw-type"
    ValueKind kind = ValueKind::Invalid;
    std::uint8_t flags = ReadWrite;
    /// EnumInfo* (enum, flags) or TypeInfo* (objects); a function, so that a
    /// class may have properties of its own type.
    const void* (*value_type)() = nullptr;
    Value default_value;
    std::function<Value(const Object&)> get;
    std::function<void(Object&, const Value&)> set;  ///< notifies on a real change
    std::function<void*(Object&)> field;             ///< the member behind it, when there is one

    bool readable() const { return flags & Readable; }
    bool writable() const { return flags & Writable; }
    bool construct() const { return flags & (Construct | ConstructOnly); }
    bool construct_only() const { return flags & ConstructOnly; }
    /// The declared object type of Object and ObjectList properties.
    const TypeInfo* object_type() const;
    /// The enumeration record of Enum and Flags properties.
    const EnumInfo* enum_type() const;
    /// The registered name of the declared value type.
    std::string_view type_name() const;
};

enum class TypeKind : std::uint8_t { Class, AbstractClass, Interface };

using ConstructList = std::vector<std::pair<const Property*, Value>>;

/// The run-time record of a class or interface.
struct TypeInfo {
    TypeInfo(std::string_view name, TypeKind kind, const TypeInfo* parent,
             std::vector<const TypeInfo*> interfaces, std::function<ObjectPtr()> factory,
             std::vector<Property> own_properties);
    TypeInfo(const TypeInfo&) = delete;
    TypeInfo& operator=(const TypeInfo&) = delete;

    std::string_view name;
    TypeKind kind;
    const TypeInfo* parent;
    std::vector<const TypeInfo*> interfaces;
    std::function<ObjectPtr()> factory;
    std::vector<Property> own_properties;

    bool is_interface() const { return kind == TypeKind::Interface; }
    bool is_class() const { return kind != TypeKind::Interface; }
    bool is_instantiable() const { return kind == TypeKind::Class && factory != nullptr; }
    /// Whether this type is `other`, derives from it or implements it.
    bool is_a(const TypeInfo& other) const;
    /// All properties, inherited first, in class order.
    const std::vector<const Property*>& properties() const { return m_all_properties; }
    /// The property of this name; with `loose`, "-" and "_" are the same letter.
    const Property* find_property(std::string_view name, bool loose = false) const;
    /// A new instance with the construct values set; nullptr for interfaces
    /// and abstract classes.
    ObjectPtr create(const ConstructList& construct_values = {}) const;

    /// The type registered under a name, or nullptr.
    static const TypeInfo* lookup(std::string_view name);

    /// The record of a class C with parent P (P = void for a root class).
    template <class C, class P>
    static TypeInfo make_class(std::string_view name, std::vector<Property> properties = {},
                               std::vector<const TypeInfo*> interfaces = {});
    /// The record of an interface I, optionally with parent interfaces.
    static TypeInfo make_interface(std::string_view name,
                                   std::vector<const TypeInfo*> prerequisites = {});

private:
    std::vector<const Property*> m_all_properties;
};

/// The root of the object model.
class Object : public std::enable_shared_from_this<Object> {
public:
    using NotifyHandler = std::function<void(Object&, std::string_view property)>;

    Object();
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    static const TypeInfo& static_type();
    virtual const TypeInfo& type() const { return static_type(); }

    /// The value of a readable property; an invalid Value when there is none.
    Value get_property(std::string_view name) const;
    /// Sets a writable property; false when there is no such writable property
    /// or the value's kind does not match.
    bool set_property(std::string_view name, const Value& value);

    /// Calls `handler` after every real change of a property (of one named
    /// property when `only` is given). Returns an id for disconnect_notify.
    std::uint64_t connect_notify(NotifyHandler handler, std::string_view only = {});
    void disconnect_notify(std::uint64_t id);
    /// Tells the observers that a property changed.
    void notify(std::string_view property);

    /// Stores `value` in `field` and notifies, unless the two are equal.
    template <class T> bool assign_and_notify(T& field, T value, std::string_view property) {
        if (field == value)
            return false;
        field = std::move(value);
        notify(property);
        return true;
    }

    /// Untyped tags attached to the instance (not properties, never serialised).
    void set_data(std::string_view key, std::shared_ptr<void> value = nullptr);
    bool has_data(std::string_view key) const;
    std::shared_ptr<void> get_data(std::string_view key) const;
    void remove_data(std::string_view key);

    /// A new object of this object's class built by the default, property-driven
    /// clone (see clone_object).
    ObjectPtr clone_properties() const;

private:
    struct Extras;
    Extras& extras() const;
    mutable std::unique_ptr<Extras> m_extras;
};

/// The default clone: a new object of the source's exact class made with the
/// source's construct properties, then every writable property copied
/// (objects shared), every read-only list property's elements appended to the
/// clone's own list and every read-only map property's entries put into the
/// clone's own map. Other read-only properties stay as constructed.
ObjectPtr clone_object(const Object& source);

/// Whether two objects' readable properties are equal, property by property
/// (objects compared by identity). Objects of different classes are unequal.
bool same_properties(const Object& left, const Object& right);

/// Downcasts an object pointer; nullptr when the object is not a T.
template <class T> std::shared_ptr<T> object_cast(const ObjectPtr& object) {
    return std::dynamic_pointer_cast<T>(object);
}

template <class C, class P>
TypeInfo TypeInfo::make_class(std::string_view name, std::vector<Property> properties,
                              std::vector<const TypeInfo*> interfaces) {
    const TypeInfo* parent = nullptr;
    if constexpr (!std::is_void_v<P>)
        parent = &P::static_type();
    std::function<ObjectPtr()> factory;
    TypeKind kind = TypeKind::AbstractClass;
    if constexpr (!std::is_abstract_v<C> && std::is_default_constructible_v<C>) {
        factory = [] { return std::static_pointer_cast<Object>(std::make_shared<C>()); };
        kind = TypeKind::Class;
    }
    return TypeInfo(name, kind, parent, std::move(interfaces), std::move(factory),
                    std::move(properties));
}

} // namespace Dizezida::Core

/// Declares the type record of a class deriving from Core::Object.
#define DIZEZIDA_OBJECT(Class)                                                                     \
public:                                                                                            \
    static const ::Dizezida::Core::TypeInfo& static_type();                                        \
    const ::Dizezida::Core::TypeInfo& type() const override { return static_type(); }

/// Declares the type record of an interface (a class with pure virtual operations).
#define DIZEZIDA_INTERFACE(Interface)                                                              \
public:                                                                                            \
    static const ::Dizezida::Core::TypeInfo& static_type();

/// Makes a type's name known to TypeInfo::lookup as soon as its library loads.
#define DIZEZIDA_REGISTER_TYPE(Class)                                                              \
    DIZEZIDA_REGISTER_TYPE_AT_(Class, __COUNTER__)
#define DIZEZIDA_REGISTER_TYPE_AT_(Class, n) DIZEZIDA_REGISTER_TYPE_NAMED_(Class, n)
#define DIZEZIDA_REGISTER_TYPE_NAMED_(Class, n)                                                    \
    namespace {                                                                                    \
    [[maybe_unused]] const ::Dizezida::Core::TypeInfo& dizezida_registered_##n =                  \
        Class::static_type();                                                                      \
    }

// Typed property members of the meta model with their accessors.
//
// One line in a class declares the member `m_<field>`, the getter
// `get_<field>()` and the setter `set_<field>(value)`, which stores the value
// and notifies observers of the named property only on a real change. The
// class's property table (its static_type()) lists the same member once more.
#pragma once

#include <utility>

/// A scalar or text property: `const T& get_<field>()`, `set_<field>(T)`.
#define DIZEZIDA_META_PROPERTY(Type, field, property_name, ...)                                   \
public:                                                                                            \
    const Type& get_##field() const { return m_##field; }                                          \
    void set_##field(Type value) { assign_and_notify(m_##field, std::move(value), property_name); } \
                                                                                                   \
protected:                                                                                         \
    Type m_##field{__VA_ARGS__};                                                                   \
                                                                                                   \
public:

/// A collection property owned by the object: besides the getter and the
/// replacing setter, a mutable getter for appending and removing in place
/// (which raises no notification).
#define DIZEZIDA_META_COLLECTION(Type, field, property_name)                                      \
    DIZEZIDA_META_PROPERTY(Type, field, property_name)                                             \
    Type& get_##field() { return m_##field; }

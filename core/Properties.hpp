// Builders of property table rows, one line per property.
//
//   Core::prop("name", &MetaObject::m_name)                  // read-write member
//   Core::prop("columns", &MetaTable::m_columns, Core::Readable)
//   Core::prop("owner", &Job::m_owner, Core::ReadWrite | Core::Construct)
//   Core::accessor<MetaView, std::string>("definition",
//       [](const MetaView& v) { return v.definition(); },
//       [](MetaView& v, std::string s) { v.set_definition(std::move(s)); })
//
// Include this header only in the source files that define type records.
#pragma once

#include "core/Enum.hpp"
#include "core/Object.hpp"

#include <optional>
#include <type_traits>

namespace Dizezida::Core {

/// How a member type maps to a Value: its kind, its type record, and the
/// conversions both ways.
template <class T, class = void> struct PropertyTraits;

template <class T, ValueKind K> struct IntegerTraits {
    static constexpr ValueKind kind = K;
    static const void* value_type() { return nullptr; }
    static Value to_value(T value) {
        if constexpr (std::is_signed_v<T>)
            return Value::of_signed(K, value);
        else
            return Value::of_unsigned(K, value);
    }
    static T from_value(const Value& value) {
        if (is_signed_kind(value.kind()) || value.kind() == ValueKind::Enum)
            return static_cast<T>(value.get_int64());
        return static_cast<T>(value.get_uint64());
    }
};

template <> struct PropertyTraits<std::int8_t> : IntegerTraits<std::int8_t, ValueKind::Char> {};
template <> struct PropertyTraits<std::uint8_t> : IntegerTraits<std::uint8_t, ValueKind::UChar> {};
template <> struct PropertyTraits<std::int16_t> : IntegerTraits<std::int16_t, ValueKind::Int16> {};
template <>
struct PropertyTraits<std::uint16_t> : IntegerTraits<std::uint16_t, ValueKind::UInt16> {};
template <> struct PropertyTraits<std::int32_t> : IntegerTraits<std::int32_t, ValueKind::Int> {};
template <> struct PropertyTraits<std::uint32_t> : IntegerTraits<std::uint32_t, ValueKind::UInt> {};
template <> struct PropertyTraits<std::int64_t> : IntegerTraits<std::int64_t, ValueKind::Int64> {};
template <>
struct PropertyTraits<std::uint64_t> : IntegerTraits<std::uint64_t, ValueKind::UInt64> {};

template <class T, ValueKind K> struct PlainTraits {
    static constexpr ValueKind kind = K;
    static const void* value_type() { return nullptr; }
    static Value to_value(const T& value) { return Value(value); }
};

template <> struct PropertyTraits<bool> : PlainTraits<bool, ValueKind::Bool> {
    static bool from_value(const Value& value) { return value.get_bool(); }
};
template <> struct PropertyTraits<float> : PlainTraits<float, ValueKind::Float> {
    static float from_value(const Value& value) { return static_cast<float>(value.get_double()); }
};
template <> struct PropertyTraits<double> : PlainTraits<double, ValueKind::Double> {
    static double from_value(const Value& value) { return value.get_double(); }
};
template <> struct PropertyTraits<std::string> : PlainTraits<std::string, ValueKind::String> {
    static std::string from_value(const Value& value) { return value.get_string(); }
};
template <> struct PropertyTraits<StringList> : PlainTraits<StringList, ValueKind::StringList> {
    static StringList from_value(const Value& value) { return value.get_string_list(); }
};
template <> struct PropertyTraits<StringMap> : PlainTraits<StringMap, ValueKind::StringMap> {
    static StringMap from_value(const Value& value) { return value.get_string_map(); }
};
template <> struct PropertyTraits<std::optional<DateTime>> {
    static constexpr ValueKind kind = ValueKind::DateTime;
    static const void* value_type() { return nullptr; }
    static Value to_value(const std::optional<DateTime>& value) {
        return value ? Value(*value) : Value::null_date_time();
    }
    static std::optional<DateTime> from_value(const Value& value) { return value.get_date_time(); }
};

template <class E> struct PropertyTraits<E, std::enable_if_t<std::is_enum_v<E>>> {
    static const EnumInfo& info() { return enum_info(E{}); }
    static constexpr ValueKind kind = ValueKind::Enum; // refined to Flags by the builder
    static const void* value_type() { return &info(); }
    static Value to_value(E value) {
        if (info().is_flags)
            return Value::flags(info(), static_cast<std::uint64_t>(value));
        return Value::enumeration(info(), static_cast<std::int64_t>(value));
    }
    static E from_value(const Value& value) {
        if (value.kind() == ValueKind::Flags || is_unsigned_kind(value.kind()))
            return static_cast<E>(value.get_uint64());
        return static_cast<E>(value.get_int64());
    }
};

template <class X> struct PropertyTraits<std::shared_ptr<X>> {
    static constexpr ValueKind kind = ValueKind::Object;
    static const void* value_type() { return &X::static_type(); }
    static Value to_value(const std::shared_ptr<X>& value) {
        // The object's own type: the declared one may still be under construction.
        return Value(std::dynamic_pointer_cast<Object>(value));
    }
    static std::shared_ptr<X> from_value(const Value& value) {
        return std::dynamic_pointer_cast<X>(value.get_object());
    }
};

template <class X> struct PropertyTraits<std::vector<std::shared_ptr<X>>> {
    static constexpr ValueKind kind = ValueKind::ObjectList;
    static const void* value_type() { return &X::static_type(); }
    static Value to_value(const std::vector<std::shared_ptr<X>>& items) {
        ObjectList list;
        list.reserve(items.size());
        for (const auto& item : items)
            list.push_back(std::dynamic_pointer_cast<Object>(item));
        return Value(std::move(list));
    }
    static std::vector<std::shared_ptr<X>> from_value(const Value& value) {
        std::vector<std::shared_ptr<X>> items;
        for (const auto& item : value.get_object_list())
            if (auto typed = std::dynamic_pointer_cast<X>(item); typed || !item)
                items.push_back(std::move(typed));
        return items;
    }
};

template <class T> ValueKind property_kind() {
    if constexpr (std::is_enum_v<T>)
        return PropertyTraits<T>::info().is_flags ? ValueKind::Flags : ValueKind::Enum;
    else
        return PropertyTraits<T>::kind;
}

/// A property backed by a data member of C.
template <class C, class T>
Property prop(std::string_view name, T C::*member, std::uint8_t flags = ReadWrite,
              std::type_identity_t<std::optional<T>> default_value = std::nullopt) {
    using Traits = PropertyTraits<T>;
    Property property;
    property.name = name;
    property.kind = property_kind<T>();
    property.flags = flags;
    property.value_type = &Traits::value_type;
    property.default_value = Traits::to_value(default_value.value_or(T{}));
    property.get = [member](const Object& object) {
        return Traits::to_value(static_cast<const C&>(object).*member);
    };
    property.set = [member, name](Object& object, const Value& value) {
        C& self = static_cast<C&>(object);
        self.assign_and_notify(self.*member, Traits::from_value(value), name);
    };
    property.field = [member](Object& object) -> void* {
        return &(static_cast<C&>(object).*member);
    };
    return property;
}

/// A property read and written through functions of C (the setter notifies).
template <class C, class T>
Property accessor(std::string_view name, std::function<T(const C&)> getter,
                  std::function<void(C&, T)> setter, std::uint8_t flags = ReadWrite,
                  std::type_identity_t<std::optional<T>> default_value = std::nullopt) {
    using Traits = PropertyTraits<T>;
    Property property;
    property.name = name;
    property.kind = property_kind<T>();
    property.flags = setter ? flags : static_cast<std::uint8_t>(flags & ~Writable);
    property.value_type = &Traits::value_type;
    property.default_value = Traits::to_value(default_value.value_or(T{}));
    property.get = [getter](const Object& object) {
        return Traits::to_value(getter(static_cast<const C&>(object)));
    };
    if (setter)
        property.set = [setter](Object& object, const Value& value) {
            setter(static_cast<C&>(object), Traits::from_value(value));
        };
    return property;
}

} // namespace Dizezida::Core

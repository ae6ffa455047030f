// The JSON form of meta objects.
//
// An object becomes a JSON object with one member per readable property, in
// the class's property order: texts as strings, booleans as booleans, numbers,
// enumerations and flags as integers, string maps as objects of strings,
// string lists as arrays of strings and object lists as arrays of element
// objects. Lists whose class says so (MetaObject::json_elements) give each
// element a "class" member with its registered type name, and are read back
// as that class. Reading sets the writable properties from the members
// ("-" and "_" alike in member names); members without a writable property,
// or whose JSON kind does not fit the property, are skipped.
//
// The text is compact and deterministic, so two objects with equal
// properties have equal texts. Thread safety: as for the objects themselves.
#pragma once

#include "Model/MetaObject.hpp"

#include "core/Error.hpp"

#include <functional>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::MetaModel {

/// The error domain of JSON texts that cannot be read.
inline constexpr const char* k_json_error_domain = "JSON";

/// The JSON text of an object; `indent` >= 0 pretty-prints with that many
/// spaces a level. Bytes that are not UTF-8 become U+FFFD.
std::string to_json_text(const MetaObject& object, int indent = -1);
/// The same text handed to `sink` in pieces of about 1 MiB, never held
/// whole; false when the sink refused a piece (the rest was not written).
bool write_json_text(const MetaObject& object, int indent,
                     const std::function<bool(std::string_view)>& sink);

/// Sets the writable properties of `object` from a JSON object text.
[[nodiscard]] Core::Result<void> read_json_text(MetaObject& object, std::string_view text);

/// A new object of class `type` (or of the class a "class" member names,
/// when that class derives from `type`) read from a JSON object text.
[[nodiscard]] Core::Result<std::shared_ptr<MetaObject>> from_json_text(std::string_view text,
                                                                       const Core::TypeInfo& type);

/// A new T read from a JSON object text.
template <class T>
[[nodiscard]] Core::Result<std::shared_ptr<T>> from_json_text(std::string_view text) {
    auto object = from_json_text(text, T::static_type());
    if (!object)
        return std::unexpected(std::move(object).error());
    return std::static_pointer_cast<T>(*object);
}

} // namespace Dizezida::Dovodarud::MetaModel

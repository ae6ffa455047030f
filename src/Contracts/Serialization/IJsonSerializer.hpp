// Writing an object's properties as the members of a JSON object and reading
// them back, by reflection over the object's property table.
//
// `IJsonSerializer` is a mix-in: a class that takes it on gets both
// operations ready-made and may override either. The free functions do the
// work for any object. Nothing is shared between calls: safe from any thread
// as long as the object itself is used by one thread at a time.
//
// Numbers are read at the width of the property. A member of the wrong JSON
// kind, a number outside the property's range, an unreadable date-time or a
// property kind that has no JSON form is skipped with a warning in the
// platform log, and the property keeps its value. An integer is accepted for
// a floating-point property. Infinities and NaN are written as null (and
// therefore skipped when read back). Member text never depends on the locale.
#pragma once

#include "core/Object.hpp"

#include <nlohmann/json.hpp>

namespace Dizezida::Dovodarud::Contracts::Serialization {

using Json = nlohmann::ordered_json;

/**
 * Writes one member per readable property of `object`, in class order, into
 * `json`, which must be an object (a null `json` becomes one). Nested objects
 * and other records are written as their debugging text, never read back.
 */
void serialize_properties(Json& json, const Core::Object& object);

/**
 * Sets the writable properties of `object` from the members of `json` (an
 * object; anything else sets nothing). "-" and "_" in member names are the
 * same letter; a member named "class" and members without a writable
 * property are skipped.
 */
void deserialize_properties(const Json& json, Core::Object& object);

/// The serialized text of a JSON value: two-space indentation, bytes that
/// are not UTF-8 replaced by U+FFFD so that the text always parses again.
std::string dump_pretty(const Json& json);

class IJsonSerializer {
    DIZEZIDA_INTERFACE(IJsonSerializer)
public:
    virtual ~IJsonSerializer() = default;

    /// Writes `object`'s properties into the JSON object `json`.
    virtual void serialize(Json& json, const Core::Object& object) const {
        serialize_properties(json, object);
    }
    /// Sets `object`'s properties from the JSON object `json`.
    virtual void deserialize(const Json& json, Core::Object& object) const {
        deserialize_properties(json, object);
    }
};

} // namespace Dizezida::Dovodarud::Contracts::Serialization

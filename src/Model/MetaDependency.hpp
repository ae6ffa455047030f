// What a server object needs before it can be created, as the server's own
// dependency rows say (pg_depend, read with the catalog).
//
// An object's statements come in parts: a table is created (with its key,
// checks and defaults), then gets its indexes and triggers, its foreign
// keys and its rules; a sequence is made the property of a column once the
// table exists. Each dependency names the part of the dependent that needs
// it and the object needed, by `dependency_key`. A key holds the kind, the
// schema and the name (a routine's name with its identity arguments), joined
// by a byte no name holds, so that any name is one key.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::MetaModel {

class MetaObject;

enum class DependencyPart : std::uint8_t {
    create, ///< the CREATE statement (a table with its key, checks and defaults)
    extras, ///< a table's or materialized view's indexes and triggers
    keys,   ///< a table's foreign keys
    rules,  ///< a table's rules
    own,    ///< a sequence made the property of its column
};

struct MetaDependency {
    DependencyPart part = DependencyPart::create;
    std::string key; ///< the object needed (`dependency_key`)
    DependencyPart needed = DependencyPart::create; ///< the part of it needed
    auto operator<=>(const MetaDependency&) const = default;
};

/// The key of an object of `kind` ("table", "view", "miew", "function",
/// "type", "sequence"); a function's name carries "(identity arguments)".
std::string dependency_key(std::string_view kind, std::string_view schema, std::string_view name);
/// The key of a model object ("" for kinds that have none).
std::string dependency_key(const MetaObject& object);
/// A key with its schema replaced when it is `from` (the key itself otherwise).
std::string key_in_schema(std::string_view key, std::string_view from, std::string_view to);
/// The dependencies of `from` given to `to`, a copy of it made through the
/// JSON form (which does not hold them): its own, and for a schema or a
/// database those of every object in it, paired by position. Keys in schema
/// `from_schema` move to `to_schema` (when given).
void carry_depends(const MetaObject& from, MetaObject& to, std::string_view from_schema = {},
                   std::string_view to_schema = {});
/// The schema of a key.
std::string_view key_schema(std::string_view key);

} // namespace Dizezida::Dovodarud::MetaModel

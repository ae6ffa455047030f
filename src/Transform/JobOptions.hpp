// The option map of the transform jobs: the protocol through which library
// callers describe a job (each job parses it once into its typed plan;
// TransferPlan.hpp, SyncPlan.hpp).
//
// Keys are three fields joined by "|" ("OPTION|SOURCE|DATABASE",
// "table|sales.orders|NAME"); values are texts. A field that carries names
// writes each name with "\" before every "\", "|" and "."; a table's field
// is its schema's name and its own, each so written, joined by a bare ".":
// "table|x\.y.z|MODE" is table z of schema x.y, "table|x.y\.z|MODE" table
// y.z of schema x. Keys without names are written as they read. A value
// that is a list is a JSON array, so that names and conditions holding any
// character come back as they went.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

using JobOptions = std::map<std::string, std::string, std::less<>>;

/// "A|B|C" for three fields, each written as it stands (names escaped by
/// the caller, with `key_name`).
std::string option_key(std::string_view a, std::string_view b, std::string_view c);

/// A name as a key field writes it: "\" before every "\", "|" and ".".
std::string key_name(std::string_view name);
/// A table (or view) as a key field writes it: "schema.name", each escaped.
std::string key_name(std::string_view schema, std::string_view name);

/// The fields of a key, cut at each "|" without a "\" before it; each still
/// escaped.
std::vector<std::string> key_fields(std::string_view key);
/// The names of a field, cut at each "." without a "\" before it; each
/// unescaped. One for a bare name, two for "schema.name".
std::vector<std::string> key_names(std::string_view field);
/// A field's text without its escapes (every "." a part of the one name).
std::string unescaped(std::string_view field);

/// The value of `key` ("" when absent).
std::string option_value(const JobOptions& options, std::string_view key);

} // namespace Dizezida::Dovodarud::Transform

// A schema model moved to another database or schema name, so that it can
// be compared with, and scripted for, a schema of another name: the object
// names, the references (foreign keys, sequence owners) and the SQL texts
// (view and routine definitions, defaults, types, checks, trigger calls)
// that name the old schema qualified name the new one. Comments and names
// of objects are left as they are.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::MetaModel {
class MetaSchema;
}

namespace Dizezida::Dovodarud::Transform {

/// A deep copy of `schema` in database `database` under the name
/// `schema_name`; without `keep_owners`, owner settings are left out (a
/// script then leaves ownership as the target has it).
std::shared_ptr<MetaModel::MetaSchema> moved_schema(const MetaModel::MetaSchema& schema,
                                                    const std::string& database,
                                                    const std::string& schema_name,
                                                    bool keep_owners);

/// What `moved_schema` gives for a schema that keeps its name, done in
/// place, without the detour through the JSON form: every "database" and
/// "refer-database" that is set names `database`; without `keep_owners`
/// the OWNER attributes and options go.
void localize_schema(MetaModel::MetaSchema& schema, const std::string& database, bool keep_owners);

/// `text` with every qualified use of schema `from` ("from".x, or from.x for
/// a plain lower-case name) naming `to` instead.
std::string repoint_text(std::string_view text, std::string_view from, std::string_view to);

} // namespace Dizezida::Dovodarud::Transform

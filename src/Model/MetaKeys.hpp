// The names of the entries of a meta object's "attributes" and "options"
// maps that the catalog readers write and the script writers, the patcher
// and the front end read. Their texts are kept as stored models have them
// (a database's "CONNECTION LIMIT" has a blank where a role's has "_").
//
// Use these names instead of the texts: a misspelt name does not compile.
#pragma once

namespace Dizezida::Dovodarud::MetaModel::Keys {

// Databases
inline constexpr const char* owner = "OWNER";
inline constexpr const char* encoding = "ENCODING";
inline constexpr const char* lc_collate = "LC_COLLATE";
inline constexpr const char* lc_ctype = "LC_CTYPE";
inline constexpr const char* is_template = "IS_TEMPLATE";
inline constexpr const char* allow_connections = "ALLOW_CONNECTIONS";
inline constexpr const char* database_connection_limit = "CONNECTION LIMIT";
inline constexpr const char* tablespace = "TABLESPACE";
inline constexpr const char* template_database = "TEMPLATE";
inline constexpr const char* extension = "EXTENSION";

// Tables and their columns
inline constexpr const char* primary_key = "PRIMARY_KEY";
inline constexpr const char* primary_key_deferrable = "PRIMARY_KEY_DEFERRABLE";
inline constexpr const char* not_null_by_type = "NOT_NULL_BY_TYPE";
inline constexpr const char* inherits = "INHERITS";
inline constexpr const char* inherited = "INHERITED";
inline constexpr const char* with_oids = "WITH_OIDS";
inline constexpr const char* with_arguments = "WITH_ARGUMENTS";
inline constexpr const char* row_security = "ROW_SECURITY";
inline constexpr const char* policies = "POLICIES";
inline constexpr const char* partition_keys = "PARTITION_KEYS";
inline constexpr const char* partition_bound = "PARTITION_BOUND";
inline constexpr const char* partition = "PARTITION";
inline constexpr const char* flag = "FLAG";
inline constexpr const char* identity_start = "IDENTITY_START";
inline constexpr const char* identity_minimum = "IDENTITY_MINIMUM";
inline constexpr const char* identity_maximum = "IDENTITY_MAXIMUM";
inline constexpr const char* identity_increment = "IDENTITY_INCREMENT";
inline constexpr const char* identity_cycle = "IDENTITY_CYCLE";

// Routines and views
inline constexpr const char* arguments = "ARGUMENTS";
inline constexpr const char* language = "LANGUAGE";
inline constexpr const char* result_set = "RESULT SET";
inline constexpr const char* result_depend = "RESULT DEPEND";
inline constexpr const char* external_security = "EXTERNAL SECURITY";
inline constexpr const char* definition = "DEFINITION";
inline constexpr const char* depends = "DEPENDS";
inline constexpr const char* with_option = "WITH_OPTION";

// Roles and users ("OBJECT" lists the objects of the privileges map)
inline constexpr const char* oid = "OID";
inline constexpr const char* super_user = "SUPER_USER";
inline constexpr const char* inherit = "INHERIT";
inline constexpr const char* create_role = "CREATE_ROLE";
inline constexpr const char* create_database = "CREATE_DATABASE";
inline constexpr const char* bypass = "BYPASS";
inline constexpr const char* replication = "REPLICATION";
inline constexpr const char* login = "LOGIN";
inline constexpr const char* role_connection_limit = "CONNECTION_LIMIT";
inline constexpr const char* valid_until = "VALID_UNTIL";
inline constexpr const char* roles = "ROLES";
inline constexpr const char* members = "MEMBERS";
inline constexpr const char* privilege_objects = "OBJECT";

} // namespace Dizezida::Dovodarud::MetaModel::Keys

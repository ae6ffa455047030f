// The statement dialect contract: the SQL texts of one kind of server.
//
// Every operation builds text and returns a new string; nothing is sent to a
// server. Catalog listings take the database and schema by name and set a
// trailing out flag (0 unless the dialect says otherwise). A `kind` is the
// provider's DbObject code. Names given to the builders are used as given
// (callers pass quoted names and packed values).
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/DbObject.hpp"
#include "provider/Contracts/Server.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts::Database {

using Zozuvoru::Contracts::DbObject;
/// A list of texts (column names, values, keys).
using TextList = std::span<const std::string>;

class IStatement {
    DIZEZIDA_INTERFACE(IStatement)
public:
    virtual ~IStatement() = default;

    /// The connection text of a server record ("" and a critical message for none).
    virtual std::string
    build_connection_string(const Zozuvoru::Contracts::ServerPtr& server) const = 0;
    virtual std::string show_databases(std::int32_t& flag) const = 0;
    virtual std::string show_tables(std::string_view database, std::string_view user_schema,
                                    std::int32_t& flag) const = 0;
    virtual std::string show_views(std::string_view database, std::string_view user_schema,
                                   std::int32_t& flag) const = 0;
    virtual std::string change_database(std::string_view database) const = 0;
    virtual std::string build_explain(std::string_view statement,
                                      std::string_view format) const = 0;
    virtual std::string build_analyze(std::string_view statement,
                                      std::string_view format) const = 0;
    virtual std::string show_table_spaces(std::string_view database, std::int32_t& flag) const = 0;
    virtual std::string show_table_schemas(std::string_view database, std::int32_t& flag) const = 0;
    virtual std::string show_checks(std::string_view database, std::string_view user_schema,
                                    std::int32_t& flag) const = 0;
    virtual std::string show_excludes(std::string_view database, std::string_view user_schema,
                                      std::int32_t& flag) const = 0;
    virtual std::string show_foreigns(std::string_view database, std::string_view user_schema,
                                      std::int32_t& flag) const = 0;
    virtual std::string show_rules(std::string_view database, std::string_view user_schema,
                                   std::int32_t& flag) const = 0;
    virtual std::string show_uniques(std::string_view database, std::string_view user_schema,
                                     std::int32_t& flag) const = 0;
    virtual std::string show_indexes(std::string_view database, std::string_view user_schema,
                                     std::int32_t& flag) const = 0;
    virtual std::string show_triggers(std::string_view database, std::string_view user_schema,
                                      std::int32_t& flag) const = 0;
    virtual std::string show_functions(std::string_view database, std::string_view user_schema,
                                       std::int32_t& flag) const = 0;
    virtual std::string show_procedures(std::string_view database, std::string_view user_schema,
                                        std::int32_t& flag) const = 0;
    virtual std::string call_function(std::string_view database, std::string_view user_schema,
                                      std::string_view function,
                                      std::string_view parameters) const = 0;
    virtual std::string call_procedure(std::string_view database, std::string_view user_schema,
                                       std::string_view procedure,
                                       std::string_view parameters) const = 0;
    virtual std::string show_source(DbObject kind, std::string_view database,
                                    std::string_view user_schema, std::string_view name,
                                    std::int32_t& flag) const = 0;
    virtual std::string show_structure(std::string_view database, std::string_view user_schema,
                                       std::string_view table, std::int32_t& flag) const = 0;
    virtual std::string show_content(std::string_view database, std::string_view user_schema,
                                     std::string_view table, std::string_view columns,
                                     std::string_view where, std::string_view order,
                                     std::int64_t offset, std::int32_t limit) const = 0;
    virtual std::string show_users(std::string_view database, std::string_view user_schema,
                                   std::int32_t& flag) const = 0;
    virtual std::string show_roles(std::string_view database, std::string_view user_schema,
                                   std::int32_t& flag) const = 0;
    virtual std::string show_user_detail(std::string_view database, std::string_view user_schema,
                                         std::string_view username) const = 0;
    virtual std::string show_role_detail(std::string_view database, std::string_view user_schema,
                                         std::string_view rolename) const = 0;
    virtual std::string show_user_rights(std::string_view database, std::string_view user_schema,
                                         std::string_view username) const = 0;
    virtual std::string show_role_rights(std::string_view database, std::string_view user_schema,
                                         std::string_view rolename) const = 0;
    virtual std::string grant_user_rights(std::string_view database, std::string_view user_schema,
                                          std::string_view username, std::string_view object,
                                          std::string_view rights) const = 0;
    virtual std::string revoke_user_rights(std::string_view database, std::string_view user_schema,
                                           std::string_view username, std::string_view object,
                                           std::string_view rights) const = 0;
    virtual std::string grant_role_rights(std::string_view database, std::string_view user_schema,
                                          std::string_view rolename, std::string_view object,
                                          std::string_view rights) const = 0;
    virtual std::string revoke_role_rights(std::string_view database, std::string_view user_schema,
                                           std::string_view rolename, std::string_view object,
                                           std::string_view rights) const = 0;
    virtual std::string show_privileges(std::int32_t& flag, std::int32_t& second_flag) const = 0;
    virtual std::string flush_privileges() const = 0;
    virtual std::string show_effected(std::string_view database, std::string_view user_schema,
                                      std::string_view table, std::string_view where) const = 0;
    virtual std::string show_relations(std::string_view database, std::string_view user_schema,
                                       std::string_view table) const = 0;
    virtual std::string rename_object(DbObject kind, std::string_view database,
                                      std::string_view user_schema, std::string_view old_name,
                                      std::string_view new_name) const = 0;
    virtual std::string drop_object(DbObject kind, std::string_view database,
                                    std::string_view user_schema, std::string_view object_name,
                                    std::string_view object_target) const = 0;
    virtual std::string empty_table(std::string_view database, std::string_view user_schema,
                                    std::string_view object_name) const = 0;
    virtual std::string transaction(std::string_view name) const = 0;
    virtual std::string rollback(std::string_view name) const = 0;
    virtual std::string commit(std::string_view name) const = 0;
    /// A value as an SQL literal, by its DataType code.
    virtual std::string pack_value(std::uint32_t data_type, std::string_view value) const = 0;
    /// A name in double quotes, qualified by its schema when one is given.
    virtual std::string quote_identifier(std::string_view identifier,
                                         std::string_view schema) const = 0;
    virtual std::string build_sql_update(std::string_view schema, std::string_view table,
                                         TextList columns, TextList values, TextList keys,
                                         TextList key_values) const = 0;
    virtual std::string build_sql_insert(std::string_view schema, std::string_view table,
                                         TextList columns, TextList values) const = 0;
    virtual std::string build_sql_delete(std::string_view schema, std::string_view table,
                                         TextList keys, TextList key_values) const = 0;
    virtual std::string build_sql_view(std::string_view user_schema, std::string_view view_name,
                                       std::string_view statements) const = 0;
    /// A filter "column<;>operator<;>operand" as a WHERE condition.
    virtual std::string parse_expression(std::string_view expression) const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

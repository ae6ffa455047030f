// The generic statement dialect, the base of every server's dialect.
//
// It fixes the server-independent texts: the connection text, transaction
// words, value packing, identifier quoting, the INSERT / UPDATE / DELETE /
// VIEW builders and filter expressions. Catalog queries are the dialect's:
// here they come back as "" with their out flags cleared.
//
// Quoting is safe: identifiers double their inner double quotes and literal
// values their inner single quotes (a filter's "CUSTOMIZE" text is a whole
// condition by design and goes in as it is).
//
// Ownership: the dialect refers to its connection without owning it (the
// connection owns its dialect). Stateless otherwise; safe to call from any
// thread.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/Database/IStatement.hpp"

#include <memory>

namespace Dizezida::Dovodarud::Supports::Database {

using Contracts::Database::DbObject;
using Contracts::Database::IConnection;
using Contracts::Database::TextList;

class Statement : public Core::Object, public Contracts::Database::IStatement {
    DIZEZIDA_OBJECT(Statement)
public:
    explicit Statement(const std::shared_ptr<IConnection>& connection) : m_connection(connection) {}
    /// A dialect for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<Statement> create(const std::shared_ptr<IConnection>& connection);

    /// The connection, while it lives.
    std::shared_ptr<IConnection> get_connection() const { return m_connection.lock(); }

    /// "DRIVER={%s};SERVER=%s;DATABASE=%s;PORT=%u;UID=%s;PWD=%s;" with the
    /// server's fields; a value holding ";", "{", "}", "=" or edge blanks is
    /// written in braces (inner "}" doubled), so it cannot add an option.
    std::string
    build_connection_string(const Zozuvoru::Contracts::ServerPtr& server) const override;
    std::string show_databases(std::int32_t& flag) const override;
    std::string change_database(std::string_view database) const override;
    std::string show_tables(std::string_view database, std::string_view user_schema,
                            std::int32_t& flag) const override;
    std::string show_views(std::string_view database, std::string_view user_schema,
                           std::int32_t& flag) const override;
    std::string show_table_spaces(std::string_view database, std::int32_t& flag) const override;
    std::string show_table_schemas(std::string_view database, std::int32_t& flag) const override;
    std::string show_checks(std::string_view database, std::string_view user_schema,
                            std::int32_t& flag) const override;
    std::string show_excludes(std::string_view database, std::string_view user_schema,
                              std::int32_t& flag) const override;
    std::string show_foreigns(std::string_view database, std::string_view user_schema,
                              std::int32_t& flag) const override;
    std::string show_rules(std::string_view database, std::string_view user_schema,
                           std::int32_t& flag) const override;
    std::string show_uniques(std::string_view database, std::string_view user_schema,
                             std::int32_t& flag) const override;
    std::string show_indexes(std::string_view database, std::string_view user_schema,
                             std::int32_t& flag) const override;
    std::string show_triggers(std::string_view database, std::string_view user_schema,
                              std::int32_t& flag) const override;
    std::string show_functions(std::string_view database, std::string_view user_schema,
                               std::int32_t& flag) const override;
    std::string show_procedures(std::string_view database, std::string_view user_schema,
                                std::int32_t& flag) const override;
    std::string call_function(std::string_view database, std::string_view user_schema,
                              std::string_view function,
                              std::string_view parameters) const override;
    std::string call_procedure(std::string_view database, std::string_view user_schema,
                               std::string_view procedure,
                               std::string_view parameters) const override;
    std::string show_source(DbObject kind, std::string_view database, std::string_view user_schema,
                            std::string_view name, std::int32_t& flag) const override;
    std::string show_structure(std::string_view database, std::string_view user_schema,
                               std::string_view table, std::int32_t& flag) const override;
    std::string show_content(std::string_view database, std::string_view user_schema,
                             std::string_view table, std::string_view columns,
                             std::string_view where, std::string_view order, std::int64_t offset,
                             std::int32_t limit) const override;
    std::string show_users(std::string_view database, std::string_view user_schema,
                           std::int32_t& flag) const override;
    std::string show_roles(std::string_view database, std::string_view user_schema,
                           std::int32_t& flag) const override;
    std::string show_user_detail(std::string_view database, std::string_view user_schema,
                                 std::string_view username) const override;
    std::string show_role_detail(std::string_view database, std::string_view user_schema,
                                 std::string_view rolename) const override;
    std::string show_user_rights(std::string_view database, std::string_view user_schema,
                                 std::string_view username) const override;
    std::string show_role_rights(std::string_view database, std::string_view user_schema,
                                 std::string_view rolename) const override;
    std::string grant_user_rights(std::string_view database, std::string_view user_schema,
                                  std::string_view username, std::string_view object,
                                  std::string_view rights) const override;
    std::string revoke_user_rights(std::string_view database, std::string_view user_schema,
                                   std::string_view username, std::string_view object,
                                   std::string_view rights) const override;
    std::string grant_role_rights(std::string_view database, std::string_view user_schema,
                                  std::string_view rolename, std::string_view object,
                                  std::string_view rights) const override;
    std::string revoke_role_rights(std::string_view database, std::string_view user_schema,
                                   std::string_view rolename, std::string_view object,
                                   std::string_view rights) const override;
    std::string show_privileges(std::int32_t& flag, std::int32_t& second_flag) const override;
    std::string flush_privileges() const override;
    std::string show_effected(std::string_view database, std::string_view user_schema,
                              std::string_view table, std::string_view where) const override;
    std::string show_relations(std::string_view database, std::string_view user_schema,
                               std::string_view table) const override;
    std::string rename_object(DbObject kind, std::string_view database,
                              std::string_view user_schema, std::string_view old_name,
                              std::string_view new_name) const override;
    std::string drop_object(DbObject kind, std::string_view database, std::string_view user_schema,
                            std::string_view object_name,
                            std::string_view object_target) const override;
    std::string empty_table(std::string_view database, std::string_view user_schema,
                            std::string_view object_name) const override;
    /// "EXPLAIN %s;" (the format is not used here).
    std::string build_explain(std::string_view statement, std::string_view format) const override;
    /// "ANALYZE %s;" (the format is not used here).
    std::string build_analyze(std::string_view statement, std::string_view format) const override;
    /// "START TRANSACTION;" (the name is not used here).
    std::string transaction(std::string_view name) const override;
    /// "ROLLBACK;"
    std::string rollback(std::string_view name) const override;
    /// "COMMIT;"
    std::string commit(std::string_view name) const override;
    /// By DataType code: 2 to 11, 13, 14, 16 and 17 bare when the value is a
    /// plain number or TRUE, FALSE or NULL (anything else is quoted, so no
    /// text reaches the SQL unescaped); 30 and 31 as X'..' (the value is
    /// hexadecimal already); every other code quoted.
    std::string pack_value(std::uint32_t data_type, std::string_view value) const override;
    std::string quote_identifier(std::string_view identifier,
                                 std::string_view schema) const override;
    /// "UPDATE <table> SET c=v, ... [WHERE k=v AND ...];" pairing by position.
    std::string build_sql_update(std::string_view schema, std::string_view table, TextList columns,
                                 TextList values, TextList keys,
                                 TextList key_values) const override;
    /// "INSERT INTO <table>(c, ...) VALUES(v, ...);"
    std::string build_sql_insert(std::string_view schema, std::string_view table, TextList columns,
                                 TextList values) const override;
    /// "DELETE FROM <table>[ WHERE k=v AND ...];"
    std::string build_sql_delete(std::string_view schema, std::string_view table, TextList keys,
                                 TextList key_values) const override;
    /// "CREATE VIEW <quoted name> AS <statements>", without a closing semicolon.
    std::string build_sql_view(std::string_view user_schema, std::string_view view_name,
                               std::string_view statements) const override;
    std::string parse_expression(std::string_view expression) const override;

protected:
    /// One value of the connection text, in braces when it needs them.
    static std::string connection_value(std::string_view value);
    /// The quoted column of a filter: each part of a dotted name in double quotes.
    static std::string quote_column(std::string_view column);
    /// A text as a quoted literal, inner single quotes doubled.
    static std::string quote_literal(std::string_view value);
    /// The condition of a filter expression, with the words a dialect uses for
    /// the REGEXP and !REGEXP operators.
    static std::string build_condition(std::string_view expression, std::string_view regexp,
                                       std::string_view not_regexp);

private:
    std::weak_ptr<IConnection> m_connection;
};

} // namespace Dizezida::Dovodarud::Supports::Database

// The PostgreSQL statement dialect: catalog listings, source and content
// queries, routine calls, rename / drop / truncate, grants, EXPLAIN forms,
// the connection text and the filter expressions of the data grid.
//
// Every operation builds text; names go in as quoted identifiers (inner
// double quotes doubled), values as literals (inner single quotes doubled),
// and catalog objects are named with their pg_catalog schema. Listings are
// ordered, so two runs give the same rows in the same order.
//
// Server knowledge: queries that differ between versions read the
// connection's major version (0, not yet known, counts as the newest). The
// detail of a role reads pg_authid only when the session is known to be a
// superuser (`set_superuser`); otherwise pg_roles, with an empty password.
// `show_content` with a limit and no order is the one operation that asks
// the server: it reads the table's key through the connection so that pages
// never repeat or skip rows.
//
// Ownership: refers to its connection without owning it. Threads: stateless
// but for the atomic superuser mark; safe to call from any thread.
#pragma once

#include "Supports/Database/Statement.hpp"

#include <atomic>

namespace Dizezida::Dovodarud::Supports::Database {

class PostgreSQLStatement : public Statement {
    DIZEZIDA_OBJECT(PostgreSQLStatement)
public:
    using Statement::Statement;
    /// A dialect for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<PostgreSQLStatement>
    create(const std::shared_ptr<IConnection>& connection);

    /// Whether the session may read pg_authid (set by the connection after an open).
    void set_superuser(bool superuser) { m_superuser.store(superuser); }
    bool get_superuser() const { return m_superuser.load(); }

    /// The generic text plus "SSLMODE=require;" when the server uses SSL.
    std::string
    build_connection_string(const Zozuvoru::Contracts::ServerPtr& server) const override;
    std::string show_databases(std::int32_t& flag) const override;
    /// psql's "\connect NAME;" (the name quoted when it is not a plain lower-case word).
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
    /// User triggers of the schema's tables and views (column "conname").
    std::string show_triggers(std::string_view database, std::string_view user_schema,
                              std::int32_t& flag) const override;
    std::string show_functions(std::string_view database, std::string_view user_schema,
                               std::int32_t& flag) const override;
    /// Procedures (prokind 'p'); an empty result before version 11.
    std::string show_procedures(std::string_view database, std::string_view user_schema,
                                std::int32_t& flag) const override;
    std::string call_function(std::string_view database, std::string_view user_schema,
                              std::string_view function,
                              std::string_view parameters) const override;
    std::string call_procedure(std::string_view database, std::string_view user_schema,
                               std::string_view procedure,
                               std::string_view parameters) const override;
    /**
     * The query whose one value is an object's source, from three names:
     * routines and views (_, schema, name), indexes and triggers (schema,
     * table, name). "" and flag 1 for any other kind. Overloads of a routine
     * come in oid order; aggregates are left out.
     */
    std::string show_source(DbObject kind, std::string_view first, std::string_view second,
                            std::string_view third, std::int32_t& flag) const override;
    std::string show_structure(std::string_view database, std::string_view user_schema,
                               std::string_view table, std::int32_t& flag) const override;
    /// One page of a table. With a limit and no order, the rows are ordered
    /// by the primary key, else by every column in order.
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
    std::string grant_user_rights(std::string_view database, std::string_view user_schema,
                                  std::string_view username, std::string_view object,
                                  std::string_view rights) const override;
    std::string revoke_user_rights(std::string_view database, std::string_view user_schema,
                                   std::string_view username, std::string_view object,
                                   std::string_view rights) const override;
    /// The privileges PostgreSQL knows: privilege, context and comment.
    std::string show_privileges(std::int32_t& flag, std::int32_t& second_flag) const override;
    /// "" : PostgreSQL applies grants at once, there is nothing to flush.
    std::string flush_privileges() const override;
    std::string show_effected(std::string_view database, std::string_view user_schema,
                              std::string_view table, std::string_view where) const override;
    /// The foreign-key columns of a table: column_name, constraint_name,
    /// referenced_column_name, referenced_table_name.
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
    /// "EXPLAIN %s;", or "EXPLAIN (FORMAT %s) %s;" for TEXT, XML, JSON or YAML.
    std::string build_explain(std::string_view statement, std::string_view format) const override;
    /// "EXPLAIN ANALYZE %s;"
    std::string build_analyze(std::string_view statement, std::string_view format) const override;
    /// Bytes (codes 30, 31) as '\x..'::bytea; everything else as the generic dialect.
    std::string pack_value(std::uint32_t data_type, std::string_view value) const override;
    /// A filter as a condition; "" for a filter without its three fields.
    std::string parse_expression(std::string_view expression) const override;

private:
    /// The connection's major version (0 when unknown).
    std::uint32_t major_version() const;
    /// Whether catalog columns of version `major` may be used.
    bool at_least(std::uint32_t major) const;
    /// "ORDER BY" items that give a table's rows one fixed order.
    std::string key_order(std::string_view schema, std::string_view table) const;

    std::atomic<bool> m_superuser{false};
};

} // namespace Dizezida::Dovodarud::Supports::Database

// The PostgreSQL create scripts: DDL text from meta objects.
//
// A schema script rebuilds the schema on an empty database: check of
// function bodies off, the schema, its types and sequences, its routines,
// its tables in dependency order (partitions and children after their
// parents, without foreign keys), sequence ownership, then every foreign
// key, the tables' rules, views in dependency order and materialized views.
// Names are quoted identifiers and texts literals with their quotes doubled.
//
// Ownership: refers to its connection without owning it (for the inspector).
// Threads: stateless but for the schema's table order, which
// `build_schema` sets in place.
#pragma once

#include "Supports/Database/SqlBuilder.hpp"

namespace Dizezida::Dovodarud::MetaModel {
class MetaColumn;
class MetaRelation;
class MetaTrigger;
class MetaSequence;
class MetaType;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Database {

class PostgreSQLBuilder : public SqlBuilder {
    DIZEZIDA_OBJECT(PostgreSQLBuilder)
public:
    using SqlBuilder::SqlBuilder;
    /// A builder for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<PostgreSQLBuilder>
    create(const Contracts::Database::ConnectionPtr& connection);

    std::string build_create(const Ptr<MetaModel::MetaObject>& meta_object,
                             bool keep_raw_type) const override;
    std::string build_delete(const Ptr<MetaModel::MetaObject>& meta_object) const override;
    std::string build_caller(const Ptr<MetaModel::MetaFunction>& function) const override;
    /// Double-quoted pieces; an empty piece or the replacement stands bare.
    std::string quote_identifier(std::string_view identifier, std::string_view separator,
                                 std::string_view replacement) const override;
    /// CREATE DATABASE, its comment and extensions, then every schema.
    std::string create_database(const Ptr<MetaModel::MetaDatabase>& database,
                                std::int32_t flag) const override;
    std::string build_schema(const Ptr<MetaModel::MetaSchema>& schema,
                             bool keep_raw_type) const override;
    /// A table with its columns, key, checks, uniques and exclusions, options,
    /// comments, indexes, triggers and rules; foreign keys follow as ALTER
    /// TABLE statements at the end of the table's script.
    std::string build_table(const Ptr<MetaModel::MetaTable>& table,
                            bool keep_raw_type) const override;
    std::string build_view(const Ptr<MetaModel::MetaView>& view) const override;
    std::string build_index(const Ptr<MetaModel::MetaIndex>& index) const override;
    std::string build_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) const override;
    /// The server's own definition when the catalog gave one, else built
    /// from the parameters, return type and body.
    std::string build_function(const Ptr<MetaModel::MetaFunction>& function) const override;
    std::string build_user(const Ptr<MetaModel::MetaUser>& user) const override;
    std::string build_role(const Ptr<MetaModel::MetaRole>& role) const override;

    /// A type or domain.
    std::string build_type(const MetaModel::MetaType& type) const;
    /// A sequence (its ownership is `own_sequence`).
    std::string build_sequence(const MetaModel::MetaSequence& sequence) const;
    std::string own_sequence(const MetaModel::MetaSequence& sequence) const;

    /// The table script without foreign keys and rules (what a schema script
    /// writes before every table exists).
    std::string table_body(const MetaModel::MetaTable& table, bool keep_raw_type) const;
    /// ALTER TABLE ... ADD CONSTRAINT ... FOREIGN KEY for each foreign key.
    std::string table_foreign_keys(const MetaModel::MetaTable& table) const;
    /// The rules of a table.
    std::string table_rules(const MetaModel::MetaTable& table) const;

private:
    /// One trigger on a table given as a quoted, qualified name.
    std::string trigger_script(const MetaModel::MetaTrigger& trigger,
                               const std::string& table) const;
    std::string column_line(const MetaModel::MetaTable& table, const MetaModel::MetaColumn& column,
                            bool keep_raw_type) const;
    std::string account_script(const MetaModel::MetaRelation& account) const;
};

} // namespace Dizezida::Dovodarud::Supports::Database

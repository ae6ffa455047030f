// The PostgreSQL create scripts: DDL text from meta objects.
//
// A schema script rebuilds the schemas on an empty database: check of
// function bodies off, the schemas, then every object after the objects it
// needs (the server's dependency rows and the model's own references),
// across schemas; among objects free to go, types, sequences, routines,
// tables, sequence ownership, indexes and triggers, foreign keys, rules,
// views and materialized views, each kind by schema and name.
// Names are quoted identifiers and texts literals with their quotes doubled.
//
// Ownership: refers to its connection without owning it (for the inspector).
// Threads: stateless but for the schema's table order, which
// `build_schema` sets in place.
#pragma once

#include "Supports/Database/SqlBuilder.hpp"

#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {
class MetaColumn;
class MetaConstraint;
class MetaForeignKey;
class MetaRelation;
class MetaRule;
class MetaTrigger;
class MetaSequence;
class MetaType;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Database {

namespace ScriptOrder {
struct Piece;
} // namespace ScriptOrder

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

    // ------------------------------------------------------------ alter side
    //
    // Tables come as difference tables (Transform::Patcher) whose items carry
    // marks: EQUAL kept, REMOVE dropped, APPEND added, CHANGE changed to the
    // item's definition. Names are qualified and quoted, texts literals.

    /// By kind: a routine re-created in place (dropped first when its
    /// result changed), a table patched, a view replaced, a role altered.
    std::string build_patch(const Ptr<MetaModel::MetaObject>& meta_object) const override;
    /// Every change of a difference table: its foreign keys dropped, the
    /// table altered, its foreign keys and rules added.
    std::string patch_table(const Ptr<MetaModel::MetaTable>& table) const override;
    /// CREATE OR REPLACE VIEW (a materialized view is dropped and created).
    std::string patch_view(const Ptr<MetaModel::MetaView>& view) const override;
    std::string alter_schema(const Ptr<MetaModel::MetaSchema>& schema_old,
                             const Ptr<MetaModel::MetaSchema>& schema_new) const override;
    /// What ALTER DATABASE can change; the rest is said in comment lines.
    std::string alter_database(const Ptr<MetaModel::MetaDatabase>& database_old,
                               const Ptr<MetaModel::MetaDatabase>& database_new) const override;
    /// The script of a difference database (Transform::Patcher), in an order
    /// that runs in one go; see PostgreSQLPatchScript.cpp.
    std::string patch_script(const Ptr<MetaModel::MetaDatabase>& database) const override;
    /**
     * The keyed statements of a difference table (Transform::Patcher's data
     * comparison, or the synchroniser's keyed hash comparison): DELETE ...
     * WHERE key for REMOVE rows, UPDATE ... SET every column but the key
     * WHERE key for CHANGE rows, INSERT for APPEND rows, in that order, one
     * statement a line. The model must carry its schema and key
     * (Supports/Database/DataTable.hpp); "" otherwise.
     */
    std::string patch_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& model) const override;
    /// A role or user edited in place, from its diff and slice maps.
    std::string patch_role_with_user(const Ptr<MetaModel::MetaObject>& role) const;

    /// The parts of a table patch, for scripts that interleave tables.
    std::string patch_drop_foreign_keys(const MetaModel::MetaTable& table) const;
    std::string patch_table_body(const MetaModel::MetaTable& table) const;
    /// Identities that go, and defaults of columns that become identities
    /// (before any sequence is created or dropped).
    std::string patch_drop_identities(const MetaModel::MetaTable& table) const;
    /// CREATE EXTENSION for the "name=version" items only in `after`,
    /// ALTER EXTENSION ... UPDATE TO for a changed version.
    std::string patch_extensions(std::string_view before, std::string_view after) const;

    /// A type or domain.
    std::string build_type(const MetaModel::MetaType& type) const;
    /// A sequence (its ownership is `own_sequence`).
    std::string build_sequence(const MetaModel::MetaSequence& sequence) const;
    std::string own_sequence(const MetaModel::MetaSequence& sequence) const;

    /// The table script without foreign keys and rules (what a schema script
    /// writes before every table exists).
    std::string table_body(const MetaModel::MetaTable& table, bool keep_raw_type) const;
    /// The table's CREATE TABLE with its key, checks, uniques and
    /// exclusions, and the comments: what must exist before rows go in.
    std::string table_create(const MetaModel::MetaTable& table, bool keep_raw_type) const;
    /// The table's indexes and triggers (`table_body` is both parts).
    std::string table_extras(const MetaModel::MetaTable& table) const;
    /// The create script of several schemas as one: the schemas, then
    /// every object after what it needs, across the schemas
    /// (PostgreSQLSchemaScript.cpp). `build_schema` is this for one schema.
    std::string build_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                              bool keep_raw_type) const override;
    /// The same script in two halves around copying the rows: before them
    /// the schemas, every table's CREATE (its key, checks and defaults) and
    /// sequence ownership, with all they need; after them the rest (indexes,
    /// triggers, foreign keys, rules, views, and routines no table needs).
    std::pair<std::string, std::string>
    schemas_around_rows(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                        bool keep_raw_type) const override;
    /// ALTER TABLE ... ADD CONSTRAINT ... FOREIGN KEY for each foreign key.
    std::string table_foreign_keys(const MetaModel::MetaTable& table) const;
    /// The statement (and comment) of one foreign key of a table.
    std::string foreign_key_statement(const MetaModel::MetaTable& table,
                                      const MetaModel::MetaForeignKey& key) const;
    /// The rules of a table.
    std::string table_rules(const MetaModel::MetaTable& table) const;
    /// Row level security and the policies of a table (options
    /// "ROW_SECURITY": ENABLE or FORCE, and "POLICIES": the statements).
    std::string row_security(const MetaModel::MetaTable& table) const;
    /// Row security switched as the difference table says, and its
    /// policies made again when they changed.
    std::string patch_row_security(const MetaModel::MetaTable& table) const;
    /// The statements for rules of the relation `name` (qualified): each
    /// by its server text (CREATE OR REPLACE for a changed one), drops for
    /// removed ones, then the enabled state and the comment. For a relation
    /// `made_anew`, every rule but a removed one is simply created.
    std::string rules_script(const std::vector<Ptr<MetaModel::MetaRule>>& rules,
                             const std::string& name, bool made_anew = false) const;

    /// Objects of a difference database by dependency key, with their marks.
    using MarkedObjects =
        std::map<std::string, std::pair<std::shared_ptr<MetaModel::MetaObject>,
                                        Zozuvoru::Contracts::DataVersion>>;
    /// A schema of a difference database, and whether it is new as a whole.
    using MarkedSchema = std::pair<std::shared_ptr<MetaModel::MetaSchema>, bool>;

    /// Whether a changed routine is dropped before it is created again (its
    /// result changed, or the catalog gave no definition).
    static bool routine_dropped_first(const MetaModel::MetaFunction& routine);

private:
    /// The texts of a table's pieces.
    struct TableTexts {
        std::string create, extras, keys, rules;
    };
    // The parts of the patch script (PostgreSQLPatchScript.cpp).
    /// Objects that go away or change shape under the views that use them.
    std::set<std::string> replaced_keys(const MarkedObjects& objects) const;
    /// Views to drop: removed, changed, or using what goes or changes shape.
    std::set<std::string> views_to_drop(const MarkedObjects& objects,
                                        const std::set<std::string>& gone) const;
    std::string drop_views(const MarkedObjects& objects, const std::set<std::string>& dropping) const;
    /// Everything created or altered, in dependency order, with `pieces`.
    std::string patch_pieces(const std::vector<MarkedSchema>& schemas,
                             const std::set<std::string>& dropping,
                             std::vector<ScriptOrder::Piece> pieces) const;
    /// DROP FUNCTION or PROCEDURE by the routine's identity arguments.
    static std::string drop_routine(const MetaModel::MetaFunction& routine);
    /// Removed routines whose arguments name an enum that is replaced;
    /// their keys are added to `dropped`.
    std::string drop_routines_of_replaced_types(const MarkedObjects& objects,
                                                std::set<std::string>& dropped) const;
    /// Drops of the foreign keys that lean on a primary key that changes;
    /// their statements to add them again go to `again`.
    std::string drop_keys_to_new_primary_keys(const MarkedObjects& objects,
                                              std::vector<ScriptOrder::Piece>& again) const;
    std::string patch_type(const MetaModel::MetaType& type,
                           const std::vector<MarkedSchema>& schemas) const;
    std::string patch_sequence(const MetaModel::MetaSequence& sequence) const;
    /// The removed sequences of a table's columns that become identities;
    /// their keys are added to `dropped`.
    std::string drop_owned_sequences(const MetaModel::MetaTable& table, const MarkedObjects& objects,
                                     std::set<std::string>& dropped) const;
    /// Removed objects, dependents first (but for those `dropped_early`).
    std::string drop_removed(const MarkedObjects& objects,
                             const std::set<std::string>& dropped_early) const;
    /// DROP EXTENSION (no CASCADE) for the "name=version" items only in `before`.
    std::string drop_extensions(std::string_view before, std::string_view after) const;

    /// "SET check_function_bodies = false" and each schema with its comment.
    std::string schemas_head(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas) const;
    /// Every object of the schemas as script pieces with what they need.
    std::vector<ScriptOrder::Piece>
    schema_pieces(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas, bool keep_raw_type) const;
    /// The tables whose CREATE piece a script writes whole, by that node.
    using CreatedTables = std::unordered_map<std::string, const MetaModel::MetaTable*>;
    /// Defaults that call a routine which needs their table again move out
    /// of the table's CREATE into a piece of their own after the routine.
    void split_circular_defaults(const CreatedTables& created, bool keep_raw_type,
                                 std::vector<ScriptOrder::Piece>& pieces) const;
    /// A view's CREATE piece and, when it has rules, their piece.
    void add_view_pieces(const Ptr<MetaModel::MetaView>& view,
                         std::vector<ScriptOrder::Piece>& pieces) const;
    /// A table's CREATE, extras, keys and rules pieces.
    void add_table_pieces(const MetaModel::MetaTable& table, bool keep_raw_type,
                          std::vector<ScriptOrder::Piece>& pieces) const;
    void add_table_pieces(const MetaModel::MetaTable& table, TableTexts texts,
                          std::vector<ScriptOrder::Piece>& pieces) const;
    /// The primary key's columns, quoted, in key order (removed ones left out).
    static std::vector<std::string> primary_key_names(const MetaModel::MetaTable& table);
    /// "CONSTRAINT name CHECK|UNIQUE|EXCLUDE ..." ("" for a foreign key).
    std::string constraint_clause(const MetaModel::MetaConstraint& constraint) const;
    /// One trigger on a table given as a quoted, qualified name.
    std::string trigger_script(const MetaModel::MetaTrigger& trigger,
                               const std::string& table) const;
    std::string column_line(const MetaModel::MetaTable& table, const MetaModel::MetaColumn& column,
                            bool keep_raw_type) const;
    std::string account_script(const MetaModel::MetaRelation& account) const;
    /// "KIND name" for a privileges object "KIND:schema.name" ("" when
    /// GRANT ... ON cannot name it).
    std::string privilege_target(const std::string& object) const;
    /// The ALTER TABLE clauses of a changed column.
    void patch_column(const MetaModel::MetaColumn& column, std::vector<std::string>& clauses) const;
    /// The ALTER TABLE clauses of changed table options, and statements
    /// that cannot be clauses (partition bounds).
    void patch_options(const MetaModel::MetaTable& table, std::vector<std::string>& clauses,
                       std::string& statements) const;
};

} // namespace Dizezida::Dovodarud::Supports::Database

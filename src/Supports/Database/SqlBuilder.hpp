// The generic SQL builder, the base of every server's builder.
//
// Every script operation returns "" here (after checking its arguments), so
// a dialect that does not override one yields "" for it. The generic
// `quote_identifier` writes backticks. `order_with_dependence` puts the
// tables of a schema in an order in which each can be created: the tables
// its foreign keys refer to, and its inheritance or partition parents, come
// first.
//
// Ownership: the builder refers to its connection without owning it (the
// connection owns its builder); dialects reach the connection's inspector and
// catalog through `get_connection()`. Stateless otherwise; safe to call from
// any thread (`order_with_dependence` edits the schema it is given, which
// belongs to the caller).
#pragma once

#include "Contracts/Database/IBuildable.hpp"
#include "Contracts/Database/IConnection.hpp"

#include <cstddef>
#include <memory>

namespace Dizezida::Dovodarud::Supports::Database {

class SqlBuilder : public Core::Object, public Contracts::Database::IBuildable {
    DIZEZIDA_OBJECT(SqlBuilder)
public:
    explicit SqlBuilder(const Contracts::Database::ConnectionPtr& conn) : m_connection(conn) {}
    /// A builder for a connection; nullptr (and "conn != NULL") for none.
    static std::shared_ptr<SqlBuilder> create(const Contracts::Database::ConnectionPtr& conn);

    /// The connection, while it lives.
    Contracts::Database::ConnectionPtr get_connection() const { return m_connection.lock(); }

    std::string build_create(const Ptr<MetaModel::MetaObject>& meta_object,
                             bool keep_raw_type) const override;
    std::string build_delete(const Ptr<MetaModel::MetaObject>& meta_object) const override;
    std::string build_patch(const Ptr<MetaModel::MetaObject>& meta_object) const override;
    std::string build_normal(const Ptr<MetaModel::MetaTable>& table,
                             Contracts::Database::SqlAction action) const override;
    std::string build_caller(const Ptr<MetaModel::MetaFunction>& function) const override;
    /**
     * Backtick quoting. Without `separator` in it (or with an empty
     * separator) the identifier is one name: "`orders`". Otherwise each piece
     * between separators is quoted, except an empty piece or one equal to
     * `replacement`, which is written bare as `replacement`: "public.*" gives
     * "`public`.*", "a..b" gives "`a`.*.`b`". Inner backticks are doubled, so
     * a name cannot end its quotes early.
     */
    std::string quote_identifier(std::string_view identifier, std::string_view separator,
                                 std::string_view replacement) const override;
    std::string alter_database(const Ptr<MetaModel::MetaDatabase>& database_old,
                               const Ptr<MetaModel::MetaDatabase>& database_new) const override;
    std::string create_database(const Ptr<MetaModel::MetaDatabase>& database,
                                std::int32_t flag) const override;
    std::string alter_schema(const Ptr<MetaModel::MetaSchema>& schema_old,
                             const Ptr<MetaModel::MetaSchema>& schema_new) const override;
    std::string build_schema(const Ptr<MetaModel::MetaSchema>& schema,
                             bool keep_raw_type) const override;
    /// Each schema's `build_schema`, one after the other.
    std::string build_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                              bool keep_raw_type) const override;
    std::string build_table(const Ptr<MetaModel::MetaTable>& table,
                            bool keep_raw_type) const override;
    std::string build_view(const Ptr<MetaModel::MetaView>& view) const override;
    std::string build_index(const Ptr<MetaModel::MetaIndex>& index) const override;
    std::string build_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) const override;
    std::string build_function(const Ptr<MetaModel::MetaFunction>& function) const override;
    std::string build_user(const Ptr<MetaModel::MetaUser>& user) const override;
    std::string build_role(const Ptr<MetaModel::MetaRole>& role) const override;
    std::string build_script(const Ptr<Zozuvoru::Contracts::DataSetModel>& dataset) const override;
    std::string build_event(const Ptr<MetaModel::MetaEvent>& event) const override;
    std::string patch_event(const Ptr<MetaModel::MetaEvent>& event) const override;
    std::string patch_function(const Ptr<MetaModel::MetaFunction>& func) const override;
    std::string patch_script(const Ptr<MetaModel::MetaDatabase>& database) const override;
    std::string patch_table(const Ptr<MetaModel::MetaTable>& table) const override;
    std::string patch_view(const Ptr<MetaModel::MetaView>& view) const override;
    std::string patch_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& model) const override;

    /**
     * Reorders `schema->tables` in place from position `start` on, so that a
     * table stands after the tables it depends on: those its foreign keys
     * refer to and its parents in the "INHERITS" option (partitions too).
     * Tables before `start` stay where they are and count as created.
     *
     * Only tables of this schema count: a foreign key with a "refer-schema"
     * must name the table's schema too; one without compares the name only.
     * The result is a permutation of the list, and the sort is stable: a list
     * already in dependency order keeps its order, and so does a list this
     * operation has ordered once. Tables that depend on each other in a cycle
     * (self-references aside) stand next to each other, ordered as far as
     * their keys inside the cycle allow; every other key points backwards.
     */
    virtual void order_with_dependence(const Ptr<MetaModel::MetaSchema>& schema,
                                       std::size_t start) const;

private:
    std::weak_ptr<Contracts::Database::IConnection> m_connection;
};

} // namespace Dizezida::Dovodarud::Supports::Database

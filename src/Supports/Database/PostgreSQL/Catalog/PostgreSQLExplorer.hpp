// The PostgreSQL object explorer: the objects of one kind in a database or
// schema as a table for the object browser, one catalog query per kind,
// with translated column titles; and the one command the browser runs on
// the server directly (locking and unlocking a login).
//
// Schemas are matched by namespace, never through search_path; lists are
// ordered; queries follow the connection's major version (prokind from 11).
// Names are escaped.
//
// Ownership: refers to its connection without owning it. Threads: stateless;
// runs on the caller's thread.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/Database/IExplorable.hpp"

#include <span>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

class PostgreSQLExplorer : public Core::Object, public Contracts::Database::IExplorable {
    DIZEZIDA_OBJECT(PostgreSQLExplorer)
public:
    explicit PostgreSQLExplorer(const std::shared_ptr<Contracts::Database::IConnection>& connection)
        : m_connection(connection) {}
    /// An explorer for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<PostgreSQLExplorer>
    create(const std::shared_ptr<Contracts::Database::IConnection>& connection);

    /// The objects of a kind in a schema ("" is public); an empty model for a
    /// kind the explorer does not list.
    Core::Result<std::shared_ptr<Zozuvoru::Contracts::TableModel>>
    load_objects(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                 std::string_view schema, std::string_view extra_data) override;
    /// "lock" / "unlock" of a user (kind USER); anything else does nothing.
    Core::Result<void> exec_command(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                                    std::string_view schema, std::string_view object,
                                    std::string_view extra_data,
                                    std::string_view command) override;

    // The catalog lookups (CatalogQueries), on the connection's session.
    Core::Result<std::string> current_database() override;
    Core::Result<std::vector<std::string>> schema_names() override;
    Core::Result<bool> has_schema(std::string_view schema) override;
    Core::Result<std::vector<Contracts::Database::CatalogRelation>>
    relations(const std::vector<std::string>& schemas) override;
    Core::Result<std::vector<Contracts::Database::CatalogRelation>>
    type_names(const std::vector<std::string>& schemas) override;
    Core::Result<std::vector<std::string>> column_names(std::string_view schema,
                                                        std::string_view relation) override;
    Core::Result<std::vector<std::string>> data_tables(std::string_view schema) override;
    Core::Result<std::vector<Contracts::Database::DataColumn>>
    data_columns(std::string_view schema, std::string_view table) override;
    Core::Result<std::vector<Contracts::Database::ColumnWireType>>
    column_wire_types(std::string_view schema, std::string_view relation) override;
    Core::Result<std::uint64_t> table_blocks(std::string_view schema,
                                             std::string_view table) override;
    Core::Result<std::vector<std::string>> primary_key(std::string_view schema,
                                                       std::string_view table) override;
    Core::Result<std::string> owned_sequence(std::string_view schema, std::string_view table,
                                             std::string_view column) override;

    /// The column titles of a kind's list (untranslated); empty for a kind
    /// that is not listed.
    static std::span<const char* const> titles(Zozuvoru::Contracts::DbObject kind);
    /// The kinds the explorer lists, with the nick the front end uses for each.
    struct Kind {
        Zozuvoru::Contracts::DbObject kind;
        const char* nick;
    };
    static std::span<const Kind> kinds();

    std::shared_ptr<Contracts::Database::IConnection> get_connection() const {
        return m_connection.lock();
    }

private:
    class Rows;
    /// The rows of a lookup query on the connection.
    Core::Result<Rows> lookup(const std::string& sql) const;
    /// The query listing a kind ("" for a kind that is not listed).
    std::string query(Zozuvoru::Contracts::DbObject kind, std::string_view schema) const;

    std::weak_ptr<Contracts::Database::IConnection> m_connection;
};

} // namespace Dizezida::Dovodarud::Supports::Database

// The PostgreSQL type inspector: what a native type name means (type class,
// in-memory value type, default literal of a new column), the SQL type that
// stands for a type class, and the choices an editor offers for each kind of
// setting (fixed lists, or catalog queries whose "%s" slots the caller fills
// with `sql_fill`, which escapes them).
//
// Names are matched lower-cased, in both the short spellings (int4,
// timestamptz) and the ones information_schema reports (integer, timestamp
// with time zone, ARRAY, USER-DEFINED). A name with a modifier, such as
// numeric(10,2), is not a known name: its class is 0, and a script keeps the
// name itself as the column type (`get_column_sql_type`).
//
// Every mapped SQL type holds every value of the classes mapped to it, and
// every default literal is accepted as a column default on PostgreSQL 10 to
// 18. Catalog queries that differ between versions read the connection's
// major version (0, not yet known, counts as the newest).
//
// Ownership: refers to its connection without owning it. Stateless; safe to
// call from any thread.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/Database/ITypeCatalog.hpp"

#include <memory>

namespace Dizezida::Dovodarud::Supports::Database {

using Contracts::Database::DbMetaType;
using Zozuvoru::Contracts::DataType;

class PostgreSQLInspector : public Core::Object, public Contracts::Database::IInspectable {
    DIZEZIDA_OBJECT(PostgreSQLInspector)
public:
    explicit PostgreSQLInspector(const std::shared_ptr<Contracts::Database::IConnection>& connection)
        : m_connection(connection) {}
    /// An inspector for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<PostgreSQLInspector>
    create(const std::shared_ptr<Contracts::Database::IConnection>& connection);

    std::shared_ptr<Contracts::Database::IConnection> get_connection() const {
        return m_connection.lock();
    }

    /// The strings an editor offers for a kind; empty for a kind without any.
    std::vector<std::string> support(DbMetaType meta_type) const override;
    /// A literal the server accepts as the default of a new column of the type
    /// ("NULL" for a name it does not know).
    std::string get_type_default(std::string_view native_type) const override;
    DataType get_data_type(std::string_view native_type) const override;
    std::string get_sql_type(DataType data_type) const override;
    /// The native type itself for classes that would lose values (unknown,
    /// jsonb, money, geometric, text search and log positions, arrays); else
    /// `get_sql_type`.
    std::string get_column_sql_type(DataType data_type,
                                    std::string_view native_type) const override;
    std::string get_glib_type(std::string_view native_type) const override;

private:
    /// Whether catalog columns of version `major` may be used.
    bool at_least(std::uint32_t major) const;

    std::weak_ptr<Contracts::Database::IConnection> m_connection;
};

} // namespace Dizezida::Dovodarud::Supports::Database

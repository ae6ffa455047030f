// The adapter generations for older and newer servers than 10 and 11.
//
// PostgreSQLAdapterV9x reads the storage options of servers before 10
// (tables may have OIDs, there are no partitions). PostgreSQLAdapterV12x
// serves 12 on, whose catalog has no consrc and no OIDs on tables; the
// queries of its base already read constraints through pg_get_expr and
// pg_get_constraintdef, so it needs no override of its own.
#pragma once

#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterV11x.hpp"

namespace Dizezida::Dovodarud::Supports::Database {

class PostgreSQLAdapterV9x : public PostgreSQLAdapterV11x {
    DIZEZIDA_OBJECT(PostgreSQLAdapterV9x)
public:
    using PostgreSQLAdapterV11x::PostgreSQLAdapterV11x;
    static std::shared_ptr<PostgreSQLAdapterV9x>
    create(const Contracts::Database::ConnectionPtr& connection);

protected:
    Done read_options(const Scope& scope, const TableIndex& tables) override;
    /// The base's options plus "WITH_OIDS"; no "PARTITION".
    void apply_options(MetaModel::MetaTable& table, const CatalogRows& rows,
                       std::size_t row) const override;
};

class PostgreSQLAdapterV12x : public PostgreSQLAdapterV11x {
    DIZEZIDA_OBJECT(PostgreSQLAdapterV12x)
public:
    using PostgreSQLAdapterV11x::PostgreSQLAdapterV11x;
    static std::shared_ptr<PostgreSQLAdapterV12x>
    create(const Contracts::Database::ConnectionPtr& connection);
};

} // namespace Dizezida::Dovodarud::Supports::Database

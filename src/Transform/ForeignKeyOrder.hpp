// The order in which rows go into (and out of) tables joined by foreign
// keys, and what a run needs when the keys form a cycle.
//
// `order_by_foreign_keys` is pure: it groups the tables into the strongly
// connected parts of the key graph (one table alone, or the tables of a
// cycle, a table whose key refers to itself included) and orders the groups
// so that every group comes after the groups it refers to (parents first)
// or before them (children first). Among groups free to go in either order
// the one with the smaller first table name goes first, so the same tables
// and keys always give the same order.
//
// The rest reads what the order needs from a server: the keys between the
// tables of some schemas (one catalog query for all of them) and whether the
// role may turn the keys off for a transaction. A cycle whose keys are all
// DEFERRABLE runs with the keys deferred to the commit; any other cycle runs
// with session_replication_role = replica (no key or trigger fires) where
// the role may set it, and is refused otherwise.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "core/Error.hpp"

#include <compare>
#include <string>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

struct TableName {
    std::string schema;
    std::string table;

    auto operator<=>(const TableName&) const = default;
    /// "schema"."table", quoted.
    std::string text() const;
};

/// A foreign key: rows of `child` refer to rows of `parent`.
struct ForeignKeyLink {
    TableName child;
    TableName parent;
    std::string name;
    bool deferrable = false;
};

/// Tables whose rows the order cannot separate: one table, or a cycle.
struct TableGroup {
    std::vector<TableName> tables; ///< by name
    /// The tables refer to each other in a cycle (or the one table to itself).
    bool cycle = false;
    /// Every key between the tables of the cycle is DEFERRABLE.
    bool deferrable = false;
    /// For a cycle: the tables one after the other as each refers to the
    /// next, the first again at the end.
    std::vector<TableName> path;
};

enum class KeyOrder { parents_first, children_first };

/// The groups of `tables` in `order`. Keys with an end outside `tables` are
/// left out; a key of a table to itself makes that table a cycle.
std::vector<TableGroup> order_by_foreign_keys(std::vector<TableName> tables,
                                              const std::vector<ForeignKeyLink>& keys,
                                              KeyOrder order);

/// A cycle's path as text: "s"."a" -> "s"."b" -> "s"."a".
std::string cycle_text(const TableGroup& group);

/// The foreign keys of the server whose table and referenced table both lie
/// in `schemas`.
[[nodiscard]] Core::Result<std::vector<ForeignKeyLink>>
read_foreign_keys(Contracts::Database::IConnection& connection,
                  const std::vector<std::string>& schemas);

/// Whether the connection's role may set session_replication_role.
[[nodiscard]] Core::Result<bool>
may_set_replication_role(Contracts::Database::IConnection& connection);

/// What a transaction that writes rows of key cycles must set first.
struct CycleSetting {
    enum class Way { none, deferred, replica };
    Way way = Way::none;
    std::string statement; ///< run first in the transaction; "" for none
    std::string notice;    ///< for the user when the keys are turned off; "" otherwise
};

/// The setting the cycles among `groups` need: nothing without a cycle,
/// SET CONSTRAINTS ALL DEFERRED when every cycle's keys are deferrable,
/// SET LOCAL session_replication_role = replica when the connection's role
/// may set it; otherwise an error naming the first cycle that cannot be
/// run, which ends in `refusal`.
[[nodiscard]] Core::Result<CycleSetting> cycle_setting(Contracts::Database::IConnection& connection,
                                                       const std::vector<TableGroup>& groups,
                                                       std::string_view refusal);

} // namespace Dizezida::Dovodarud::Transform

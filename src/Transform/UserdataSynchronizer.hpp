// Brings the rows of tables of a target schema into line with the same
// tables of a source schema: rows only in the source are inserted, rows
// whose values differ updated, rows only in the target deleted, each by its
// primary key; equal rows are not touched.
//
// Plan (SyncPlan.hpp): both schemas, continue-on-error, and the tables
// that take part (objects of kind "table"); without any, every table of the
// source schema does.
//
// `initialize` describes the tables on both sides (columns, key) and refuses
// a table without a primary key, or whose key differs between the sides.
// `preview` loads every row into the data sets and compares them in memory
// (Patcher::diff_data_set, the reference); `generate` compares by streamed
// row hashes in key order (DataComparison.hpp), which scales, and gives one
// statement per differing row.
//
// Order of the statements, by the target's foreign keys among the tables
// whose rows differ (ForeignKeyOrder.hpp): every DELETE first, children's
// before their parents'; then each table's UPDATEs and INSERTs, parents'
// before their children's; tables free to go either way by name. Tables
// whose keys form a cycle (a table whose key refers to itself counts when
// it has rows to insert or delete) open the transaction with the keys
// deferred, or with session_replication_role = replica (`notice` says so),
// or are refused before anything runs.
#pragma once

#include "Transform/DataComparison.hpp"
#include "Transform/Patcher.hpp"
#include "Transform/Synchronizer.hpp"

namespace Dizezida::Zozuvoru::Contracts {
class DataSetModel;
}

namespace Dizezida::Dovodarud::Transform {

class UserdataSynchronizer : public Synchronizer {
public:
    using DataSetPtr = std::shared_ptr<Zozuvoru::Contracts::DataSetModel>;

    using Synchronizer::Synchronizer;

    [[nodiscard]] Core::Result<void> initialize() override;
    /// The difference data set of every row of both sides, compared in
    /// memory (nullptr when equal); the data sets hold the rows afterwards.
    [[nodiscard]] Core::Result<Core::ObjectPtr> preview() override;
    [[nodiscard]] Core::Result<std::vector<std::string>> generate() override;

    /// The difference table of each table whose rows differ, by the keyed
    /// hash comparison.
    [[nodiscard]] Core::Result<std::vector<TablePtr>> compare();
    /// The statements of difference tables, by the target's builder, in the
    /// foreign keys' order, any setting the cycles need first.
    [[nodiscard]] Core::Result<std::vector<std::string>>
    statements(const std::vector<TablePtr>& differences);
    /// What the user must know of the last `statements` (the keys turned
    /// off for a cycle); "" when nothing.
    const std::string& notice() const { return m_notice; }

    DataSetPtr get_dataset_source() const { return m_dataset_source; }
    DataSetPtr get_dataset_target() const { return m_dataset_target; }

private:
    [[nodiscard]] Core::Result<std::vector<std::string>> chosen_tables() const;

    Patcher m_patcher;
    DataSetPtr m_dataset_source;
    DataSetPtr m_dataset_target;
    std::string m_notice;
};

} // namespace Dizezida::Dovodarud::Transform

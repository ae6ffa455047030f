// What both synchronisers share: the connections, the progress record and
// its lock, the plan (SyncPlan.hpp: given as it is, or read from an option
// map), and `handle`, which runs the generated statements on the target.
//
// Without the plan's `go_on` the statements run in one transaction: the
// first failure rolls everything back (PostgreSQL DDL is transactional), so
// the target is changed wholly or not at all. With it,
// each statement runs under a savepoint inside one transaction: a failure is
// counted and undone alone, and the rest goes on. The first `m_opening`
// statements set the transaction up (for instance deferring foreign keys):
// they run first, uncounted and never under a savepoint, and any failure
// among them ends the run before a row or object changes. A failing
// `generate` counts as one failed step with its message. The record's `state`
// ends at `JobState::ended` on every path. Statements travel in batches of
// one text each (one round trip); a batch that fails is undone and run again
// statement by statement, so what is counted and reported is the same. An interruption
// (core/Interruption.hpp) rolls everything back, even with `go_on`.
#pragma once

#include "Transform/ISynchronize.hpp"
#include "Transform/Job.hpp"
#include "Transform/SyncPlan.hpp"

namespace Dizezida::Dovodarud::Transform {

class Synchronizer : public Job<ISynchronize> {
public:
    explicit Synchronizer(Options options) : m_plan(sync_plan(options)) {}
    explicit Synchronizer(SyncPlan plan) : m_plan(std::move(plan)) {}

    /// What the job brings into line; not while it runs.
    void set_plan(SyncPlan plan) { m_plan = std::move(plan); }
    const SyncPlan& plan() const { return m_plan; }

    void handle() override;

protected:
    /// Fails when the source and the target schema are one schema of one
    /// database (told by the server's identity, not the connection texts).
    [[nodiscard]] Core::Result<void> refuse_same_schema() const;

    SyncPlan m_plan;
    /// How many of `generate()`'s statements open the transaction.
    std::size_t m_opening = 0;

private:
    /// Runs the statements; false when the job must stop (a failure without continue).
    bool run_statements(const std::vector<std::string>& statements, bool go_on);
    /// Runs statements as one text under a savepoint; when that fails, undoes
    /// it and runs them one by one, so each failure counts as its own.
    bool run_batch(const std::vector<std::string_view>& batch, bool go_on);
    /// One statement, under its own savepoint with `go_on`.
    bool run_one(std::string_view statement, bool go_on);
    /// Rolls the transaction back and counts one failed step; false.
    bool abandon(const std::string& message);
};

} // namespace Dizezida::Dovodarud::Transform

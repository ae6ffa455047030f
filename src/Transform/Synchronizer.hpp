// What both synchronisers share: the connections, the progress record and
// its lock, the option map, and `handle`, which runs the generated statements
// on the target.
//
// Without "OPTION|RESULT|CONTINUE" = "true" the statements run in one
// transaction: the first failure rolls everything back (PostgreSQL DDL is
// transactional), so the target is changed wholly or not at all. With it,
// each statement runs under a savepoint inside one transaction: a failure is
// counted and undone alone, and the rest goes on. A failing `generate` counts
// as one failed step with its message. The record's `state` ends at 1 on every
// path.
#pragma once

#include "Transform/ISynchronize.hpp"

#include <chrono>
#include <map>

namespace Dizezida::Dovodarud::Transform {

class Synchronizer : public ISynchronize {
public:
    using Options = std::map<std::string, std::string, std::less<>>;

    explicit Synchronizer(Options options) : m_options(std::move(options)) {}

    void handle() override;

    ConnectionPtr get_server_source() const override { return m_source; }
    void set_server_source(ConnectionPtr connection) override { m_source = std::move(connection); }
    ConnectionPtr get_server_target() const override { return m_target; }
    void set_server_target(ConnectionPtr connection) override { m_target = std::move(connection); }
    ProgressPtr get_progress() const override { return m_progress; }
    void set_progress(ProgressPtr progress) override { m_progress = std::move(progress); }
    std::recursive_mutex& progress_lock() const override { return m_lock; }

    /// The option's value ("" when absent).
    std::string option(std::string_view key) const;
    /// "A|B|C" for three fields.
    static std::string option_key(std::string_view a, std::string_view b, std::string_view c);

protected:
    /// Counts one step: its outcome, the elapsed time and, for a failure, a
    /// message line "<local time with milliseconds> <message>".
    void record_step(bool success, const std::string& message);

    ConnectionPtr m_source;
    ConnectionPtr m_target;
    ProgressPtr m_progress;
    Options m_options;
    std::chrono::steady_clock::time_point m_started;
    mutable std::recursive_mutex m_lock;

private:
    /// Runs the statements; false when the job must stop (a failure without continue).
    bool run_statements(const std::vector<std::string>& statements, bool go_on);
    void finish();
};

} // namespace Dizezida::Dovodarud::Transform

// What every transform job shares: the two connections, the progress record
// and the lock every access to it takes, and the counting of steps.
// `Contract` is the job's interface (ITransform or ISynchronize). Each job
// keeps its own typed plan (TransferPlan.hpp, SyncPlan.hpp), which it reads
// from an option map (JobOptions.hpp) or takes as it is.
#pragma once

#include "Transform/ITransform.hpp"
#include "Transform/JobOptions.hpp"

#include <chrono>
#include <string>

namespace Dizezida::Dovodarud::Transform {

/// Counts `succeeded` and `failed` steps on `progress`, sets its elapsed
/// time from `started`, and queues `message` (when not empty) as a line
/// "<local time with milliseconds> <message>". The caller holds the lock.
void count_steps(Contracts::ThreadProgress& progress, std::chrono::steady_clock::time_point started,
                 std::uint64_t succeeded, std::uint64_t failed, const std::string& message);

template <class Contract> class Job : public Contract {
public:
    using Options = JobOptions;

    ConnectionPtr get_server_source() const override { return m_source; }
    void set_server_source(ConnectionPtr connection) override { m_source = std::move(connection); }
    ConnectionPtr get_server_target() const override { return m_target; }
    void set_server_target(ConnectionPtr connection) override { m_target = std::move(connection); }
    ProgressPtr get_progress() const override { return m_progress; }
    void set_progress(ProgressPtr progress) override { m_progress = std::move(progress); }
    std::recursive_mutex& progress_lock() const override { return m_lock; }

protected:
    /// Counts one step; a failure queues its message.
    void record_step(bool success, const std::string& message) {
        record_steps(success ? 1 : 0, success ? 0 : 1, success ? std::string() : message);
    }
    /// Counts several steps at once, queueing `message` when it is not empty.
    void record_steps(std::uint64_t succeeded, std::uint64_t failed, const std::string& message) {
        std::lock_guard lock(m_lock);
        if (m_progress)
            count_steps(*m_progress, m_started, succeeded, failed, message);
    }
    /// Zero counters and the start time, for a new run.
    void start_run() {
        std::lock_guard lock(m_lock);
        m_started = std::chrono::steady_clock::now();
        if (m_progress) {
            m_progress->processed = m_progress->succeeded = m_progress->failed = 0;
            m_progress->elapsed = 0;
            m_progress->state = Contracts::JobState::running;
        }
    }
    /// Tells the front end the run has ended.
    void finish_run() {
        std::lock_guard lock(m_lock);
        if (m_progress)
            m_progress->state = Contracts::JobState::ended;
    }

    ConnectionPtr m_source;
    ConnectionPtr m_target;
    ProgressPtr m_progress;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    mutable std::recursive_mutex m_lock;
};

} // namespace Dizezida::Dovodarud::Transform

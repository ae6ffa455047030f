// A transform job (transfer, sync) run for a command: `handle` on a worker
// thread while the calling thread polls the job's progress record five
// times a second and, when stderr is a terminal, redraws one progress line
// there. Once the run has ended the line is cleared and the messages the
// job queued go to stderr, every line of each led by "<command>: " (its
// later lines by "<command>:   ").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Transform {
class ITransform;
}

namespace Dizezida::Rezizida {

/// The counters of a job's progress record at one moment.
struct JobCounters {
    std::uint64_t processed = 0, succeeded = 0, failed = 0;
    double seconds = 0; ///< from the run's start to its last update
};

/// The progress line after "<command>: "; called on the polling thread
/// without the job's progress lock held.
using ProgressLine = std::function<std::string(const JobCounters&)>;

/// Runs the job to its end as described above; its final counters.
JobCounters run_job(std::string_view command, Dovodarud::Transform::ITransform& job,
                    const ProgressLine& line);

} // namespace Dizezida::Rezizida

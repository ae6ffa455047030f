#include "Transform/Job.hpp"

#include "Helpers/DateTimeHelper.hpp"

namespace Dizezida::Dovodarud::Transform {

void count_steps(Contracts::ThreadProgress& progress, std::chrono::steady_clock::time_point started,
                 std::uint64_t succeeded, std::uint64_t failed, const std::string& message) {
    progress.elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
    progress.processed += succeeded + failed;
    progress.succeeded += succeeded;
    progress.failed += failed;
    if (!message.empty())
        progress.messages.push_back(Helpers::DateTimeHelper::datetime_with_ms_normal() + " " +
                                    message);
}

} // namespace Dizezida::Dovodarud::Transform

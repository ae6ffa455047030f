#include "ui/JobRunner.hpp"

#include "Transform/ITransform.hpp"

#include <chrono>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace Dizezida::Rezizida {

using Dovodarud::Contracts::JobState;
using Dovodarud::Transform::ITransform;

namespace {

constexpr auto k_poll_interval = std::chrono::milliseconds(200);

/// The counters now, and whether the run has ended.
std::pair<JobCounters, bool> read_progress(const ITransform& job) {
    std::lock_guard lock(job.progress_lock());
    const auto& progress = *job.get_progress();
    return {JobCounters{progress.processed, progress.succeeded, progress.failed,
                        static_cast<double>(progress.elapsed) / 1e6},
            progress.state == JobState::ended};
}

/// Waits for the run's end, redrawing the line on a terminal.
JobCounters poll(std::string_view command, const ITransform& job, const ProgressLine& line,
                 bool terminal) {
    for (;;) {
        const auto [counters, ended] = read_progress(job);
        if (ended)
            return counters;
        if (terminal)
            std::cerr << '\r' << command << ": " << line(counters) << "\033[K" << std::flush;
        std::this_thread::sleep_for(k_poll_interval);
    }
}

void print_messages(std::string_view command, const ITransform& job) {
    const std::string continued = std::string(command) + ":   ";
    std::lock_guard lock(job.progress_lock());
    for (std::string lines : job.get_progress()->messages) {
        for (std::size_t at = lines.find('\n'); at != std::string::npos;
             at = lines.find('\n', at + 1))
            lines.insert(at + 1, continued);
        std::cerr << command << ": " << lines << '\n';
    }
}

} // namespace

JobCounters run_job(std::string_view command, ITransform& job, const ProgressLine& line) {
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::thread worker([&job] { job.handle(); });
    poll(command, job, line, terminal);
    worker.join();
    if (terminal)
        std::cerr << "\r\033[K";
    print_messages(command, job);
    return read_progress(job).first;
}

} // namespace Dizezida::Rezizida

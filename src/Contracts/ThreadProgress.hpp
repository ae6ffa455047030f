// The progress record that a long-running job fills and the front end polls.
//
// Shared through std::shared_ptr. It has no lock of its own: every writer and
// every reader takes the owning job's lock around each access.
#pragma once

#include "core/Value.hpp"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts {

/// Where a job's run is.
enum class JobState : std::uint32_t { running = 0, ended = 1 };

struct ThreadProgress {
    static constexpr std::string_view k_type_name = "DizezidaDovodarudContractsThreadProgress";

    std::uint64_t processed = 0;      ///< steps finished, successful or not
    std::uint64_t succeeded = 0;      ///< steps that succeeded
    std::uint64_t failed = 0;         ///< steps that failed
    std::int64_t elapsed = 0;         ///< microseconds from the job's start to the last update
    std::deque<std::string> messages; ///< display lines, first in first out
    JobState state = JobState::running; ///< `ended` once the job's run has ended

    /// A record with all counters 0 and an empty queue.
    static std::shared_ptr<ThreadProgress> create() { return std::make_shared<ThreadProgress>(); }

    /// Counts one finished step.
    void step(bool success) {
        ++processed;
        ++(success ? succeeded : failed);
    }

    /// The record as a generic property value (boxed under its type name).
    static Core::Value to_value(std::shared_ptr<ThreadProgress> progress) {
        return Core::Value::boxed(k_type_name, std::move(progress));
    }
    /// The record held by a generic value, or nullptr.
    static std::shared_ptr<ThreadProgress> from_value(const Core::Value& value) {
        if (value.kind() != Core::ValueKind::Boxed || value.type_name() != k_type_name)
            return nullptr;
        return std::static_pointer_cast<ThreadProgress>(value.get_boxed());
    }
};

} // namespace Dizezida::Dovodarud::Contracts

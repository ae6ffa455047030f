// A long-running job between two connections (synchronisation, transfer).
//
// The front end sets both connections and a progress record, calls
// `initialize`, and runs `handle` on a worker thread while it reads the
// progress record under `progress_lock()`, the lock every update takes.
// The record's `state` becomes `JobState::ended` when the job has ended, on
// every path.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/ThreadProgress.hpp"
#include "core/Error.hpp"

#include <memory>
#include <mutex>

namespace Dizezida::Dovodarud::Transform {

using ConnectionPtr = std::shared_ptr<Contracts::Database::IConnection>;
using ProgressPtr = std::shared_ptr<Contracts::ThreadProgress>;

class ITransform {
public:
    virtual ~ITransform() = default;

    [[nodiscard]] virtual Core::Result<void> initialize() = 0;
    virtual void handle() = 0;

    virtual ConnectionPtr get_server_source() const = 0;
    virtual void set_server_source(ConnectionPtr connection) = 0;
    virtual ConnectionPtr get_server_target() const = 0;
    virtual void set_server_target(ConnectionPtr connection) = 0;
    virtual ProgressPtr get_progress() const = 0;
    virtual void set_progress(ProgressPtr progress) = 0;
    /// The lock that guards every access to the progress record.
    virtual std::recursive_mutex& progress_lock() const = 0;
};

} // namespace Dizezida::Dovodarud::Transform

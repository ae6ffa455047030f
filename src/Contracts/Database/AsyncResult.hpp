// The result of an asynchronous connection operation, handed to the caller's
// callback on the main loop and read back with the matching `*_finish`.
//
// Opaque to callers: only the connection that made it reads it. Made on the
// caller's thread, filled by one worker thread before the completion is
// scheduled, read on the main loop after: no lock is needed.
#pragma once

#include "core/Error.hpp"

#include <any>
#include <functional>
#include <memory>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts::Database {

class AsyncResult {
public:
    /// Which operation made the result ("execute_as_model", "open", ...).
    explicit AsyncResult(std::string_view operation) : m_operation(operation) {}

    std::string_view operation() const { return m_operation; }
    bool failed() const { return m_failed; }
    const Core::Error& error() const { return m_error; }
    const std::any& value() const { return m_value; }

    void set_error(Core::Error error) {
        m_failed = true;
        m_error = std::move(error);
        m_value.reset();
    }
    void set_value(std::any value) { m_value = std::move(value); }

private:
    std::string_view m_operation;
    bool m_failed = false;
    Core::Error m_error;
    std::any m_value;
};

using AsyncResultPtr = std::shared_ptr<AsyncResult>;
/// Runs on the main loop when an asynchronous operation has completed.
using AsyncCallback = std::function<void(const AsyncResultPtr&)>;

} // namespace Dizezida::Dovodarud::Contracts::Database

// The libpq session shared by a provider and its open reader (internal).
//
// `mutex` guards every field. A provider operation holds the mutex for its
// whole run; a reader instead marks the session as lent (`reader_active`)
// and uses the connection without the mutex until it gives it back, so that
// a reader may be read on another thread than the one that opened it. Lock
// order: only this one mutex.
#pragma once

#include "core/Error.hpp"
#include "provider/Supports/PostgreSQLError.hpp"

#include <libpq-fe.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

namespace Dizezida::Zozuvoru::Supports {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;

struct PostgreSQLSession {
    PostgreSQLSession() = default;
    PostgreSQLSession(const PostgreSQLSession&) = delete;
    PostgreSQLSession& operator=(const PostgreSQLSession&) = delete;
    ~PostgreSQLSession() { finish(); }

    /// Ends the libpq connection, if any (mutex held).
    void finish() {
        if (connection)
            PQfinish(connection);
        connection = nullptr;
    }

    /// Takes the session for one operation: waits while a reader of another
    /// thread has it; fails while a reader of this thread has it, and (with
    /// `need_open`) when no connection is open.
    [[nodiscard]] Core::Result<std::unique_lock<std::mutex>> acquire(bool need_open = true);
    /// Lends the session to a reader of the calling thread (mutex held by `lock`).
    void lend(std::unique_lock<std::mutex>& lock);
    /// Takes the session back from the reader and wakes the waiting operations.
    void give_back();

    std::mutex mutex;
    std::condition_variable returned;
    PGconn* connection = nullptr;
    bool reader_active = false;
    std::thread::id reader_thread;
};

/// The failure a result stands for, if it is one. A COPY result is refused
/// (its data is read and dropped, or its input ended) so that the session
/// stays usable.
std::optional<Core::Error> result_failure(PGconn* connection, const PGresult* result);

/// Reads every remaining result of the running command, handing the
/// successful ones to `handle` until the first failure, which it returns.
/// `handle` takes a `const PGresult*`, or a `ResultPtr&` when it keeps results.
template <class Handle>
std::optional<Core::Error> take_results(PGconn* connection, Handle&& handle) {
    std::optional<Core::Error> error;
    while (PGresult* raw = PQgetResult(connection)) {
        ResultPtr result(raw);
        if (auto failure = result_failure(connection, raw)) {
            if (!error)
                error = std::move(failure);
        } else if (!error) {
            if constexpr (std::is_invocable_v<Handle, ResultPtr&>)
                handle(result);
            else
                handle(static_cast<const PGresult*>(raw));
        }
    }
    return error;
}

/// Reads and drops every remaining result; the first failure among them.
inline std::optional<Core::Error> drain_results(PGconn* connection) {
    return take_results(connection, [](const PGresult*) {});
}

/// Sends a command text (in single-row mode when asked) and takes its
/// results as take_results does.
template <class Handle>
Core::Result<void> run_text(PGconn* connection, std::string_view sql, bool single_row,
                            Handle&& handle) {
    const std::string text(sql);
    if (!PQsendQuery(connection, text.c_str()))
        return Core::fail(connection_error(connection, State::connection_failure));
    if (single_row)
        PQsetSingleRowMode(connection);
    if (auto error = take_results(connection, std::forward<Handle>(handle)))
        return Core::fail(std::move(*error));
    return {};
}

} // namespace Dizezida::Zozuvoru::Supports

// The libpq session shared by a provider and its open reader (internal).
//
// `mutex` guards every field. A provider operation holds the mutex for its
// whole run; a reader instead marks the session as lent (`reader_active`)
// and uses the connection without the mutex until it gives it back, so that
// a reader may be read on another thread than the one that opened it. Lock
// order: only this one mutex.
//
// Interruption: an open connection registers a canceller with the process's
// interruption (core/Interruption.hpp). Each statement is marked as running
// for its whole run (`mark_statement`); the canceller sends a cancel request
// for a running statement only, and once an interruption was requested no
// statement starts but a rollback.
#pragma once

#include "core/Error.hpp"
#include "provider/Supports/PostgreSQLError.hpp"

#include <libpq-fe.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
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

/// The cancel request of one connection, offered to the process's
/// interruption while it lives. Thread-safe.
class SessionCancel {
public:
    explicit SessionCancel(PGconn* connection);
    SessionCancel(const SessionCancel&) = delete;
    SessionCancel& operator=(const SessionCancel&) = delete;
    ~SessionCancel();

    /// How many statements run (0 or 1; a reader counts while it is open).
    std::atomic<int> running{0};

private:
    void cancel_running() const;

    PGcancel* m_cancel = nullptr;
    std::uint64_t m_registration = 0;
};

/// A statement marked as running; unmarks it when it goes. Move-only.
class StatementMark {
public:
    StatementMark() = default;
    explicit StatementMark(std::shared_ptr<SessionCancel> cancel) : m_cancel(std::move(cancel)) {}
    StatementMark(StatementMark&& other) noexcept = default;
    StatementMark& operator=(StatementMark&& other) noexcept {
        end();
        m_cancel = std::move(other.m_cancel);
        return *this;
    }
    ~StatementMark() { end(); }
    void end() {
        if (m_cancel)
            m_cancel->running.fetch_sub(1);
        m_cancel.reset();
    }

private:
    std::shared_ptr<SessionCancel> m_cancel;
};

struct PostgreSQLSession {
    PostgreSQLSession() = default;
    PostgreSQLSession(const PostgreSQLSession&) = delete;
    PostgreSQLSession& operator=(const PostgreSQLSession&) = delete;
    ~PostgreSQLSession() { finish(); }

    /// Ends the libpq connection, if any (mutex held).
    void finish() {
        cancel.reset();
        if (connection)
            PQfinish(connection);
        connection = nullptr;
    }
    /// Takes a new connection (mutex held) and offers its cancel request.
    void attach(PGconn* opened) {
        connection = opened;
        cancel = std::make_shared<SessionCancel>(opened);
    }

    /// Marks `sql` as running until the mark goes (mutex held). Fails with
    /// 57014 once an interruption was requested, unless `sql` is a rollback.
    [[nodiscard]] Core::Result<StatementMark> mark_statement(std::string_view sql);

    /// The session taken for one statement: `acquire`, then `mark_statement`.
    struct Taken {
        std::unique_lock<std::mutex> lock;
        StatementMark running;
    };
    [[nodiscard]] Core::Result<Taken> take_for(std::string_view sql);

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
    std::shared_ptr<SessionCancel> cancel; ///< while `connection` is open
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

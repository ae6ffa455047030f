#include "provider/Supports/PostgreSQLSession.hpp"

#include "core/Interruption.hpp"

#include <cctype>

namespace Dizezida::Zozuvoru::Supports {

namespace {

/// Whether a command text is a ROLLBACK (or ABORT), which an interruption lets through.
bool is_rollback(std::string_view sql) {
    std::size_t start = 0;
    while (start < sql.size() && std::isspace(static_cast<unsigned char>(sql[start])))
        ++start;
    const auto starts_with = [&](std::string_view word) {
        if (sql.size() - start < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(sql[start + i])) != word[i])
                return false;
        const std::size_t after = start + word.size();
        return after == sql.size() || !std::isalnum(static_cast<unsigned char>(sql[after]));
    };
    return starts_with("ROLLBACK") || starts_with("ABORT");
}

} // namespace

SessionCancel::SessionCancel(PGconn* connection) : m_cancel(PQgetCancel(connection)) {
    if (m_cancel)
        m_registration = Core::Interruption::add_canceller([this] { cancel_running(); });
}

SessionCancel::~SessionCancel() {
    if (m_registration != 0)
        Core::Interruption::remove_canceller(m_registration);
    if (m_cancel)
        PQfreeCancel(m_cancel);
}

void SessionCancel::cancel_running() const {
    if (running.load() == 0)
        return;
    char reason[256];
    (void)PQcancel(m_cancel, reason, sizeof reason);
}

Core::Result<StatementMark> PostgreSQLSession::mark_statement(std::string_view sql) {
    if (is_rollback(sql) || !cancel)
        return StatementMark();
    // Marked before the flag is read: either the statement sees the
    // interruption, or the interruption sees the statement running.
    cancel->running.fetch_add(1);
    StatementMark mark(cancel);
    if (Core::Interruption::requested())
        return Core::fail(make_error(State::query_canceled, "canceling statement due to user request"));
    return mark;
}

Core::Result<PostgreSQLSession::Taken> PostgreSQLSession::take_for(std::string_view sql) {
    auto lock = acquire();
    if (!lock)
        return Core::fail(std::move(lock).error());
    auto running = mark_statement(sql);
    if (!running)
        return Core::fail(std::move(running).error());
    return Taken{std::move(*lock), std::move(*running)};
}

Core::Result<std::unique_lock<std::mutex>> PostgreSQLSession::acquire(bool need_open) {
    std::unique_lock lock(mutex);
    if (reader_active && reader_thread == std::this_thread::get_id())
        return Core::fail(make_error(State::object_in_use,
                                     "the session is busy with a reader that is still open"));
    returned.wait(lock, [this] { return !reader_active; });
    if (need_open && !connection)
        return Core::fail(make_error(State::no_connection, "the provider is not open"));
    return lock;
}

void PostgreSQLSession::lend(std::unique_lock<std::mutex>& lock) {
    reader_active = true;
    reader_thread = std::this_thread::get_id();
    lock.unlock();
}

void PostgreSQLSession::give_back() {
    {
        const std::lock_guard lock(mutex);
        reader_active = false;
        reader_thread = {};
    }
    returned.notify_all();
}

std::optional<Core::Error> result_failure(PGconn* connection, const PGresult* result) {
    switch (PQresultStatus(result)) {
    case PGRES_TUPLES_OK:
    case PGRES_SINGLE_TUPLE:
    case PGRES_COMMAND_OK:
    case PGRES_EMPTY_QUERY:
        return std::nullopt;
    case PGRES_COPY_IN:
        PQputCopyEnd(connection, "COPY FROM STDIN is not supported by this provider");
        return make_error(State::feature_not_supported,
                          "COPY FROM STDIN is not supported by this provider");
    case PGRES_COPY_OUT: {
        char* buffer = nullptr;
        while (PQgetCopyData(connection, &buffer, 0) > 0)
            PQfreemem(buffer);
        return make_error(State::feature_not_supported,
                          "COPY TO STDOUT is not supported by this provider");
    }
    default:
        return result_error(result, connection);
    }
}

} // namespace Dizezida::Zozuvoru::Supports

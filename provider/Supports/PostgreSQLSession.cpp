#include "provider/Supports/PostgreSQLSession.hpp"

namespace Dizezida::Zozuvoru::Supports {

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

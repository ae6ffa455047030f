// Synchronous and asynchronous execution of a ConnectionImpl.
#include "Supports/Database/ConnectionImpl.hpp"

#include "Exceptions/SQLError.hpp"
#include "Foundation/LoggingService.hpp"
#include "core/Precondition.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <glib.h>

#include <atomic>
#include <thread>

namespace Dizezida::Dovodarud::Supports::Database {

using Foundation::LoggingService;
using Zozuvoru::Contracts::IProvider;
using Zozuvoru::Contracts::TableModel;
using Zozuvoru::Contracts::ValueObject;

namespace {

constexpr const char* k_async_domain = "default";

Core::Error misuse(std::string message) {
    return Core::Error::sql(static_cast<int>(Exceptions::SQLError::MISUSE), std::move(message));
}

Core::Error no_provider() { return misuse("the connection has no provider"); }

/// The result's value as T, or its error; a result of another operation is misuse.
template <class T>
Core::Result<T> finish(const AsyncResultPtr& result, std::string_view operation) {
    DIZEZIDA_RETURN_VAL_IF_NULL(result, Core::fail(misuse("result != NULL")));
    if (result->operation() != operation)
        return Core::fail(misuse("the result belongs to " + std::string(result->operation())));
    if (result->failed())
        return Core::fail(result->error());
    if constexpr (std::is_void_v<T>)
        return {};
    else
        return std::any_cast<T>(result->value());
}

void log_rows(const std::string& uuid, const ResultList& results) {
    for (const auto& result : results) {
        if (auto table = std::dynamic_pointer_cast<TableModel>(result))
            LoggingService::info(uuid, "affected rows: %u",
                                 static_cast<unsigned>(table->get_row_count()));
        else if (std::dynamic_pointer_cast<ValueObject>(result))
            LoggingService::info(uuid, "affected rows: %s", "true");
    }
}

} // namespace

/// One asynchronous call: made on the caller's thread, filled by its worker,
/// completed on the main loop. Shared by the two sides.
struct ConnectionImpl::Job {
    std::shared_ptr<ConnectionImpl> connection;
    std::string sql;
    AsyncResultPtr result;
    JobDone done;
    AsyncCallback callback;
    /// Set by the worker after it filled `result` and read by the completion
    /// before it looks at it: the hand-over through GLib's main context is
    /// ordered anyway, this makes the order explicit (and visible to
    /// ThreadSanitizer, which does not see GLib's own locks).
    std::atomic<bool> filled{false};
    /// The job's hold on itself while its completion waits in the main context.
    std::shared_ptr<Job> keep_alive;
};

void ConnectionImpl::start_job(std::string_view operation, std::string sql, JobWork work,
                               JobDone done, AsyncCallback callback) {
    auto job = std::make_shared<Job>();
    job->connection = std::static_pointer_cast<ConnectionImpl>(shared_from_this());
    job->sql = std::move(sql);
    job->result = std::make_shared<AsyncResult>(operation);
    job->done = std::move(done);
    job->callback = std::move(callback);
    std::thread([job, work = std::move(work)] {
        work(*job);
        Job* raw = job.get();
        raw->keep_alive = job;
        raw->filled.store(true, std::memory_order_release);
        g_idle_add_full(
            G_PRIORITY_DEFAULT_IDLE,
            [](gpointer data) -> gboolean {
                Job* pending = static_cast<Job*>(data);
                if (pending->filled.load(std::memory_order_acquire))
                    complete_job(pending->keep_alive);
                return G_SOURCE_REMOVE;
            },
            raw,
            [](gpointer data) {
                // Runs after the completion (or instead of it when the main
                // context goes away first): drops the job's hold on itself.
                Job* pending = static_cast<Job*>(data);
                if (pending->filled.load(std::memory_order_acquire))
                    auto last = std::move(pending->keep_alive);
            });
    }).detach();
}

void ConnectionImpl::complete_job(const std::shared_ptr<Job>& job) {
    job->done(*job->connection, *job);
    if (job->callback)
        job->callback(job->result);
}

template <class T>
void ConnectionImpl::start_execution(std::string_view operation, std::string_view sql,
                                     ProviderCall<T> call, SuccessLog<T> log_success,
                                     AsyncCallback callback) {
    LoggingService::info(log_id(), "SQL: %.*s", static_cast<int>(sql.size()), sql.data());
    start_job(
        operation, std::string(sql),
        [call](Job& job) {
            const ProviderPtr provider = job.connection->m_connection;
            if (!provider) {
                job.result->set_error(no_provider());
                return;
            }
            auto outcome = ((*provider).*call)(job.sql, 1);
            if (outcome)
                job.result->set_value(std::move(*outcome));
            else
                job.result->set_error(outcome.error());
        },
        [log_success](ConnectionImpl& self, Job& job) {
            const std::string uuid = self.log_id();
            if (!job.result->failed()) {
                log_success(uuid, std::any_cast<const T&>(job.result->value()));
                return;
            }
            // A failure is reported whatever its code: a provider error with
            // code 0 must not look like success.
            const Core::Error& error = job.result->error();
            LoggingService::error(uuid, "failed: %d -> %s", error.code, error.message.c_str());
            job.result->set_error(
                Core::Error{k_async_domain, error.code, error.message, error.sqlstate});
        },
        std::move(callback));
}

// ---------------------------------------------------------------- synchronous

Core::Result<std::int64_t> ConnectionImpl::execute_no_query(std::string_view sql,
                                                            std::int32_t in_thread) {
    if (!m_connection)
        return Core::fail(no_provider());
    const std::string uuid = log_id();
    LoggingService::info(uuid, "SQL: %.*s", static_cast<int>(sql.size()), sql.data());
    auto affected = m_connection->execute_affect(sql, in_thread);
    if (affected)
        LoggingService::info(uuid, "affected rows: %d", static_cast<int>(*affected));
    return affected;
}

Core::Result<TablePtr> ConnectionImpl::execute_as_model(std::string_view sql,
                                                        std::int32_t in_thread) {
    if (!m_connection)
        return Core::fail(no_provider());
    const std::string uuid = log_id();
    LoggingService::info(uuid, "SQL: %.*s", static_cast<int>(sql.size()), sql.data());
    auto table = m_connection->execute_model(sql, in_thread);
    if (table)
        LoggingService::info(uuid, "affected rows: %d", static_cast<int>((*table)->get_row_count()));
    return table;
}

Core::Result<ValuePtr> ConnectionImpl::execute_as_scalar(std::string_view sql,
                                                         std::int32_t in_thread) {
    if (!m_connection)
        return Core::fail(no_provider());
    const std::string uuid = log_id();
    LoggingService::info(uuid, "SQL: %.*s", static_cast<int>(sql.size()), sql.data());
    auto value = m_connection->execute_scalar(sql, in_thread);
    if (value)
        LoggingService::info(uuid, "affected rows: 1");
    return value;
}

Core::Result<ResultList> ConnectionImpl::execute(std::string_view statements,
                                                 std::int32_t in_thread) {
    if (!m_connection)
        return Core::fail(no_provider());
    const std::string uuid = log_id();
    LoggingService::info(uuid, "SQL: %.*s", static_cast<int>(statements.size()),
                         statements.data());
    auto results = m_connection->execute_statements(statements, in_thread);
    if (results)
        log_rows(uuid, *results);
    return results;
}

Core::Result<ReaderPtr> ConnectionImpl::execute_reader(std::string_view sql) {
    if (!m_connection)
        return Core::fail(no_provider());
    const std::string uuid = log_id();
    LoggingService::info(uuid, "SQL: %.*s", static_cast<int>(sql.size()), sql.data());
    auto reader = m_connection->execute_reader(sql);
    if (reader)
        LoggingService::info(uuid, "affected rows: %d", 0);
    return reader;
}

// ---------------------------------------------------------------- asynchronous

void ConnectionImpl::execute_no_query_async(std::string_view sql, AsyncCallback callback) {
    start_execution<std::int64_t>(
        "execute_no_query", sql, &IProvider::execute_affect,
        [](const std::string& uuid, const std::int64_t& affected) {
            LoggingService::info(uuid, "affected rows: %d", static_cast<int>(affected));
        },
        std::move(callback));
}

Core::Result<std::int64_t> ConnectionImpl::execute_no_query_finish(const AsyncResultPtr& result) {
    return finish<std::int64_t>(result, "execute_no_query");
}

void ConnectionImpl::execute_as_model_async(std::string_view sql, AsyncCallback callback) {
    start_execution<TablePtr>(
        "execute_as_model", sql, &IProvider::execute_model,
        [](const std::string& uuid, const TablePtr& table) {
            LoggingService::info(uuid, "affected rows: %d", static_cast<int>(table->get_row_count()));
        },
        std::move(callback));
}

Core::Result<TablePtr> ConnectionImpl::execute_as_model_finish(const AsyncResultPtr& result) {
    return finish<TablePtr>(result, "execute_as_model");
}

void ConnectionImpl::execute_as_scalar_async(std::string_view sql, AsyncCallback callback) {
    start_execution<ValuePtr>(
        "execute_as_scalar", sql, &IProvider::execute_scalar,
        [](const std::string& uuid, const ValuePtr&) { LoggingService::info(uuid, "affected rows: 1"); },
        std::move(callback));
}

Core::Result<ValuePtr> ConnectionImpl::execute_as_scalar_finish(const AsyncResultPtr& result) {
    return finish<ValuePtr>(result, "execute_as_scalar");
}

void ConnectionImpl::execute_async(std::string_view statements, AsyncCallback callback) {
    start_execution<ResultList>("execute", statements, &IProvider::execute_statements, log_rows,
                                std::move(callback));
}

Core::Result<ResultList> ConnectionImpl::execute_finish(const AsyncResultPtr& result) {
    return finish<ResultList>(result, "execute");
}

// ---------------------------------------------------------------- asynchronous opens

void ConnectionImpl::start_open_job(std::string_view operation, AsyncCallback callback) {
    const bool tunnel = uses_tunnel(m_server.get());
    start_job(
        operation, {},
        [](Job& job) {
            if (auto opened = job.connection->open_recorded(); !opened)
                job.result->set_error(opened.error());
        },
        [tunnel](ConnectionImpl& self, Job& job) {
            if (!job.result->failed()) {
                self.m_opened.emit(self);
                return;
            }
            const Core::Error& error = job.result->error();
            LoggingService::error(self.log_id(),
                                  tunnel ? "Failed to open connection over ssh: %d -> %s"
                                         : "Failed to open connection: %d -> %s",
                                  error.code, error.message.c_str());
            job.result->set_error(
                Core::Error{k_async_domain, error.code, error.message, error.sqlstate});
        },
        std::move(callback));
}

void ConnectionImpl::open_async(const ServerPtr& server, const Core::ObjectPtr& context,
                                AsyncCallback callback) {
    DIZEZIDA_RETURN_IF_NULL(server);
    record(server, context);
    start_open_job("open", std::move(callback));
}

Core::Result<void> ConnectionImpl::open_finish(const AsyncResultPtr& result) {
    return finish<void>(result, "open");
}

void ConnectionImpl::reopen_async(AsyncCallback callback) {
    DIZEZIDA_RETURN_IF_NULL(m_server);
    start_open_job("reopen", std::move(callback));
}

Core::Result<void> ConnectionImpl::reopen_finish(const AsyncResultPtr& result) {
    return finish<void>(result, "reopen");
}

} // namespace Dizezida::Dovodarud::Supports::Database

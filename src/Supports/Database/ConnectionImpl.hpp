// The generic connection: owns the provider session and the helper objects,
// opens directly or through a tunnel child, runs SQL on the caller's thread
// or on one detached worker thread per asynchronous call, and logs every
// statement under the server's uuid.
//
// A server dialect derives from it, sets `m_connection` (the provider) in its
// constructor and overrides the helper factories and `update_version`.
//
// Ownership: always held in a std::shared_ptr (asynchronous jobs keep the
// connection alive until they complete). Threads: no lock around the
// session (the provider serialises its own use); the status is atomic, and
// the helper factories and the tunnel handle have their own small lock.
// Asynchronous completions run on GLib's default main context.
#pragma once

#include "Contracts/Database/IConnection.hpp"
#include "core/Signal.hpp"

#include <atomic>
#include <mutex>

namespace Dizezida::Dovodarud::Supports::Database {

class TunnelProcess;
using namespace Contracts::Database;

class ConnectionImpl : public Core::Object, public IConnection {
    DIZEZIDA_OBJECT(ConnectionImpl)
public:
    static constexpr const char* k_line_start =
        "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER "
        "TABLE,DELETE FROM,UNION ALL,UNION,EXCEPT,INTERSECT";
    static constexpr const char* k_line_break =
        "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND";

    ConnectionImpl();
    /// A connection over a given provider (what a dialect's constructor does).
    explicit ConnectionImpl(ProviderPtr provider);
    ~ConnectionImpl() override;

    std::shared_ptr<IAdaptable> adapter() override;
    std::shared_ptr<IBuildable> builder() override;
    std::shared_ptr<IExplorable> explorer() override;
    std::shared_ptr<IInspectable> inspector() override;
    std::shared_ptr<IStatement> statement() override;
    /// The SQL formatter, made and configured ("LINE_START", "LINE_BREAK") once.
    std::shared_ptr<IFormattable> formatter() override;
    /// The data cache, made once.
    std::shared_ptr<ICachable> cache() override;

    Core::Result<void> open(const ServerPtr& server, const Core::ObjectPtr& context) override;
    Core::Result<void> reopen() override;
    void open_async(const ServerPtr& server, const Core::ObjectPtr& context,
                    AsyncCallback callback) override;
    Core::Result<void> open_finish(const AsyncResultPtr& result) override;
    void reopen_async(AsyncCallback callback) override;
    Core::Result<void> reopen_finish(const AsyncResultPtr& result) override;
    void close() override;

    void execute_no_query_async(std::string_view sql, AsyncCallback callback) override;
    Core::Result<std::int64_t> execute_no_query_finish(const AsyncResultPtr& result) override;
    Core::Result<std::int64_t> execute_no_query(std::string_view sql,
                                                std::int32_t in_thread) override;
    void execute_as_model_async(std::string_view sql, AsyncCallback callback) override;
    Core::Result<TablePtr> execute_as_model_finish(const AsyncResultPtr& result) override;
    Core::Result<TablePtr> execute_as_model(std::string_view sql, std::int32_t in_thread) override;
    void execute_as_scalar_async(std::string_view sql, AsyncCallback callback) override;
    Core::Result<ValuePtr> execute_as_scalar_finish(const AsyncResultPtr& result) override;
    Core::Result<ValuePtr> execute_as_scalar(std::string_view sql, std::int32_t in_thread) override;
    void execute_async(std::string_view statements, AsyncCallback callback) override;
    Core::Result<ResultList> execute_finish(const AsyncResultPtr& result) override;
    Core::Result<ResultList> execute(std::string_view statements, std::int32_t in_thread) override;
    Core::Result<ReaderPtr> execute_reader(std::string_view sql) override;

    Core::Result<void> transaction() override;
    Core::Result<void> rollback() override;
    Core::Result<void> commit() override;

    /// Reads the server's version after an open; nothing in the generic class.
    [[nodiscard]] virtual Core::Result<void> update_version();

    ServerPtr get_server() const override { return m_server; }
    ProviderPtr get_provider() const override { return m_connection; }
    DBStatus get_status() const override { return m_status.load(); }
    void set_status(DBStatus status) override;
    std::string get_version() const override { return m_version; }
    std::uint32_t get_major_version() const override { return m_major_version; }
    std::uint32_t get_minor_version() const override { return m_minor_version; }
    /// The context object given to the last open, while it lives.
    Core::ObjectPtr get_context() const { return m_context.lock(); }

    std::uint64_t connect_opened(ConnectionHandler handler) override;
    std::uint64_t connect_closed(ConnectionHandler handler) override;
    void disconnect_signal(std::uint64_t id) override;

protected:
    void set_version(std::string version) { assign_and_notify(m_version, std::move(version), "version"); }
    void set_major_version(std::uint32_t v) { assign_and_notify(m_major_version, v, "major-version"); }
    void set_minor_version(std::uint32_t v) { assign_and_notify(m_minor_version, v, "minor-version"); }
    /// The uuid that names this connection's log ("" before the first open).
    std::string log_id() const;

    ProviderPtr m_connection;
    std::shared_ptr<IAdaptable> m_adapter;
    std::shared_ptr<IBuildable> m_builder;
    std::shared_ptr<IExplorable> m_explorer;
    std::shared_ptr<IInspectable> m_inspector;
    std::shared_ptr<IStatement> m_statement;

private:
    struct Job;
    using JobWork = std::function<void(Job&)>;
    using JobDone = std::function<void(ConnectionImpl&, Job&)>;

    void record(const ServerPtr& server, const Core::ObjectPtr& context);
    Core::Result<void> open_recorded();
    Core::Result<void> open_direct(const ServerPtr& server);
    Core::Result<void> open_over_tunnel();
    std::string connection_string(const ServerPtr& server);
    void start_job(std::string_view operation, std::string sql, JobWork work, JobDone done,
                   AsyncCallback callback);
    void start_open_job(std::string_view operation, AsyncCallback callback);
    template <class T>
    using ProviderCall = Core::Result<T> (Zozuvoru::Contracts::IProvider::*)(std::string_view,
                                                                             std::int32_t);
    template <class T> using SuccessLog = std::function<void(const std::string&, const T&)>;
    /// Logs the SQL, runs one provider call on a worker thread and completes
    /// on the main loop; any failure becomes a "default"-domain error.
    template <class T>
    void start_execution(std::string_view operation, std::string_view sql, ProviderCall<T> call,
                         SuccessLog<T> log_success, AsyncCallback callback);
    static bool uses_tunnel(const Zozuvoru::Contracts::Server* server);
    static void complete_job(const std::shared_ptr<Job>& job);
    /// Whether the provider is open; a critical message when it is not.
    bool require_opened(const char* function) const;
    bool provider_opened() const { return m_connection && m_connection->is_opened(); }

    std::atomic<DBStatus> m_status{DBStatus::Unknown};
    std::weak_ptr<Core::Object> m_context;
    ServerPtr m_server;
    std::string m_version;
    std::uint32_t m_major_version = 0;
    std::uint32_t m_minor_version = 0;

    std::mutex m_helpers_lock; ///< guards the two lazily made helpers and the tunnel
    std::shared_ptr<IFormattable> m_formatter;
    std::shared_ptr<ICachable> m_cache;
    std::unique_ptr<TunnelProcess> m_tunnel;

    Core::Signal<IConnection&> m_opened;
    Core::Signal<IConnection&> m_closed;
};

} // namespace Dizezida::Dovodarud::Supports::Database

// The contract of a server connection: one session, its helper objects, and
// synchronous and asynchronous SQL execution.
//
// Properties: "server", "provider" (read-only), "status" (read-write,
// notifies on change), "version", "major-version", "minor-version".
// Signals: "opened" and "closed", carrying the connection.
//
// Threads: a connection takes no lock. Synchronous calls run on the caller's
// thread; each asynchronous call runs its provider call on a new worker
// thread and completes through its callback on GLib's default main context.
// The provider serialises calls that reach it at the same time.
#pragma once

#include "Contracts/Database/AsyncResult.hpp"
#include "Contracts/Database/DBStatus.hpp"
#include "core/Error.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/IProvider.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Contracts::Database {

class IAdaptable;
class IBuildable;
class IExplorable;
class IInspectable;
class IStatement;
class IFormattable;
class ICachable;

using Zozuvoru::Contracts::ProviderPtr;
using Zozuvoru::Contracts::ReaderPtr;
using Zozuvoru::Contracts::ServerPtr;
using Zozuvoru::Contracts::TablePtr;
using Zozuvoru::Contracts::ValuePtr;
/// The results of a multi-statement text: TableModel or ValueObject objects.
using ResultList = std::vector<Core::ObjectPtr>;

class IConnection {
    DIZEZIDA_INTERFACE(IConnection)
public:
    using ConnectionHandler = std::function<void(IConnection&)>;

    virtual ~IConnection() = default;

    // Helpers, each made on first request and kept for the connection's life
    // (nullptr when the dialect has none).
    virtual std::shared_ptr<IAdaptable> adapter() = 0;
    virtual std::shared_ptr<IBuildable> builder() = 0;
    virtual std::shared_ptr<IExplorable> explorer() = 0;
    virtual std::shared_ptr<IInspectable> inspector() = 0;
    virtual std::shared_ptr<IStatement> statement() = 0;
    virtual std::shared_ptr<IFormattable> formatter() = 0;
    virtual std::shared_ptr<ICachable> cache() = 0;

    // Sessions.
    [[nodiscard]] virtual Core::Result<void> open(const ServerPtr& server,
                                                  const Core::ObjectPtr& context = nullptr) = 0;
    [[nodiscard]] virtual Core::Result<void> reopen() = 0;
    virtual void open_async(const ServerPtr& server, const Core::ObjectPtr& context,
                            AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<void> open_finish(const AsyncResultPtr& result) = 0;
    virtual void reopen_async(AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<void> reopen_finish(const AsyncResultPtr& result) = 0;
    /// Ends the session; never fails.
    virtual void close() = 0;

    // Execution.
    virtual void execute_no_query_async(std::string_view sql, AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<std::int64_t>
    execute_no_query_finish(const AsyncResultPtr& result) = 0;
    /// The affected-row count (the provider's error on failure).
    [[nodiscard]] virtual Core::Result<std::int64_t> execute_no_query(std::string_view sql,
                                                                     std::int32_t in_thread = 0) = 0;
    virtual void execute_as_model_async(std::string_view sql, AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<TablePtr>
    execute_as_model_finish(const AsyncResultPtr& result) = 0;
    [[nodiscard]] virtual Core::Result<TablePtr> execute_as_model(std::string_view sql,
                                                                  std::int32_t in_thread = 0) = 0;
    virtual void execute_as_scalar_async(std::string_view sql, AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<ValuePtr>
    execute_as_scalar_finish(const AsyncResultPtr& result) = 0;
    [[nodiscard]] virtual Core::Result<ValuePtr> execute_as_scalar(std::string_view sql,
                                                                   std::int32_t in_thread = 0) = 0;
    virtual void execute_async(std::string_view statements, AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<ResultList> execute_finish(const AsyncResultPtr& result) = 0;
    [[nodiscard]] virtual Core::Result<ResultList> execute(std::string_view statements,
                                                           std::int32_t in_thread = 0) = 0;
    [[nodiscard]] virtual Core::Result<ReaderPtr> execute_reader(std::string_view sql) = 0;

    // Transactions: forwarded to an open provider (a critical message otherwise).
    [[nodiscard]] virtual Core::Result<void> transaction() = 0;
    [[nodiscard]] virtual Core::Result<void> rollback() = 0;
    [[nodiscard]] virtual Core::Result<void> commit() = 0;

    // State.
    virtual ServerPtr get_server() const = 0;
    virtual ProviderPtr get_provider() const = 0;
    virtual DBStatus get_status() const = 0;
    virtual void set_status(DBStatus status) = 0;
    virtual std::string get_version() const = 0;
    virtual std::uint32_t get_major_version() const = 0;
    virtual std::uint32_t get_minor_version() const = 0;

    // Signals, emitted after the operation they report.
    virtual std::uint64_t connect_opened(ConnectionHandler handler) = 0;
    virtual std::uint64_t connect_closed(ConnectionHandler handler) = 0;
    virtual void disconnect_signal(std::uint64_t id) = 0;
};

using ConnectionPtr = std::shared_ptr<IConnection>;

} // namespace Dizezida::Dovodarud::Contracts::Database

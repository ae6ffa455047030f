// The provider contract: one session with a database server.
//
// Every operation fails with an error of the provider's domain
// (`k_provider_error_domain`) whose code lies in the server family's band of
// the SQL error codes and whose message names the server's SQLSTATE.
//
// Thread safety: a provider may be called from several threads at once; it
// serialises the use of its session itself (operations run one after the
// other). An open reader holds the session until it is closed.
#pragma once

#include <functional>

#include "core/Error.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/Server.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

/// The error domain of the provider library.
inline constexpr const char* k_provider_error_domain = "dizezida-zozuvoru-provider-error-quark";

class IProvider {
    DIZEZIDA_INTERFACE(IProvider)
public:
    virtual ~IProvider() = default;

    /// Opens a session with the server's fields (host, port, initial database,
    /// user name, password, TLS), replacing any open one. The connection text
    /// is the caller's record of the session and is not read for its fields.
    [[nodiscard]] virtual Core::Result<void> open(const ServerPtr& server,
                                                  std::string_view connection_string) = 0;
    /// Ends the session; closing a closed provider succeeds.
    [[nodiscard]] virtual Core::Result<void> close() = 0;
    [[nodiscard]] virtual Core::Result<void> transaction() = 0;
    /// Fails when the server rolled the transaction back instead (it had failed).
    [[nodiscard]] virtual Core::Result<void> commit() = 0;
    [[nodiscard]] virtual Core::Result<void> rollback() = 0;
    /// True from a successful `open` until `close`.
    virtual bool is_opened() const = 0;

    /// Runs every statement of the text; one result per statement, in order:
    /// a TableModel for a statement that returns rows, otherwise a ValueInt64
    /// holding its affected-row count. `in_thread` is 1 when called from a
    /// worker thread, 0 otherwise (for the caller's records; it changes nothing).
    [[nodiscard]] virtual Core::Result<std::vector<Core::ObjectPtr>>
    execute_statements(std::string_view sql, std::int32_t in_thread) = 0;
    /// The rows of the (last) statement that returns rows; an empty table when
    /// none does. The table carries that statement's command tag (the last
    /// statement's when none returns rows) and whether it returned rows.
    [[nodiscard]] virtual Core::Result<TablePtr> execute_model(std::string_view sql,
                                                               std::int32_t in_thread) = 0;
    /// The first column of the first row; a ValueNull when there is no row.
    [[nodiscard]] virtual Core::Result<ValuePtr> execute_scalar(std::string_view sql,
                                                                std::int32_t in_thread) = 0;
    /// The affected-row count, summed over the statements of the text (rows
    /// returned count as affected).
    [[nodiscard]] virtual Core::Result<std::int64_t> execute_affect(std::string_view sql,
                                                                    std::int32_t in_thread) = 0;
    /// A streaming reader over the rows of the query.
    [[nodiscard]] virtual Core::Result<ReaderPtr> execute_reader(std::string_view sql) = 0;
    /// Runs `COPY ... FROM STDIN` (`copy_sql`) with `data` in the format the
    /// command names; the rows copied. Providers without COPY fail.
    [[nodiscard]] virtual Core::Result<std::int64_t> copy_in(std::string_view copy_sql,
                                                             std::string_view data);
    /// Takes a block of COPY output; an error stops the copy.
    using CopySink = std::function<Core::Result<void>(std::string_view data)>;
    /// Runs `COPY ... TO STDOUT` (`copy_sql`), handing its data to `sink` in
    /// blocks of about 1 MiB in order; the rows copied. Providers without
    /// COPY fail.
    [[nodiscard]] virtual Core::Result<std::int64_t> copy_out(std::string_view copy_sql,
                                                              const CopySink& sink);
};

using ProviderPtr = std::shared_ptr<IProvider>;

} // namespace Dizezida::Zozuvoru::Contracts

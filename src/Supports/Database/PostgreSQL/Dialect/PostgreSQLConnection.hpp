// The connection for PostgreSQL servers: a ConnectionImpl over the libpq
// provider whose helper factories make the PostgreSQL helpers and whose
// version check reads the server's version after every open.
//
// Ownership: always held in a std::shared_ptr (the helpers refer back to it
// weakly). Threads: as ConnectionImpl; the helper factories take their own
// lock, so helpers are made once even when asked for from several threads.
#pragma once

#include "Supports/Database/ConnectionImpl.hpp"

#include <mutex>

namespace Dizezida::Dovodarud::Supports::Database {

class PostgreSQLConnection : public ConnectionImpl {
    DIZEZIDA_OBJECT(PostgreSQLConnection)
public:
    PostgreSQLConnection();
    static std::shared_ptr<PostgreSQLConnection> create() {
        return std::make_shared<PostgreSQLConnection>();
    }

    /// The catalog adapter: a V11x until an open chose the one that fits.
    std::shared_ptr<IAdaptable> adapter() override;
    /// The script builder, made on the first call.
    std::shared_ptr<IBuildable> builder() override;
    /// The object explorer, made on the first call.
    std::shared_ptr<IExplorable> explorer() override;
    /// The type inspector, made on the first call.
    std::shared_ptr<IInspectable> inspector() override;
    /// The statement dialect, made on the first call.
    std::shared_ptr<IStatement> statement() override;

    /// Runs "SHOW SERVER_VERSION;", stores the text and its major and minor
    /// numbers (from "SHOW server_version_num" when the text has none),
    /// chooses the catalog adapter (V9x before 10, V11x for 10 and 11, V12x
    /// from 12) and tells the dialect whether the session is a superuser.
    /// When the version cannot be read the session is closed.
    [[nodiscard]] Core::Result<void> update_version() override;

    /// The leading "%d.%d" of a version text; false when not even the major
    /// number is there ("12.4 (Debian 12.4-1)" gives 12 and 4, "16beta1" 16 and 0).
    static bool parse_version(std::string_view text, std::uint32_t& major, std::uint32_t& minor);
    /// The adapter generation for a major version.
    static std::shared_ptr<IAdaptable> adapter_for(std::uint32_t major,
                                                   const std::shared_ptr<IConnection>& connection);

private:
    std::shared_ptr<IConnection> self();

    std::mutex m_factory_lock;
};

} // namespace Dizezida::Dovodarud::Supports::Database

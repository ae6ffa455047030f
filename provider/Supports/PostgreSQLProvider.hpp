// The provider for PostgreSQL servers, over libpq.
//
// A session is opened from a Server's fields through libpq's keyword/value
// interface (host, port, database, user, password, TLS, a connect timeout),
// so no character of a password needs quoting; an empty password leaves
// libpq to its usual sources (PGPASSWORD, the password file). Sessions use
// UTF-8, the ISO date style and the float format that keeps every digit.
//
// Results come back as the server's text per column type: TableModel keeps
// them compactly; rows stream through IDataReader in single-row mode.
//
// Thread safety: every operation takes the session's lock, so one provider
// may be used from several threads at once; the operations run one at a time.
#pragma once

#include "provider/Contracts/IProvider.hpp"

#include <atomic>
#include <memory>

namespace Dizezida::Zozuvoru::Supports {

struct PostgreSQLSession;

class PostgreSQLProvider : public Core::Object, public Contracts::IProvider {
    DIZEZIDA_OBJECT(PostgreSQLProvider)
public:
    PostgreSQLProvider();
    ~PostgreSQLProvider() override;
    static std::shared_ptr<PostgreSQLProvider> create() {
        return std::make_shared<PostgreSQLProvider>();
    }

    [[nodiscard]] Core::Result<void> open(const Contracts::ServerPtr& server,
                                          std::string_view connection_string) override;
    [[nodiscard]] Core::Result<void> close() override;
    [[nodiscard]] Core::Result<void> transaction() override;
    [[nodiscard]] Core::Result<void> commit() override;
    [[nodiscard]] Core::Result<void> rollback() override;
    bool is_opened() const override { return m_opened.load(); }

    [[nodiscard]] Core::Result<std::vector<Core::ObjectPtr>>
    execute_statements(std::string_view sql, std::int32_t in_thread) override;
    [[nodiscard]] Core::Result<Contracts::TablePtr> execute_model(std::string_view sql,
                                                                  std::int32_t in_thread) override;
    [[nodiscard]] Core::Result<Contracts::ValuePtr> execute_scalar(std::string_view sql,
                                                                   std::int32_t in_thread) override;
    [[nodiscard]] Core::Result<std::int64_t> execute_affect(std::string_view sql,
                                                            std::int32_t in_thread) override;
    [[nodiscard]] Core::Result<Contracts::ReaderPtr> execute_reader(std::string_view sql) override;
    [[nodiscard]] Core::Result<std::int64_t> copy_in(std::string_view copy_sql,
                                                     std::string_view data) override;

private:
    [[nodiscard]] Core::Result<void> run_command(const char* command, const char* expected_status);

    std::shared_ptr<PostgreSQLSession> m_session;
    std::atomic<bool> m_opened{false};
};

} // namespace Dizezida::Zozuvoru::Supports

/// A new, closed PostgreSQL provider.
std::shared_ptr<Dizezida::Zozuvoru::Contracts::IProvider>
dizezida_zozuvoru_supports_postgre_sql_provider_new();

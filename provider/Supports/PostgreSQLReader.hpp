// The streaming reader of the PostgreSQL provider (internal; callers see
// Contracts::IDataReader).
//
// It holds the session lent by its provider while rows remain, reading one
// single-row result at a time; the end of the rows, an error, `close` or the
// destructor gives the session back. Closing early reads and drops the rows
// the server still sends (a cancel request could reach the server after the
// next command had started, so none is sent).
#pragma once

#include "provider/Contracts/IDataReader.hpp"
#include "provider/Contracts/TableStorage.hpp"
#include "provider/Supports/PostgreSQLSession.hpp"

namespace Dizezida::Zozuvoru::Supports {

class PostgreSQLReader final : public Core::Object, public Contracts::IDataReader {
    DIZEZIDA_OBJECT(PostgreSQLReader)
public:
    PostgreSQLReader() = default;
    ~PostgreSQLReader() override;

    /// Starts a reader over `sql` on a session whose lock the caller holds:
    /// the text is sent, its first row (or its end) is read, and the session
    /// is lent to the reader when rows follow.
    [[nodiscard]] static Core::Result<std::shared_ptr<PostgreSQLReader>>
    start(std::shared_ptr<PostgreSQLSession> session, std::unique_lock<std::mutex>& lock,
          std::string_view sql, StatementMark running);

    const std::vector<Contracts::ColumnPtr>& get_columns() const override { return m_columns; }
    [[nodiscard]] Core::Result<bool> read() override;
    Contracts::ValuePtr get_value_at(std::size_t column) const override;
    bool is_null_at(std::size_t column) const override;
    std::string_view get_text_at(std::size_t column) const override;
    Contracts::RowPtr get_row() const override;
    [[nodiscard]] Core::Result<std::shared_ptr<Contracts::TableModel>> read_model(std::size_t max_rows) override;
    std::uint64_t get_rows_read() const override { return m_rows_read; }
    void close() override;

private:
    void set_columns(const PGresult* result);
    /// Reads what is left and gives the session back; the first failure.
    std::optional<Core::Error> finish();
    bool in_row(std::size_t column) const { return m_current && column < m_codecs.size(); }

    std::shared_ptr<PostgreSQLSession> m_session; ///< set while the session is lent
    StatementMark m_running;                      ///< while the session is lent
    std::vector<Contracts::ColumnPtr> m_columns;
    std::vector<Contracts::ColumnCodec> m_codecs;
    ResultPtr m_first;   ///< the first row, read by start
    ResultPtr m_current; ///< the current row
    std::uint64_t m_rows_read = 0;
};

} // namespace Dizezida::Zozuvoru::Supports

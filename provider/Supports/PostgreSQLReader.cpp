#include "provider/Supports/PostgreSQLReader.hpp"

#include "provider/Supports/PostgreSQLTypes.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Zozuvoru::Supports {

PostgreSQLReader::~PostgreSQLReader() {
    close();
}

Core::Result<std::shared_ptr<PostgreSQLReader>>
PostgreSQLReader::start(std::shared_ptr<PostgreSQLSession> session,
                        std::unique_lock<std::mutex>& lock, std::string_view sql,
                        StatementMark running) {
    PGconn* connection = session->connection;
    const std::string text(sql);
    if (!PQsendQuery(connection, text.c_str()))
        return Core::fail(connection_error(connection, State::connection_failure));
    PQsetSingleRowMode(connection);

    auto reader = std::make_shared<PostgreSQLReader>();
    // Skip the statements that return no rows, up to the first that does.
    while (PGresult* raw = PQgetResult(connection)) {
        ResultPtr result(raw);
        if (auto failure = result_failure(connection, raw)) {
            drain_results(connection);
            return Core::fail(std::move(*failure));
        }
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_SINGLE_TUPLE) {
            reader->set_columns(raw);
            reader->m_first = std::move(result);
            reader->m_session = std::move(session);
            reader->m_running = std::move(running);
            reader->m_session->lend(lock);
            return reader;
        }
        if (status == PGRES_TUPLES_OK) {
            // A query without rows: nothing to stream.
            reader->set_columns(raw);
            if (auto error = drain_results(connection))
                return Core::fail(std::move(*error));
            return reader;
        }
    }
    return reader;
}

void PostgreSQLReader::set_columns(const PGresult* result) {
    m_columns = columns_of(result);
    m_codecs.clear();
    for (const Contracts::ColumnPtr& column : m_columns)
        m_codecs.push_back(pg_type(column->get_type_oid()).codec);
}

Core::Result<bool> PostgreSQLReader::read() {
    m_current.reset();
    if (m_first) {
        m_current = std::move(m_first);
        ++m_rows_read;
        return true;
    }
    if (!m_session)
        return false;
    PGconn* connection = m_session->connection;
    ResultPtr result(PQgetResult(connection));
    if (result && PQresultStatus(result.get()) == PGRES_SINGLE_TUPLE) {
        m_current = std::move(result);
        ++m_rows_read;
        return true;
    }
    // The zero-row result that ends the rows, a failure, or the end of the command.
    std::optional<Core::Error> error =
        result ? result_failure(connection, result.get()) : std::nullopt;
    result.reset();
    std::optional<Core::Error> rest = finish();
    if (!error)
        error = std::move(rest);
    if (error)
        return Core::fail(std::move(*error));
    return false;
}

std::optional<Core::Error> PostgreSQLReader::finish() {
    std::optional<Core::Error> error = drain_results(m_session->connection);
    m_running.end();
    m_session->give_back();
    m_session.reset();
    return error;
}

void PostgreSQLReader::close() {
    m_first.reset();
    m_current.reset();
    if (m_session)
        finish();
}

Contracts::ValuePtr PostgreSQLReader::get_value_at(std::size_t column) const {
    if (!in_row(column))
        return nullptr;
    const int field = static_cast<int>(column);
    if (PQgetisnull(m_current.get(), 0, field))
        return std::make_shared<Contracts::ValueNull>(m_codecs[column].data_type);
    return Contracts::make_value(m_codecs[column], get_text_at(column));
}

bool PostgreSQLReader::is_null_at(std::size_t column) const {
    return in_row(column) && PQgetisnull(m_current.get(), 0, static_cast<int>(column));
}

std::string_view PostgreSQLReader::get_text_at(std::size_t column) const {
    if (!in_row(column))
        return {};
    const int field = static_cast<int>(column);
    return std::string_view(PQgetvalue(m_current.get(), 0, field),
                            static_cast<std::size_t>(PQgetlength(m_current.get(), 0, field)));
}

Contracts::RowPtr PostgreSQLReader::get_row() const {
    auto row = Contracts::RowModel::create();
    if (!m_current)
        return row;
    for (std::size_t column = 0; column < m_codecs.size(); ++column)
        row->append_value(get_value_at(column));
    return row;
}

Core::Result<std::shared_ptr<Contracts::TableModel>> PostgreSQLReader::read_model(std::size_t max_rows) {
    auto table = Contracts::TableModel::create();
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        table->storage().columns.emplace_back(m_codecs[column]);
        table->add_column(m_columns[column]);
    }
    // Single rows wait in a batch and go into the table column by column.
    constexpr std::size_t k_batch = 32;
    std::vector<ResultPtr> batch;
    std::vector<const PGresult*> rows;
    const auto flush = [&] {
        rows.clear();
        for (const ResultPtr& row : batch)
            rows.push_back(row.get());
        append_row_batch(*table, rows);
        batch.clear();
    };
    for (std::size_t taken = 0; taken < std::max<std::size_t>(max_rows, 1); ++taken) {
        auto more = read();
        if (!more)
            return Core::fail(std::move(more).error());
        if (!*more)
            break;
        batch.push_back(std::move(m_current));
        if (batch.size() == k_batch)
            flush();
    }
    flush();
    return table;
}

const Core::TypeInfo& PostgreSQLReader::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLReader, Core::Object>(
        "DizezidaZozuvoruSupportsPostgreSQLReader", {}, {&Contracts::IDataReader::static_type()});
    return info;
}

} // namespace Dizezida::Zozuvoru::Supports

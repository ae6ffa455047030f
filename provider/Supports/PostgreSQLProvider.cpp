#include "provider/Supports/PostgreSQLProvider.hpp"

#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Supports/PostgreSQLReader.hpp"
#include "provider/Supports/PostgreSQLSession.hpp"
#include "provider/Supports/PostgreSQLTypes.hpp"

#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <charconv>
#include <cstring>
#include <string>

namespace Dizezida::Zozuvoru::Supports {
namespace {

using Contracts::TablePtr;

/// Whether execute_model reads row by row (bounded memory while reading) or
/// takes the whole result at once and converts it.
constexpr bool k_model_single_row = true;
/// How many single rows go into a table at once.
constexpr std::size_t k_row_batch = 32;

/// The settings every session starts with: text forms the value classes read.
constexpr const char* k_session_setup = "SET DateStyle = ISO; SET extra_float_digits = 3";

/// libpq's keyword/value arrays, built from a server record.
class ConnectParameters {
public:
    explicit ConnectParameters(const Contracts::Server& server) {
        add("host", server.host());
        if (server.port() != 0)
            add("port", std::to_string(server.port()));
        add("dbname", server.initial());
        add("user", server.username());
        add("password", server.password());
        if (server.ssl_using()) {
            add("sslmode", "require");
            add("sslpassword", server.ssl_password());
        }
        add("connect_timeout", "15");
        add("client_encoding", "UTF8");
        add("application_name", "dizezida");
    }

    const char* const* keywords() {
        finish();
        return m_keywords.data();
    }
    const char* const* values() {
        finish();
        return m_values.data();
    }

private:
    /// Adds a pair; an empty value is left out, so libpq uses its defaults.
    void add(const char* keyword, std::string value) {
        if (value.empty())
            return;
        m_texts.push_back(std::move(value));
        m_names.push_back(keyword);
    }
    void finish() {
        if (!m_keywords.empty())
            return;
        for (std::size_t i = 0; i < m_names.size(); ++i) {
            m_keywords.push_back(m_names[i]);
            m_values.push_back(m_texts[i].c_str());
        }
        m_keywords.push_back(nullptr);
        m_values.push_back(nullptr);
    }

    std::vector<const char*> m_names;
    std::vector<std::string> m_texts;
    std::vector<const char*> m_keywords;
    std::vector<const char*> m_values;
};

std::int64_t affected_rows(const PGresult* result) {
    const char* text = PQcmdTuples(const_cast<PGresult*>(result));
    std::int64_t count = 0;
    if (text && *text)
        std::from_chars(text, text + std::strlen(text), count);
    return count;
}

void ignore_notice(void*, const char*) {}

/// Sends a COPY command and takes its start: nothing when the server now
/// waits for (or sends) the data, else the failure (the session drained).
std::optional<Core::Error> start_copy(PGconn* connection, std::string_view copy_sql,
                                      ExecStatusType expected, std::string_view what) {
    const std::string text(copy_sql);
    if (!PQsendQuery(connection, text.c_str()))
        return connection_error(connection, State::connection_failure);
    ResultPtr started(PQgetResult(connection));
    if (started && PQresultStatus(started.get()) == expected)
        return std::nullopt;
    std::optional<Core::Error> error =
        started ? result_failure(connection, started.get()) : std::nullopt;
    started.reset();
    std::optional<Core::Error> rest = drain_results(connection);
    if (error)
        return error;
    if (rest)
        return rest;
    return make_error(State::feature_not_supported, what);
}

} // namespace

PostgreSQLProvider::PostgreSQLProvider() : m_session(std::make_shared<PostgreSQLSession>()) {}

PostgreSQLProvider::~PostgreSQLProvider() = default;

Core::Result<void> PostgreSQLProvider::open(const Contracts::ServerPtr& server,
                                            std::string_view /*connection_string*/) {
    if (!server) {
        Core::precondition_failed(__func__, "server != NULL");
        return Core::fail(make_error(State::unable_to_connect, "no server to connect to"));
    }
    auto lock = m_session->acquire(false);
    if (!lock)
        return Core::fail(std::move(lock).error());
    m_session->finish();
    m_opened = false;

    ConnectParameters parameters(*server);
    PGconn* connection = PQconnectdbParams(parameters.keywords(), parameters.values(), 0);
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        Core::Error error = connection_error(connection, State::unable_to_connect);
        PQfinish(connection);
        return Core::fail(std::move(error));
    }
    PQsetNoticeProcessor(connection, ignore_notice, nullptr);
    m_session->attach(connection);
    if (auto setup = run_text(connection, k_session_setup, false, [](const PGresult*) {}); !setup) {
        m_session->finish();
        return setup;
    }
    m_opened = true;
    return {};
}

Core::Result<void> PostgreSQLProvider::close() {
    auto lock = m_session->acquire(false);
    if (!lock)
        return Core::fail(std::move(lock).error());
    m_session->finish();
    m_opened = false;
    return {};
}

Core::Result<void> PostgreSQLProvider::run_command(const char* command,
                                                   const char* expected_status) {
    auto taken = m_session->take_for(command);
    if (!taken)
        return Core::fail(std::move(taken).error());
    std::string status;
    DIZEZIDA_TRY(run_text(m_session->connection, command, false, [&](const PGresult* result) {
        status = PQcmdStatus(const_cast<PGresult*>(result));
    }));
    if (status != expected_status)
        return Core::fail(make_error(State::transaction_rollback,
                                     std::string(command) + " ended as " + status +
                                         ": the transaction had failed and was rolled back"));
    return {};
}

Core::Result<void> PostgreSQLProvider::transaction() {
    return run_command("BEGIN", "BEGIN");
}

Core::Result<void> PostgreSQLProvider::commit() {
    return run_command("COMMIT", "COMMIT");
}

Core::Result<void> PostgreSQLProvider::rollback() {
    return run_command("ROLLBACK", "ROLLBACK");
}

Core::Result<std::vector<Core::ObjectPtr>>
PostgreSQLProvider::execute_statements(std::string_view sql, std::int32_t /*in_thread*/) {
    auto taken = m_session->take_for(sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    std::vector<Core::ObjectPtr> results;
    DIZEZIDA_TRY(run_text(m_session->connection, sql, false, [&](const PGresult* result) {
        switch (PQresultStatus(result)) {
        case PGRES_TUPLES_OK: {
            TablePtr table = table_for_result(result);
            append_result_rows(*table, result);
            results.push_back(std::move(table));
            break;
        }
        case PGRES_COMMAND_OK:
            results.push_back(std::make_shared<Contracts::ValueInt64>(affected_rows(result)));
            break;
        default:
            break;
        }
    }));
    return results;
}

Core::Result<TablePtr> PostgreSQLProvider::execute_model(std::string_view sql,
                                                         std::int32_t /*in_thread*/) {
    auto taken = m_session->take_for(sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    TablePtr last;
    TablePtr current;
    std::string status; // of the statement `last` came from, else of the last one
    // Single rows wait in a batch and go into the table column by column.
    std::vector<ResultPtr> batch;
    std::vector<const PGresult*> rows;
    auto flush = [&] {
        rows.clear();
        for (const ResultPtr& row : batch)
            rows.push_back(row.get());
        append_row_batch(*current, rows);
        batch.clear();
    };
    DIZEZIDA_TRY(run_text(m_session->connection, sql, k_model_single_row, [&](ResultPtr& result) {
        const ExecStatusType kind = PQresultStatus(result.get());
        if (kind == PGRES_COMMAND_OK && !last)
            status = PQcmdStatus(result.get());
        if (kind != PGRES_SINGLE_TUPLE && kind != PGRES_TUPLES_OK)
            return;
        if (!current)
            current = table_for_result(result.get());
        if (kind == PGRES_SINGLE_TUPLE) {
            batch.push_back(std::move(result));
            if (batch.size() == k_row_batch)
                flush();
            return;
        }
        flush();
        append_result_rows(*current, result.get());
        for (auto& column : current->storage().columns)
            column.shrink();
        status = PQcmdStatus(result.get());
        last = std::move(current);
    }));
    if (!last)
        last = Contracts::TableModel::create();
    else
        last->set_returns_rows(true);
    last->set_command_status(std::move(status));
    return last;
}

Core::Result<Contracts::ValuePtr> PostgreSQLProvider::execute_scalar(std::string_view sql,
                                                                     std::int32_t /*in_thread*/) {
    auto taken = m_session->take_for(sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    Contracts::ValuePtr value;
    DIZEZIDA_TRY(run_text(m_session->connection, sql, true, [&](const PGresult* result) {
        if (value || PQntuples(result) < 1 || PQnfields(result) < 1)
            return;
        const Contracts::ColumnCodec codec = pg_type(PQftype(result, 0)).codec;
        if (PQgetisnull(result, 0, 0))
            value = std::make_shared<Contracts::ValueNull>(codec.data_type);
        else
            value = Contracts::make_value(
                codec, std::string_view(PQgetvalue(result, 0, 0),
                                        static_cast<std::size_t>(PQgetlength(result, 0, 0))));
    }));
    return value ? value : std::make_shared<Contracts::ValueNull>();
}

Core::Result<std::int64_t> PostgreSQLProvider::execute_affect(std::string_view sql,
                                                              std::int32_t /*in_thread*/) {
    auto taken = m_session->take_for(sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    std::int64_t count = 0;
    DIZEZIDA_TRY(run_text(m_session->connection, sql, true, [&](const PGresult* result) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)
            count += affected_rows(result);
    }));
    return count;
}

Core::Result<Contracts::ReaderPtr> PostgreSQLProvider::execute_reader(std::string_view sql) {
    auto taken = m_session->take_for(sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    auto reader = PostgreSQLReader::start(m_session, taken->lock, sql, std::move(taken->running));
    if (!reader)
        return Core::fail(std::move(reader).error());
    return Contracts::ReaderPtr(std::move(*reader));
}

Core::Result<std::int64_t> PostgreSQLProvider::copy_in(std::string_view copy_sql,
                                                       std::string_view data) {
    auto taken = m_session->take_for(copy_sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    PGconn* connection = m_session->connection;
    if (auto error = start_copy(connection, copy_sql, PGRES_COPY_IN, "not a COPY FROM STDIN command"))
        return Core::fail(std::move(*error));
    // Blocks of at most 1 MiB: libpq buffers what it is given whole.
    constexpr std::size_t k_block = std::size_t{1} << 20;
    for (std::size_t sent = 0; sent < data.size();) {
        const std::size_t size = std::min(k_block, data.size() - sent);
        if (PQputCopyData(connection, data.data() + sent, static_cast<int>(size)) != 1) {
            Core::Error error = connection_error(connection, State::connection_failure);
            PQputCopyEnd(connection, "sending the rows failed");
            drain_results(connection);
            return Core::fail(std::move(error));
        }
        sent += size;
    }
    if (PQputCopyEnd(connection, nullptr) != 1)
        return Core::fail(connection_error(connection, State::connection_failure));
    std::int64_t count = 0;
    if (auto error = take_results(connection, [&](const PGresult* result) {
            count += affected_rows(result);
        }))
        return Core::fail(std::move(*error));
    return count;
}

Core::Result<std::int64_t> PostgreSQLProvider::copy_out(std::string_view copy_sql,
                                                        const CopySink& sink) {
    auto taken = m_session->take_for(copy_sql);
    if (!taken)
        return Core::fail(std::move(taken).error());
    PGconn* connection = m_session->connection;
    if (auto error = start_copy(connection, copy_sql, PGRES_COPY_OUT, "not a COPY TO STDOUT command"))
        return Core::fail(std::move(*error));
    constexpr std::size_t k_block = std::size_t{1} << 20;
    std::string block;
    std::optional<Core::Error> sink_error;
    for (;;) {
        char* data = nullptr;
        const int size = PQgetCopyData(connection, &data, 0);
        if (size < 0)
            break; // -1: the copy is done; -2: it failed (the result says why)
        if (!sink_error)
            block.append(data, static_cast<std::size_t>(size));
        PQfreemem(data);
        if (!sink_error && block.size() >= k_block) {
            if (auto taken = sink(block); !taken)
                sink_error = std::move(taken).error();
            block.clear();
        }
    }
    std::int64_t count = 0;
    std::optional<Core::Error> error =
        take_results(connection, [&](const PGresult* result) { count += affected_rows(result); });
    if (error)
        return Core::fail(std::move(*error));
    if (!sink_error && !block.empty())
        if (auto taken = sink(block); !taken)
            sink_error = std::move(taken).error();
    if (sink_error)
        return Core::fail(std::move(*sink_error));
    return count;
}

const Core::TypeInfo& PostgreSQLProvider::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLProvider, Core::Object>(
        "DizezidaZozuvoruSupportsPostgreSQLProvider", {}, {&Contracts::IProvider::static_type()});
    return info;
}

} // namespace Dizezida::Zozuvoru::Supports

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Supports::PostgreSQLProvider)

std::shared_ptr<Dizezida::Zozuvoru::Contracts::IProvider>
dizezida_zozuvoru_supports_postgre_sql_provider_new() {
    return Dizezida::Zozuvoru::Supports::PostgreSQLProvider::create();
}

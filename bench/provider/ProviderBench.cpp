// Fetching 1,000,000 rows of 10 mixed columns: into a TableModel through the
// provider, and with bare libpq loops that only touch every cell (the floor
// for this layer). The server is named by DIZEZIDA_TEST_PG (a connection
// string or "@FILE"); bench/provider/run.sh starts a private one.
#include "provider/Supports/PostgreSQLProvider.hpp"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

namespace {

using namespace Dizezida::Zozuvoru;

constexpr int k_rows = 1000000;
constexpr const char* k_query = "SELECT * FROM dizezida_bench";

std::string conninfo() {
    const char* variable = std::getenv("DIZEZIDA_TEST_PG");
    std::string value = variable ? variable : "";
    if (!value.empty() && value.front() == '@') {
        std::ifstream file(value.substr(1));
        std::getline(file, value);
    }
    return value;
}

struct Connection {
    Connection() : handle(PQconnectdb(conninfo().c_str())) {
        PQsetNoticeProcessor(
            handle, [](void*, const char*) {}, nullptr);
    }
    ~Connection() { PQfinish(handle); }
    PGconn* handle;
};

void exec_or_die(PGconn* connection, const char* sql) {
    PGresult* result = PQexec(connection, sql);
    if (PQresultStatus(result) != PGRES_COMMAND_OK && PQresultStatus(result) != PGRES_TUPLES_OK) {
        std::cerr << PQerrorMessage(connection);
        std::exit(1);
    }
    PQclear(result);
}

/// The rows: int4, int2, int8, text, numeric, float8, bool, timestamptz, date, uuid.
void create_table() {
    Connection connection;
    exec_or_die(connection.handle, "SET DateStyle = ISO; SET extra_float_digits = 3");
    exec_or_die(connection.handle,
                "DROP TABLE IF EXISTS dizezida_bench; "
                "CREATE UNLOGGED TABLE dizezida_bench AS SELECT g AS id, "
                "(g % 32767)::int2 AS small, g::int8 * 1000003 AS big, 'name ' || g AS name, "
                "(g * 1.25)::numeric(14, 2) AS amount, g / 7.0::float8 AS ratio, "
                "g % 2 = 0 AS even, "
                "timestamptz '2024-01-01 00:00:00+00' + g * interval '1 second' AS stamp, "
                "date '2000-01-01' + g % 10000 AS day, md5(g::text)::uuid AS uid "
                "FROM generate_series(1, 1000000) g");
    exec_or_die(connection.handle, "VACUUM ANALYZE dizezida_bench");
}

/// Touches every cell of a result as a consumer would: null flag, length, first byte.
std::size_t touch(const PGresult* result) {
    std::size_t sum = 0;
    const int rows = PQntuples(result);
    const int fields = PQnfields(result);
    for (int row = 0; row < rows; ++row)
        for (int field = 0; field < fields; ++field)
            if (!PQgetisnull(result, row, field))
                sum += static_cast<std::size_t>(PQgetlength(result, row, field)) +
                       static_cast<unsigned char>(*PQgetvalue(result, row, field));
    return sum;
}

void BareLibpqWholeResult(benchmark::State& state) {
    Connection connection;
    exec_or_die(connection.handle, "SET DateStyle = ISO; SET extra_float_digits = 3");
    for (auto _ : state) {
        PGresult* result = PQexec(connection.handle, k_query);
        benchmark::DoNotOptimize(touch(result));
        PQclear(result);
    }
    state.SetItemsProcessed(state.iterations() * k_rows);
}

void BareLibpqSingleRow(benchmark::State& state) {
    Connection connection;
    exec_or_die(connection.handle, "SET DateStyle = ISO; SET extra_float_digits = 3");
    for (auto _ : state) {
        PQsendQuery(connection.handle, k_query);
        PQsetSingleRowMode(connection.handle);
        std::size_t sum = 0;
        while (PGresult* result = PQgetResult(connection.handle)) {
            sum += touch(result);
            PQclear(result);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * k_rows);
}

void ProviderTableModel(benchmark::State& state) {
    auto provider = Supports::PostgreSQLProvider::create();
    auto server = Contracts::Server::create();
    {
        Connection connection;
        server->set_host(PQhost(connection.handle));
        server->set_port(static_cast<std::uint32_t>(std::atoi(PQport(connection.handle))));
        server->set_username(PQuser(connection.handle));
        server->set_initial(PQdb(connection.handle));
    }
    if (!provider->open(server, "")) {
        state.SkipWithError("cannot open the provider");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto table = provider->execute_model(k_query, 0);
        if (!table || (*table)->get_row_count() != k_rows) {
            state.SkipWithError("wrong result");
            return;
        }
        bytes = (*table)->memory_bytes();
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations() * k_rows);
    state.counters["bytes_per_row"] = static_cast<double>(bytes) / k_rows;
}

} // namespace

BENCHMARK(BareLibpqWholeResult)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BareLibpqSingleRow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ProviderTableModel)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (conninfo().empty()) {
        std::cerr << "DIZEZIDA_TEST_PG names no server (see bench/provider/run.sh)\n";
        return 1;
    }
    create_table();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Connection connection;
    exec_or_die(connection.handle, "DROP TABLE IF EXISTS dizezida_bench");
    return 0;
}

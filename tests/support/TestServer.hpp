// The test cluster: its connection string comes from one environment
// variable, DIZEZIDA_TEST_PG, holding either a libpq connection string or
// "@FILE" naming a file that holds one (what the ctest fixture writes).
#pragma once

#include <string>

namespace Dizezida::Testing {

/// The connection string of the test server. Fails the running test (never
/// skips it) when there is none or the server does not answer.
std::string test_conninfo();

/// Runs SQL on the test server as the superuser; fails the test on error and
/// returns the first column of the first row ("" when none).
std::string run_sql(const std::string& sql);

/// Runs SQL on the server a connection string names, as run_sql does.
std::string run_sql_on(const std::string& conninfo, const std::string& sql);

/// A fresh database on the test server, dropped by the destructor.
class ScratchDatabase {
public:
    explicit ScratchDatabase(const std::string& prefix = "scratch");
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const std::string& name() const { return m_name; }
    /// The connection string of this database.
    std::string conninfo() const;

private:
    std::string m_name;
};

} // namespace Dizezida::Testing

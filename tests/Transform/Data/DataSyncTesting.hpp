// Checks shared by the data sync tests: schema src holds the source's rows,
// schema dst the target's, in one scratch database.
#pragma once

#include "tests/support/TestServer.hpp"

#include <string>

namespace Dizezida::Testing {

/// Rows of src.T missing from dst.T and back (compared as row texts, since
/// not every type has an equality), and whether the rows' hashes in `order`
/// agree: "0/0 same" when the tables are equal.
inline std::string table_equality(const std::string& conninfo, const std::string& table,
                                  const std::string& order) {
    const auto rows = [&](const std::string& schema) {
        return "SELECT t::text FROM " + schema + "." + table + " t";
    };
    const auto hashes = [&](const std::string& schema) {
        return "(SELECT string_agg(md5(t::text), ',' ORDER BY " + order + ") FROM " + schema + "." +
               table + " t)";
    };
    return run_sql_on(conninfo, "SELECT (SELECT count(*) FROM (" + rows("src") + " EXCEPT ALL " +
                                    rows("dst") + ") x) || '/' || (SELECT count(*) FROM (" +
                                    rows("dst") + " EXCEPT ALL " + rows("src") +
                                    ") y) || CASE WHEN " + hashes("src") +
                                    " IS NOT DISTINCT FROM " + hashes("dst") +
                                    " THEN ' same' ELSE ' differ' END");
}

} // namespace Dizezida::Testing

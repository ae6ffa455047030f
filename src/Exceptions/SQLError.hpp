// The error domain of database errors and its codes.
//
// Codes ending in _START open numeric bands: 0 for the application, 10000,
// 20000 and 30000 for server families; the general codes follow 30000.
#pragma once

#include "core/Enum.hpp"

namespace Dizezida::Dovodarud::Exceptions {

enum class SQLError : int {
    APP_ERROR_START = 0,
    CRYPTOGRAPHY = 1,
    MYSQL_ERROR_START = 10000,
    POSTGRESQL_ERROR_START = 20000,
    SQLITE_ERROR_START = 30000,
    UNKNOWN = 30001,
    ERROR = 30002,
    INTERNAL = 30003,
    ACCESS_DENIED = 30004,
    ABORTED = 30005,
    BUSY = 30006,
    LOCKED = 30007,
    NO_MEMORY = 30008,
    READ_ONLY = 30009,
    INTERRUPTED = 30010,
    IO = 30011,
    CORRUPT = 30012,
    NOT_FOUND = 30013,
    FULL = 30014,
    CAN_NOT_OPEN = 30015,
    PROTOCOL = 30016,
    EMPTY = 30017,
    SCHEMA = 30018,
    TOO_BIG = 30019,
    CONSTRAINT = 30020,
    MISMATCH = 30021,
    MISUSE = 30022,
    NOLFS = 30023,
    AUTH = 30024,
    FORMAT = 30025,
    RANGE = 30026,
    NOTADB = 30027,
    DATA_TYPE = 30028,
    THREAD = 30029,
    TRANSACTION = 30030,
    FEATURE_NOT_SUPPORTED = 30031,
    NO_SQL = 30032,
    MISSING_PARAMETER = 30033,
};

DIZEZIDA_DECLARE_ENUM(SQLError);

/// The domain identifier of database errors.
const char* sql_error_quark();

} // namespace Dizezida::Dovodarud::Exceptions

// The type class of a result column or a model column.
//
// The numbers cross the exported boundary and must never be renumbered.
#pragma once

#include "core/Enum.hpp"

#include <string>

namespace Dizezida::Zozuvoru::Contracts {

enum class DataType : int {
    UNKNOWN = 0,
    NULL_TYPE = 1,
    BOOLEAN = 2,
    TINYINT = 3,
    SMALLINT = 4,
    INTEGER = 5,
    BIGINT = 6,
    UTINYINT = 7,
    USMALLINT = 8,
    UINTEGER = 9,
    UBIGINT = 10,
    CHAR = 11,
    VARCHAR = 12,
    STRING = 13,
    NUMERIC = 14,
    DECIMAL = 15,
    FLOAT = 16,
    DOUBLE = 17,
    DATE = 18,
    TIME = 19,
    TIMESTAMP = 20,
    INTERVAL = 21,
    DATETIME = 22,
    TEXT = 23,
    ENUM = 24,
    XML = 25,
    UUID = 26,
    JSON = 27,
    GEOMETRY = 28,
    BIT = 29,
    BINARY = 30,
    BLOB = 31,
    OBJECT = 32,
    ARRAY = 33,
};

DIZEZIDA_DECLARE_ENUM(DataType);

} // namespace Dizezida::Zozuvoru::Contracts

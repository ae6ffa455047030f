// The kind of a server object, as the meta model and the explorer number them.
//
// The numbers cross the exported boundary and must never be renumbered.
#pragma once

#include "core/Enum.hpp"

#include <string>

namespace Dizezida::Zozuvoru::Contracts {

enum class DbObject : int {
    NONE = 0,
    AGGREGATE = 1,
    BACKUP = 2,
    CATALOG = 3,
    CHECK = 4,
    CAST = 5,
    OPERATOR_CLASS = 6,
    COLLATION = 7,
    COLUMN = 8,
    CONSTRAINT = 9,
    CONVERSION = 10,
    DATABASE = 11,
    DICTIONARY = 12,
    DOMAIN = 13,
    EXTENSION = 14,
    EVENT = 15,
    EXCLUDE = 16,
    FOREIGN_KEY = 17,
    FUNCTION = 18,
    INDEX = 19,
    JOB = 20,
    LANGUAGE = 21,
    MATERIALIZED_VIEW = 22,
    OPERATOR = 23,
    PACKAGE = 24,
    PARTITION = 25,
    POLICY = 26,
    PRIMARY_KEY = 27,
    PROCEDURE = 28,
    PUBLICATION = 29,
    QUERY = 30,
    ROLE = 31,
    ROUTINE = 32,
    RULE = 33,
    SCHEMA = 34,
    SEQUENCE = 35,
    SERVER = 36,
    SUBSCRIPTION = 37,
    SYNONYM = 38,
    TABLE = 39,
    TABLESPACE = 40,
    TRIGGER = 41,
    TYPE = 42,
    UNIQUE = 43,
    USER = 44,
    VIEW = 45,
};

DIZEZIDA_DECLARE_ENUM(DbObject);

/// The text of a kind (its nick); every kind has a distinct text.
std::string db_object_to_string(DbObject kind);
/// The same as db_object_to_string.
inline std::string to_string(DbObject kind) {
    return db_object_to_string(kind);
}

} // namespace Dizezida::Zozuvoru::Contracts

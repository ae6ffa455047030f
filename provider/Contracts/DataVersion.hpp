// Change state of a model object or row: 0 read from a server, 1 equal, 2 to be removed, 4 to be added, 8 changed.
//
// The numbers cross the exported boundary and must never be renumbered.
#pragma once

#include "core/Enum.hpp"

#include <string>

namespace Dizezida::Zozuvoru::Contracts {

enum class DataVersion : unsigned {
    NONE = 0,
    EQUAL = 1,
    REMOVE = 2,
    APPEND = 4,
    CHANGE = 8,
};

DIZEZIDA_DECLARE_ENUM(DataVersion);

constexpr DataVersion operator|(DataVersion a, DataVersion b) {
    return static_cast<DataVersion>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool has_flag(DataVersion set, DataVersion flag) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(flag)) != 0;
}

} // namespace Dizezida::Zozuvoru::Contracts

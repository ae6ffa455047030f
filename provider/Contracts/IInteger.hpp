// Values that hold a whole number.
#pragma once

#include "core/Object.hpp"

#include <cstdint>

namespace Dizezida::Zozuvoru::Contracts {

class IInteger {
    DIZEZIDA_INTERFACE(IInteger)
public:
    virtual ~IInteger() = default;
    /// The number, widened to 64 bits (unsigned 64-bit values above the
    /// signed range wrap).
    virtual std::int64_t to_integer() const = 0;
};

} // namespace Dizezida::Zozuvoru::Contracts

// Values that can be read as a floating-point number.
#pragma once

#include "core/Object.hpp"

namespace Dizezida::Zozuvoru::Contracts {

class INumeric {
    DIZEZIDA_INTERFACE(INumeric)
public:
    virtual ~INumeric() = default;
    /// The nearest double; NaN and the infinities come through as such, and a
    /// text that is no number gives 0.
    virtual double to_double() const = 0;
};

} // namespace Dizezida::Zozuvoru::Contracts

// The contract for pretty-printing and compacting SQL text.
//
// Implementations work on the text alone (no syntax tree). Both operations
// keep the meaning of the SQL: string literals, quoted identifiers,
// dollar-quoted bodies and comments come out byte for byte. Whether one
// object may be used from several threads at once is up to the implementation
// (Supports::Database::Formatter may be, except for `option`).
#pragma once

#include "core/Object.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Contracts::Database {

class IFormattable {
    DIZEZIDA_INTERFACE(IFormattable)
public:
    virtual ~IFormattable() = default;
    /// Records a named option (the last value of a name wins).
    virtual void option(std::string_view name, std::string_view value) = 0;
    /// The statements broken into indented lines before their main clauses.
    virtual std::string beautify(std::string_view statements) const = 0;
    /// The statements with their white space folded to single blanks.
    virtual std::string minify(std::string_view statements) const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

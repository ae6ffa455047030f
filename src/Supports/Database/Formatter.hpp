// The SQL formatter: beautify (clauses on their own lines, conditions and
// nested subqueries indented, one select item a line) and minify (white space
// folded to single blanks).
//
// Both work on the text with regular expressions, not on a syntax tree.
// Literals, quoted identifiers, dollar-quoted bodies and comments are
// protected spans (see SqlSpans.hpp): they come out byte for byte and no
// keyword rule looks inside them, so neither operation changes what the SQL
// means.
//
// Thread safety: beautify and minify may run on any number of threads at
// once; the compiled expressions are built once per process, under the
// one-time initialisation guard of a function-local static, and are only read
// afterwards. `option` writes the option table without a lock.
#pragma once

#include "Contracts/Database/IFormattable.hpp"

#include <array>
#include <map>
#include <optional>
#include <string>

namespace Dizezida::Dovodarud::Supports::Database {

class Formatter : public Core::Object, public Contracts::Database::IFormattable {
    DIZEZIDA_OBJECT(Formatter)
public:
    /// Indentation steps in the shift table; deeper nesting stays at this depth.
    static constexpr int k_max_depth = 100;

    Formatter();

    void option(std::string_view name, std::string_view value) override;
    /// The value stored for an option name, if any.
    std::optional<std::string> option_value(std::string_view name) const;

    std::string beautify(std::string_view statements) const override;
    std::string minify(std::string_view statements) const override;

    /// The indentation step: four blanks.
    const std::string& tab() const { return m_tab; }
    /// A line break followed by `depth` steps (depth clamped to 0..k_max_depth).
    const std::string& shift(int depth) const;

private:
    std::string m_tab;
    std::array<std::string, k_max_depth + 1> m_shift;
    std::map<std::string, std::string, std::less<>> m_options;
};

} // namespace Dizezida::Dovodarud::Supports::Database

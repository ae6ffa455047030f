// printf-style formatting into a std::string, checked by the compiler.
//
// Log operations take a printf format and C variable arguments and mark
// themselves with DIZEZIDA_PRINTF, so that g++ checks every call against its
// format string (-Wformat); a std::string passed where "%s" expects a char
// pointer does not compile. The message is formatted once, before any
// logger or handler sees it, and travels on as plain text.
#pragma once

#include <cstdarg>
#include <string>

/// Marks a function whose argument `format_index` is a printf format and whose
/// variable arguments start at `first_arg` (0: a va_list). Member functions
/// count `this` as argument 1.
#define DIZEZIDA_PRINTF(format_index, first_arg)                                                  \
    __attribute__((format(printf, format_index, first_arg)))

namespace Dizezida::Dovodarud::Contracts::Log {

/// The text of `format` applied to `args`; `args` is left unconsumed for the caller.
std::string vprintf_text(const char* format, va_list args) DIZEZIDA_PRINTF(1, 0);
/// The text of `format` applied to the arguments.
std::string printf_text(const char* format, ...) DIZEZIDA_PRINTF(1, 2);

} // namespace Dizezida::Dovodarud::Contracts::Log

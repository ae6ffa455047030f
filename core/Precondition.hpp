// Caller-fault reporting in the platform log.
//
// A missing pointer argument is the caller's fault: the operation writes a
// critical message to GLib's default log domain naming the failed condition
// ("name != NULL") and returns its empty result. Thread-safe.
#pragma once

#include <string_view>

namespace Dizezida::Core {

/// Writes "<function>: assertion '<condition>' failed" as a critical message.
void precondition_failed(std::string_view function, std::string_view condition);

/// Writes a warning into the platform log (GLib's default domain).
void platform_warning(std::string_view text);

} // namespace Dizezida::Core

/// Returns `value` after logging "<expr> != NULL" when the pointer is null.
#define DIZEZIDA_RETURN_VAL_IF_NULL(pointer, value)                                                \
    do {                                                                                           \
        if (!(pointer)) {                                                                          \
            ::Dizezida::Core::precondition_failed(__func__, #pointer " != NULL");                  \
            return value;                                                                          \
        }                                                                                          \
    } while (false)

/// Returns (void) after logging "<expr> != NULL" when the pointer is null.
#define DIZEZIDA_RETURN_IF_NULL(pointer) DIZEZIDA_RETURN_VAL_IF_NULL(pointer, )

/// Returns `value` after logging the condition when it does not hold.
#define DIZEZIDA_RETURN_VAL_IF_FAIL(condition, value)                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::Dizezida::Core::precondition_failed(__func__, #condition);                           \
            return value;                                                                          \
        }                                                                                          \
    } while (false)

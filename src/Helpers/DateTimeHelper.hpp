// Texts for the current local time and for time spans.
//
// Stateless: every operation is a static function, safe to call from any
// thread. Time spans are signed counts of microseconds. Formats of the date
// and time are GLib's date-time directives ("%Y-%m-%d %H:%M:%S").
//
// Every "now" operation reads the clock once, so the millisecond suffix
// always belongs to the second printed before it. The overloads taking a
// `Core::DateTime` format that instant instead of the current time.
#pragma once

#include "core/DateTime.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Helpers {

class DateTimeHelper {
public:
    DateTimeHelper() = delete;

    static constexpr std::int64_t k_hour = 3'600'000'000;
    static constexpr std::int64_t k_minute = 60'000'000;
    static constexpr std::int64_t k_second = 1'000'000;
    static constexpr std::int64_t k_millisecond = 1'000;

    /// Now, formatted with `format`; "" when the format is not valid.
    static std::string datetime_as_string(std::string_view format);
    static std::string datetime_as_string(const Core::DateTime& at, std::string_view format);

    /**
     * Now formatted with `format`, then ".", then the millisecond of the
     * second formatted with `ms_format`. `ms_format` is a printf format with
     * at most one integer conversion (d, i, u, o, x or X, any length
     * modifier, width and precision of at most three digits) and "%%";
     * anything else is refused with a critical platform-log message and "".
     */
    static std::string datetime_as_string_ms(std::string_view format, std::string_view ms_format);
    static std::string datetime_as_string_ms(const Core::DateTime& at, std::string_view format,
                                             std::string_view ms_format);

    /// "%Y-%m-%d %H:%M:%S"
    static std::string datetime_as_normal();
    /// "%Y%m%d%H%M%S"
    static std::string datetime_as_compact();
    /// "%Y-%m-%dT%H:%M:%S"
    static std::string datetime_as_iso8601();
    /// "%Y-%m-%d %H:%M:%S.mmm"
    static std::string datetime_with_ms_normal();
    /// "%Y%m%d%H%M%S.mmm"
    static std::string datetime_with_ms_compact();
    /// "%Y-%m-%dT%H:%M:%S.mmm"
    static std::string datetime_with_ms_iso8601();

    /// "HH:MM:SS": total hours, minutes within the hour, seconds within the
    /// minute. A negative span prints as "-" and its magnitude.
    static std::string format_time_span(std::int64_t span);
    /// "HH:MM:SS.mmm", as `format_time_span` plus the milliseconds.
    static std::string format_time_span_micro(std::int64_t span);
    /// A short text with units ("1H 1M 1S 1ms", "1M 1S 0ms", "1S 500ms",
    /// "999ms"), translated in the text domain "dizezida". A negative span
    /// prints as "-" and its magnitude.
    static std::string format_time_span_unit(std::int64_t span);
};

} // namespace Dizezida::Dovodarud::Helpers

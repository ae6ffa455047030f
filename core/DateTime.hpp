// A calendar instant with the UTC offset it was expressed in.
//
// Value type; conversions go through GLib's date-time code in the source file,
// so no GLib type shows here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Dizezida::Core {

struct DateTime {
    std::int64_t unix_microseconds = 0; ///< microseconds since 1970-01-01 00:00 UTC
    std::int32_t utc_offset_seconds = 0;

    bool operator==(const DateTime&) const = default;

    /// Parses ISO 8601; a text that names no zone is taken as UTC.
    static std::optional<DateTime> parse_iso8601(std::string_view text);
    /// The current time in the local zone.
    static DateTime now_local();
    /// ISO 8601 with the offset, e.g. "2026-12-08T20:16:04.5+01:00".
    std::string to_iso8601() const;
    /// strftime-like formatting with GLib's directives ("%Y-%m-%d %H:%M:%S").
    std::string format(std::string_view pattern) const;
};

} // namespace Dizezida::Core

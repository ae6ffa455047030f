#include "core/DateTime.hpp"

#include <glib.h>

#include <memory>

namespace Dizezida::Core {
namespace {

struct DateTimeUnref {
    void operator()(GDateTime* value) const { g_date_time_unref(value); }
};
struct TimeZoneUnref {
    void operator()(GTimeZone* zone) const { g_time_zone_unref(zone); }
};
using DateTimeHandle = std::unique_ptr<GDateTime, DateTimeUnref>;

DateTimeHandle to_glib(const DateTime& value) {
    std::unique_ptr<GTimeZone, TimeZoneUnref> zone(
        g_time_zone_new_offset(value.utc_offset_seconds));
    DateTimeHandle utc(g_date_time_new_from_unix_utc(value.unix_microseconds / G_USEC_PER_SEC));
    if (!utc)
        return nullptr;
    DateTimeHandle exact(g_date_time_add(utc.get(), value.unix_microseconds % G_USEC_PER_SEC));
    return DateTimeHandle(g_date_time_to_timezone(exact.get(), zone.get()));
}

DateTime from_glib(GDateTime* value) {
    return DateTime{g_date_time_to_unix(value) * G_USEC_PER_SEC + g_date_time_get_microsecond(value),
                    static_cast<std::int32_t>(g_date_time_get_utc_offset(value) / G_USEC_PER_SEC)};
}

} // namespace

std::optional<DateTime> DateTime::parse_iso8601(std::string_view text) {
    const std::string copy(text);
    std::unique_ptr<GTimeZone, TimeZoneUnref> utc(g_time_zone_new_utc());
    DateTimeHandle parsed(g_date_time_new_from_iso8601(copy.c_str(), utc.get()));
    if (!parsed)
        return std::nullopt;
    return from_glib(parsed.get());
}

DateTime DateTime::now_local() {
    DateTimeHandle now(g_date_time_new_now_local());
    return from_glib(now.get());
}

std::string DateTime::to_iso8601() const {
    DateTimeHandle value = to_glib(*this);
    if (!value)
        return {};
    std::unique_ptr<gchar, decltype(&g_free)> text(g_date_time_format_iso8601(value.get()), g_free);
    return text ? std::string(text.get()) : std::string();
}

std::string DateTime::format(std::string_view pattern) const {
    DateTimeHandle value = to_glib(*this);
    if (!value)
        return {};
    const std::string format_text(pattern);
    std::unique_ptr<gchar, decltype(&g_free)> text(g_date_time_format(value.get(), format_text.c_str()),
                                                   g_free);
    return text ? std::string(text.get()) : std::string();
}

} // namespace Dizezida::Core

#include "Helpers/DateTimeHelper.hpp"

#include "Contracts/Log/Printf.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <optional>
#include <vector>

namespace Dizezida::Dovodarud::Helpers {
namespace {

using Contracts::Log::printf_text;

constexpr const char* k_text_domain = "dizezida";

/// The millisecond within the second of an instant, also before 1970 (the
/// second GLib prints is the floor of the instant, so is this millisecond).
long long millisecond_of(std::int64_t unix_microseconds) {
    std::int64_t milliseconds = unix_microseconds / 1000;
    if (unix_microseconds % 1000 < 0)
        --milliseconds;
    std::int64_t within = milliseconds % 1000;
    return within < 0 ? within + 1000 : within;
}

/**
 * `ms_format` rewritten so that its one integer conversion takes a long long,
 * or nothing when it holds any other conversion, more than one, or a width or
 * precision longer than three digits (a text from a caller must never pick
 * the argument types of printf).
 */
std::optional<std::string> integer_format(std::string_view ms_format) {
    constexpr std::string_view flags = "-+ 0#";
    constexpr std::string_view lengths = "hljztLq";
    constexpr std::string_view conversions = "diouxX";
    const auto digits = [&](std::size_t& at, std::string& out) {
        std::size_t count = 0;
        while (at < ms_format.size() && g_ascii_isdigit(ms_format[at])) {
            out += ms_format[at++];
            ++count;
        }
        return count <= 3;
    };
    std::string result;
    bool converted = false;
    for (std::size_t at = 0; at < ms_format.size(); ++at) {
        const char c = ms_format[at];
        if (c == '\0')
            return std::nullopt;
        if (c != '%') {
            result += c;
            continue;
        }
        if (at + 1 < ms_format.size() && ms_format[at + 1] == '%') {
            result += "%%";
            ++at;
            continue;
        }
        if (converted)
            return std::nullopt;
        converted = true;
        std::string directive = "%";
        ++at;
        while (at < ms_format.size() && ms_format[at] != '\0' &&
               flags.find(ms_format[at]) != std::string_view::npos)
            directive += ms_format[at++];
        if (!digits(at, directive))
            return std::nullopt;
        if (at < ms_format.size() && ms_format[at] == '.') {
            directive += ms_format[at++];
            if (!digits(at, directive))
                return std::nullopt;
        }
        while (at < ms_format.size() && ms_format[at] != '\0' &&
               lengths.find(ms_format[at]) != std::string_view::npos)
            ++at;
        if (at >= ms_format.size() || ms_format[at] == '\0' ||
            conversions.find(ms_format[at]) == std::string_view::npos)
            return std::nullopt;
        directive += "ll";
        directive += ms_format[at];
        result += directive;
    }
    return result;
}

/// The printf directives of a format in order ("%%" left out).
std::vector<std::string_view> directives(std::string_view format) {
    constexpr std::string_view ends = "diouxXeEfFgGaAcspn";
    std::vector<std::string_view> found;
    for (std::size_t at = format.find('%'); at != std::string_view::npos;
         at = format.find('%', at)) {
        if (at + 1 < format.size() && format[at + 1] == '%') {
            at += 2;
            continue;
        }
        std::size_t end = at + 1;
        while (end < format.size() && ends.find(format[end]) == std::string_view::npos)
            ++end;
        found.push_back(format.substr(at, end + 1 - at));
        at = end + 1;
    }
    return found;
}

/// The translation of a printf format; the format itself when the
/// translation's directives differ from the original's (a broken catalogue
/// must not decide what printf reads).
__attribute__((format_arg(1))) const char* translated(const char* format) {
    const char* text = g_dgettext(k_text_domain, format);
    if (text == nullptr || text == format)
        return format;
    return directives(text) == directives(format) ? text : format;
}

/// The magnitude of a span and its sign text.
struct Magnitude {
    const char* sign;
    unsigned long long value;
};

Magnitude magnitude(std::int64_t span) {
    if (span < 0)
        return {"-", 0ULL - static_cast<unsigned long long>(span)};
    return {"", static_cast<unsigned long long>(span)};
}

constexpr auto k_hour = static_cast<unsigned long long>(DateTimeHelper::k_hour);
constexpr auto k_minute = static_cast<unsigned long long>(DateTimeHelper::k_minute);
constexpr auto k_second = static_cast<unsigned long long>(DateTimeHelper::k_second);
constexpr auto k_millisecond = static_cast<unsigned long long>(DateTimeHelper::k_millisecond);

} // namespace

std::string DateTimeHelper::datetime_as_string(std::string_view format) {
    return datetime_as_string(Core::DateTime::now_local(), format);
}

std::string DateTimeHelper::datetime_as_string(const Core::DateTime& at, std::string_view format) {
    return at.format(format);
}

std::string DateTimeHelper::datetime_as_string_ms(std::string_view format,
                                                  std::string_view ms_format) {
    return datetime_as_string_ms(Core::DateTime::now_local(), format, ms_format);
}

std::string DateTimeHelper::datetime_as_string_ms(const Core::DateTime& at, std::string_view format,
                                                  std::string_view ms_format) {
    const std::optional<std::string> checked = integer_format(ms_format);
    DIZEZIDA_RETURN_VAL_IF_FAIL(checked.has_value(), std::string());
    const std::string text = at.format(format);
    return text + "." + printf_text(checked->c_str(), millisecond_of(at.unix_microseconds));
}

std::string DateTimeHelper::datetime_as_normal() {
    return datetime_as_string("%Y-%m-%d %H:%M:%S");
}

std::string DateTimeHelper::datetime_as_compact() {
    return datetime_as_string("%Y%m%d%H%M%S");
}

std::string DateTimeHelper::datetime_as_iso8601() {
    return datetime_as_string("%Y-%m-%dT%H:%M:%S");
}

std::string DateTimeHelper::datetime_with_ms_normal() {
    return datetime_as_string_ms("%Y-%m-%d %H:%M:%S", "%03lli");
}

std::string DateTimeHelper::datetime_with_ms_compact() {
    return datetime_as_string_ms("%Y%m%d%H%M%S", "%03lli");
}

std::string DateTimeHelper::datetime_with_ms_iso8601() {
    return datetime_as_string_ms("%Y-%m-%dT%H:%M:%S", "%03lli");
}

std::string DateTimeHelper::format_time_span(std::int64_t span) {
    const Magnitude m = magnitude(span);
    return fmt::format("{}{:02}:{:02}:{:02}", m.sign, m.value / k_hour, m.value % k_hour / k_minute,
                       m.value % k_minute / k_second);
}

std::string DateTimeHelper::format_time_span_micro(std::int64_t span) {
    const Magnitude m = magnitude(span);
    return fmt::format("{}{:02}:{:02}:{:02}.{:03}", m.sign, m.value / k_hour,
                       m.value % k_hour / k_minute, m.value % k_minute / k_second,
                       m.value % k_second / k_millisecond);
}

std::string DateTimeHelper::format_time_span_unit(std::int64_t span) {
    const Magnitude m = magnitude(span);
    const auto hours = static_cast<long long>(m.value / k_hour);
    const auto minutes = static_cast<long long>(m.value % k_hour / k_minute);
    const auto seconds = static_cast<long long>(m.value % k_minute / k_second);
    const auto milliseconds = static_cast<long long>(m.value % k_second / k_millisecond);
    std::string text;
    if (m.value >= k_hour)
        text = printf_text(translated("%lliH %lliM %lliS %llims"), hours, minutes, seconds,
                           milliseconds);
    else if (m.value >= k_minute)
        text = printf_text(translated("%lliM %lliS %llims"), minutes, seconds, milliseconds);
    else if (m.value < k_second)
        text = printf_text(translated("%llims"), milliseconds);
    else
        text = printf_text(translated("%lliS %llims"), seconds, milliseconds);
    return m.sign + text;
}

} // namespace Dizezida::Dovodarud::Helpers

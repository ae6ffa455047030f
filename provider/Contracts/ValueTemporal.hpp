// The date and time value kinds.
//
// Each keeps the server's text (sessions opened by the provider use the ISO
// date style, "2024-02-29 13:45:00.25+01"), and reads it into a calendar
// instant or a time of day on request.
#pragma once

#include "core/DateTime.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace Dizezida::Zozuvoru::Contracts {

/// date, timestamp and timestamptz ("GDateTime").
class ValueDateTime final : public ValueObject {
    DIZEZIDA_OBJECT(ValueDateTime)
public:
    explicit ValueDateTime(std::string text = {}, DataType type = DataType::TIMESTAMP)
        : ValueObject(type), m_text(std::move(text)) {}
    /// A value made in memory from an instant (ISO text with its offset).
    static std::shared_ptr<ValueDateTime> from_date_time(const Core::DateTime& value);
    std::string to_string() const override { return m_text; }
    /// The instant; a date is midnight UTC, a time stamp without zone is read
    /// as UTC. None for "infinity", "-infinity", years before 1 and after 9999.
    std::optional<Core::DateTime> to_date_time() const;
    /// The instant formatted with GLib's directives ("%Y-%m-%d %H:%M:%S");
    /// the text itself when it names no instant the calendar can hold.
    std::string format(std::string_view pattern) const;
    /// The instant, or a date-time value holding none.
    Core::Value to_value() const override;

private:
    std::string m_text;
};

/// A time of day, the record behind the "GTime" generic value.
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int microsecond = 0;
    std::optional<int> utc_offset_seconds; ///< set for timetz
    bool operator==(const TimeOfDay&) const = default;
};

/// time and timetz ("GTime", a boxed TimeOfDay).
class ValueTime final : public ValueObject {
    DIZEZIDA_OBJECT(ValueTime)
public:
    explicit ValueTime(std::string text = {}, DataType type = DataType::TIME)
        : ValueObject(type), m_text(std::move(text)) {}
    std::string to_string() const override { return m_text; }
    /// The time of day; none when the text is not "HH:MM:SS[.ffffff][+HH[:MM[:SS]]]".
    std::optional<TimeOfDay> to_time() const;
    Core::Value to_value() const override;

private:
    std::string m_text;
};

/// interval; its text is the server's ("1 year 2 mons 3 days 04:05:06.5").
class ValueInterval final : public ValueObject {
    DIZEZIDA_OBJECT(ValueInterval)
public:
    explicit ValueInterval(std::string text = {})
        : ValueObject(DataType::INTERVAL), m_text(std::move(text)) {}
    std::string to_string() const override { return m_text; }
    /// A "gchararray" value with the text.
    Core::Value to_value() const override { return Core::Value(m_text); }

private:
    std::string m_text;
};

} // namespace Dizezida::Zozuvoru::Contracts

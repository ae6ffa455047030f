#include "provider/Contracts/ValueBinary.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Contracts/ValueTemporal.hpp"

#include "core/Properties.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace Dizezida::Zozuvoru::Contracts {
namespace {

/// Reads `digits` decimal digits at the front of `text`; false when they are not there.
bool take_digits(std::string_view& text, std::size_t digits, int& out) {
    if (text.size() < digits)
        return false;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    text.remove_prefix(digits);
    return true;
}

bool take(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

/// "HH:MM:SS[.f...]" into a time of day (fraction cut to microseconds).
bool take_time(std::string_view& text, TimeOfDay& time) {
    if (!take_digits(text, 2, time.hour) || !take(text, ':') ||
        !take_digits(text, 2, time.minute) || !take(text, ':') ||
        !take_digits(text, 2, time.second))
        return false;
    time.microsecond = 0;
    if (take(text, '.')) {
        int scale = 100000;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
            time.microsecond += (text.front() - '0') * scale;
            scale /= 10;
            text.remove_prefix(1);
        }
    }
    return true;
}

/// "+HH[:MM[:SS]]" or "-HH..." into seconds east of UTC.
bool take_offset(std::string_view& text, int& seconds) {
    if (text.empty() || (text.front() != '+' && text.front() != '-'))
        return false;
    const int sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
    int hours = 0, minutes = 0, secs = 0;
    if (!take_digits(text, 2, hours))
        return false;
    if (take(text, ':') && !take_digits(text, 2, minutes))
        return false;
    if (take(text, ':') && !take_digits(text, 2, secs))
        return false;
    seconds = sign * (hours * 3600 + minutes * 60 + secs);
    return true;
}

/// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto year_of_era = static_cast<unsigned>(year - era * 400);
    const unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

template <class T> std::string integer_text(T value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

template <class T> std::string shortest_text(T value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

} // namespace

// ---- ValueObject and ValueNull -------------------------------------------------------------

const Core::TypeInfo& ValueObject::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<ValueObject, Core::Object>(
        "DizezidaZozuvoruContractsValueObject",
        {Core::accessor<ValueObject, std::string>(
             "text", [](const ValueObject& value) { return value.to_string(); }, nullptr,
             Core::Readable),
         Core::accessor<ValueObject, DataType>(
             "data-type", [](const ValueObject& value) { return value.get_data_type(); }, nullptr,
             Core::Readable)});
    return info;
}

Core::Value ValueNull::to_value() const {
    return Core::Value::boxed("GNull", nullptr);
}

// ---- integers ---------------------------------------------------------------------------------

template <class T> std::string IntegerValue<T>::to_string() const {
    return integer_text(m_value);
}

template <class T> Core::Value IntegerValue<T>::to_value() const {
    if constexpr (std::is_same_v<T, std::int16_t>)
        return Core::Value::of_signed(Core::ValueKind::Int16, m_value);
    else
        return Core::Value(m_value);
}

template class IntegerValue<std::int16_t>;
template class IntegerValue<std::int32_t>;
template class IntegerValue<std::int64_t>;
template class IntegerValue<std::uint32_t>;
template class IntegerValue<std::uint64_t>;

// ---- number texts -----------------------------------------------------------------------------

double NumberText::to_double() const {
    double value = 0;
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (error == std::errc() && ptr == end)
        return value;
    if (error == std::errc::result_out_of_range)
        return std::strtod(m_text.c_str(), nullptr); // keeps the infinity or zero strtod gives
    // Money: the digits and the decimal point, negative when written with "-" or "(...)".
    const bool negative = m_text.find_first_of("-(") != std::string::npos;
    std::string plain = negative ? "-" : "";
    for (const char c : m_text)
        if ((c >= '0' && c <= '9') || c == '.')
            plain.push_back(c);
    if (std::from_chars(plain.data(), plain.data() + plain.size(), value).ec != std::errc())
        return 0;
    return value;
}

std::shared_ptr<ValueFloat> ValueFloat::from_float(float value) {
    return std::make_shared<ValueFloat>(shortest_text(value));
}

std::shared_ptr<ValueDouble> ValueDouble::from_double(double value) {
    return std::make_shared<ValueDouble>(shortest_text(value));
}

// ---- date and time ----------------------------------------------------------------------------

std::optional<Core::DateTime> ValueDateTime::to_date_time() const {
    std::string_view text = m_text;
    int year = 0, month = 0, day = 0;
    if (!take_digits(text, 4, year) || !take(text, '-') || !take_digits(text, 2, month) ||
        !take(text, '-') || !take_digits(text, 2, day) || year < 1 || month < 1 || month > 12 ||
        day < 1 || day > 31)
        return std::nullopt;
    TimeOfDay time;
    int offset = 0;
    if (take(text, ' ') || take(text, 'T')) {
        if (!take_time(text, time))
            return std::nullopt;
        take_offset(text, offset);
    }
    if (!text.empty()) // " BC" or a longer year
        return std::nullopt;
    const std::int64_t days =
        days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const std::int64_t seconds =
        days * 86400 + time.hour * 3600 + time.minute * 60 + time.second - offset;
    return Core::DateTime{seconds * 1000000 + time.microsecond, offset};
}

std::shared_ptr<ValueDateTime> ValueDateTime::from_date_time(const Core::DateTime& value) {
    return std::make_shared<ValueDateTime>(value.to_iso8601(), DataType::TIMESTAMP);
}

std::string ValueDateTime::format(std::string_view pattern) const {
    const auto instant = to_date_time();
    return instant ? instant->format(pattern) : m_text;
}

Core::Value ValueDateTime::to_value() const {
    const auto instant = to_date_time();
    return instant ? Core::Value(*instant) : Core::Value::null_date_time();
}

std::optional<TimeOfDay> ValueTime::to_time() const {
    std::string_view text = m_text;
    TimeOfDay time;
    if (!take_time(text, time))
        return std::nullopt;
    int offset = 0;
    if (take_offset(text, offset))
        time.utc_offset_seconds = offset;
    if (!text.empty())
        return std::nullopt;
    return time;
}

Core::Value ValueTime::to_value() const {
    const auto time = to_time();
    return Core::Value::boxed("GTime", time ? std::make_shared<TimeOfDay>(*time) : nullptr);
}

// ---- binary -----------------------------------------------------------------------------------

std::string ValueBinary::to_string() const {
    static constexpr char k_digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 + m_bytes.size() * 2);
    text += "\\x";
    for (const std::uint8_t byte : m_bytes) {
        text.push_back(k_digits[byte >> 4]);
        text.push_back(k_digits[byte & 15]);
    }
    return text;
}

Core::Value ValueBinary::to_value() const {
    return Core::Value::boxed("GBinary", std::make_shared<Bytes>(m_bytes));
}

// ---- type records -----------------------------------------------------------------------------

namespace {

template <class C>
const Core::TypeInfo& value_type(std::string_view name,
                                 std::vector<const Core::TypeInfo*> interfaces = {}) {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<C, ValueObject>(name, {}, std::move(interfaces));
    return info;
}

std::vector<const Core::TypeInfo*> integer_interfaces() {
    return {&IInteger::static_type(), &INumeric::static_type()};
}

} // namespace

const Core::TypeInfo& IInteger::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsIInteger");
    return info;
}

const Core::TypeInfo& INumeric::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaZozuvoruContractsINumeric");
    return info;
}

const Core::TypeInfo& ValueNull::static_type() {
    return value_type<ValueNull>("DizezidaZozuvoruContractsValueNull");
}
const Core::TypeInfo& ValueString::static_type() {
    return value_type<ValueString>("DizezidaZozuvoruContractsValueString");
}
const Core::TypeInfo& ValueBoolean::static_type() {
    return value_type<ValueBoolean>("DizezidaZozuvoruContractsValueBoolean");
}
const Core::TypeInfo& ValueInt16::static_type() {
    return value_type<ValueInt16>("DizezidaZozuvoruContractsValueInt16", integer_interfaces());
}
const Core::TypeInfo& ValueInt32::static_type() {
    return value_type<ValueInt32>("DizezidaZozuvoruContractsValueInt32", integer_interfaces());
}
const Core::TypeInfo& ValueInt64::static_type() {
    return value_type<ValueInt64>("DizezidaZozuvoruContractsValueInt64", integer_interfaces());
}
const Core::TypeInfo& ValueUInt32::static_type() {
    return value_type<ValueUInt32>("DizezidaZozuvoruContractsValueUInt32", integer_interfaces());
}
const Core::TypeInfo& ValueUInt64::static_type() {
    return value_type<ValueUInt64>("DizezidaZozuvoruContractsValueUInt64", integer_interfaces());
}
const Core::TypeInfo& ValueFloat::static_type() {
    return value_type<ValueFloat>("DizezidaZozuvoruContractsValueFloat",
                                  {&INumeric::static_type()});
}
const Core::TypeInfo& ValueDouble::static_type() {
    return value_type<ValueDouble>("DizezidaZozuvoruContractsValueDouble",
                                   {&INumeric::static_type()});
}
const Core::TypeInfo& ValueNumeric::static_type() {
    return value_type<ValueNumeric>("DizezidaZozuvoruContractsValueNumeric",
                                    {&INumeric::static_type()});
}
const Core::TypeInfo& ValueDateTime::static_type() {
    return value_type<ValueDateTime>("DizezidaZozuvoruContractsValueDateTime");
}
const Core::TypeInfo& ValueTime::static_type() {
    return value_type<ValueTime>("DizezidaZozuvoruContractsValueTime");
}
const Core::TypeInfo& ValueInterval::static_type() {
    return value_type<ValueInterval>("DizezidaZozuvoruContractsValueInterval");
}
const Core::TypeInfo& ValueBinary::static_type() {
    return value_type<ValueBinary>("DizezidaZozuvoruContractsValueBinary");
}

} // namespace Dizezida::Zozuvoru::Contracts

DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueNull)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueString)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueBoolean)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueInt16)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueInt32)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueInt64)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueUInt32)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueUInt64)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueFloat)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueDouble)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueNumeric)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueDateTime)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueTime)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueInterval)
DIZEZIDA_REGISTER_TYPE(Dizezida::Zozuvoru::Contracts::ValueBinary)

// The scalar value kinds: text, booleans, integers, floats and numerics.
//
// Integers hold their number (their text is its decimal form, as the server
// writes it); floats and numerics hold the server's text and parse it on
// request, so no digit is lost in between.
#pragma once

#include "provider/Contracts/IInteger.hpp"
#include "provider/Contracts/INumeric.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <string>

namespace Dizezida::Zozuvoru::Contracts {

/// Text of any kind: character types and every type without a kind of its
/// own (json, xml, uuid, network addresses, geometry, arrays, ranges ...).
class ValueString final : public ValueObject {
    DIZEZIDA_OBJECT(ValueString)
public:
    explicit ValueString(std::string text = {}, DataType type = DataType::TEXT)
        : ValueObject(type), m_text(std::move(text)) {}
    static std::shared_ptr<ValueString> create(std::string text, DataType type = DataType::TEXT) {
        return std::make_shared<ValueString>(std::move(text), type);
    }
    const std::string& get_string() const { return m_text; }
    std::string to_string() const override { return m_text; }
    /// A "gchararray" value.
    Core::Value to_value() const override { return Core::Value(m_text); }

private:
    std::string m_text;
};

/// A boolean; its text is the server's "t" or "f".
class ValueBoolean final : public ValueObject {
    DIZEZIDA_OBJECT(ValueBoolean)
public:
    explicit ValueBoolean(bool value = false) : ValueObject(DataType::BOOLEAN), m_value(value) {}
    bool get_boolean() const { return m_value; }
    std::string to_string() const override { return m_value ? "t" : "f"; }
    Core::Value to_value() const override { return Core::Value(m_value); }

private:
    bool m_value;
};

/// The shared body of the integer kinds.
template <class T> class IntegerValue : public ValueObject, public IInteger, public INumeric {
public:
    std::string to_string() const override;
    Core::Value to_value() const override;
    std::int64_t to_integer() const override { return static_cast<std::int64_t>(m_value); }
    double to_double() const override { return static_cast<double>(m_value); }

protected:
    IntegerValue(T value, DataType type) : ValueObject(type), m_value(value) {}
    T m_value;
};

/// int2 ("gint16").
class ValueInt16 final : public IntegerValue<std::int16_t> {
    DIZEZIDA_OBJECT(ValueInt16)
public:
    explicit ValueInt16(std::int16_t value = 0) : IntegerValue(value, DataType::SMALLINT) {}
    std::int16_t get_int16() const { return m_value; }
};

/// int4 ("gint").
class ValueInt32 final : public IntegerValue<std::int32_t> {
    DIZEZIDA_OBJECT(ValueInt32)
public:
    explicit ValueInt32(std::int32_t value = 0) : IntegerValue(value, DataType::INTEGER) {}
    std::int32_t get_int32() const { return m_value; }
};

/// int8 ("gint64").
class ValueInt64 final : public IntegerValue<std::int64_t> {
    DIZEZIDA_OBJECT(ValueInt64)
public:
    explicit ValueInt64(std::int64_t value = 0, DataType type = DataType::BIGINT)
        : IntegerValue(value, type) {}
    std::int64_t get_int64() const { return m_value; }
};

/// oid, xid, cid ("guint").
class ValueUInt32 final : public IntegerValue<std::uint32_t> {
    DIZEZIDA_OBJECT(ValueUInt32)
public:
    explicit ValueUInt32(std::uint32_t value = 0) : IntegerValue(value, DataType::UINTEGER) {}
    std::uint32_t get_uint32() const { return m_value; }
};

/// xid8 ("guint64").
class ValueUInt64 final : public IntegerValue<std::uint64_t> {
    DIZEZIDA_OBJECT(ValueUInt64)
public:
    explicit ValueUInt64(std::uint64_t value = 0) : IntegerValue(value, DataType::UBIGINT) {}
    std::uint64_t get_uint64() const { return m_value; }
};

/// The shared body of the kinds kept as the server's number text.
class NumberText : public ValueObject, public INumeric {
public:
    std::string to_string() const override { return m_text; }
    double to_double() const override;

protected:
    NumberText(std::string text, DataType type) : ValueObject(type), m_text(std::move(text)) {}
    std::string m_text;
};

/// float4 ("gfloat"); the text is the server's ("NaN", "Infinity" included).
class ValueFloat final : public NumberText {
    DIZEZIDA_OBJECT(ValueFloat)
public:
    explicit ValueFloat(std::string text = "0") : NumberText(std::move(text), DataType::FLOAT) {}
    /// A value made in memory: its text is the shortest that reads back exactly.
    static std::shared_ptr<ValueFloat> from_float(float value);
    float get_float() const { return static_cast<float>(to_double()); }
    Core::Value to_value() const override { return Core::Value(get_float()); }
};

/// float8 ("gdouble"); the text is the server's.
class ValueDouble final : public NumberText {
    DIZEZIDA_OBJECT(ValueDouble)
public:
    explicit ValueDouble(std::string text = "0") : NumberText(std::move(text), DataType::DOUBLE) {}
    /// A value made in memory: its text is the shortest that reads back exactly.
    static std::shared_ptr<ValueDouble> from_double(double value);
    double get_double() const { return to_double(); }
    Core::Value to_value() const override { return Core::Value(to_double()); }
};

/// numeric and money: the exact text; `to_double` (and the "gdouble" generic
/// value) is the nearest double. Money's currency sign and group separators
/// are skipped when it is read as a number.
class ValueNumeric final : public NumberText {
    DIZEZIDA_OBJECT(ValueNumeric)
public:
    explicit ValueNumeric(std::string text = "0", DataType type = DataType::NUMERIC)
        : NumberText(std::move(text), type) {}
    Core::Value to_value() const override { return Core::Value(to_double()); }
};

} // namespace Dizezida::Zozuvoru::Contracts

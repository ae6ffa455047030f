// One cell of a result: the base of every value class.
//
// A value is an immutable object of the object model (shared through
// std::shared_ptr). Each kind keeps the server's own text form where one
// exists, so `to_string()` gives back exactly what the server sent (numerics
// with all their digits, time stamps with their zone, NaN and Infinity);
// the typed accessors of the kinds decode on request. A value of a result row
// carries the `DataType` of its column.
//
// Thread safety: values are never changed after construction (object-model
// tags set with set_data aside) and may be read from any thread.
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/DataType.hpp"

#include <memory>
#include <string>

namespace Dizezida::Zozuvoru::Contracts {

class ValueObject : public Core::Object {
    DIZEZIDA_OBJECT(ValueObject)
public:
    /// The text form: the server's text for values read from a server.
    virtual std::string to_string() const = 0;
    /// The payload as a generic value (see each kind for its value type).
    virtual Core::Value to_value() const = 0;
    /// Whether this is the SQL NULL.
    virtual bool is_null() const { return false; }
    /// The type class of the value (its column's, for result values).
    DataType get_data_type() const { return m_data_type; }

protected:
    explicit ValueObject(DataType type) : m_data_type(type) {}

private:
    DataType m_data_type;
};

using ValuePtr = std::shared_ptr<ValueObject>;

/// The SQL NULL, typed by its column.
class ValueNull final : public ValueObject {
    DIZEZIDA_OBJECT(ValueNull)
public:
    explicit ValueNull(DataType type = DataType::NULL_TYPE) : ValueObject(type) {}
    static std::shared_ptr<ValueNull> create(DataType type = DataType::NULL_TYPE) {
        return std::make_shared<ValueNull>(type);
    }
    /// "" (callers choose their own text for NULL).
    std::string to_string() const override { return {}; }
    /// A boxed value of type "GNull" holding nothing.
    Core::Value to_value() const override;
    bool is_null() const override { return true; }
};

} // namespace Dizezida::Zozuvoru::Contracts

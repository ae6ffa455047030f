// Binary data (bytea), held as its bytes.
#pragma once

#include "provider/Contracts/ValueObject.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

class ValueBinary final : public ValueObject {
    DIZEZIDA_OBJECT(ValueBinary)
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit ValueBinary(Bytes bytes = {})
        : ValueObject(DataType::BINARY), m_bytes(std::move(bytes)) {}
    static std::shared_ptr<ValueBinary> create(std::span<const std::uint8_t> bytes) {
        return std::make_shared<ValueBinary>(Bytes(bytes.begin(), bytes.end()));
    }
    /// The bytes, zero bytes included.
    const Bytes& to_bytes() const { return m_bytes; }
    /// The server's hexadecimal form: "\x" and two lower-case digits a byte.
    std::string to_string() const override;
    /// A boxed value of type "GBinary" holding a copy of the bytes (a Bytes).
    Core::Value to_value() const override;

private:
    Bytes m_bytes;
};

} // namespace Dizezida::Zozuvoru::Contracts

// One row of values with its change mark.
//
// Ownership: the row shares its values. Not synchronised: one thread at a time.
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/DataVersion.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <memory>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

class RowModel : public Core::Object {
    DIZEZIDA_OBJECT(RowModel)
public:
    RowModel() = default;
    explicit RowModel(std::vector<ValuePtr> values) : m_values(std::move(values)) {}
    static std::shared_ptr<RowModel> create() { return std::make_shared<RowModel>(); }

    const std::vector<ValuePtr>& get_values() const { return m_values; }
    std::size_t size() const { return m_values.size(); }
    /// The value at a position; nullptr (and a critical message) past the end.
    ValuePtr get_value_at(std::size_t index) const;
    /// Replaces the value at a position, growing the row with NULLs when the
    /// position is past its end. A null value is refused ("value != NULL").
    void set_value_at(std::size_t index, ValuePtr value);
    /// Appends a value; a null value is refused ("value != NULL").
    void append_value(ValuePtr value);
    DataVersion get_version() const { return m_version; }
    void set_version(DataVersion version) { assign_and_notify(m_version, version, "version"); }

private:
    std::vector<ValuePtr> m_values;
    DataVersion m_version = DataVersion::NONE;
};

using RowPtr = std::shared_ptr<RowModel>;

} // namespace Dizezida::Zozuvoru::Contracts

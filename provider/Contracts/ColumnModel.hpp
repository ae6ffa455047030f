// One column of a result table: its name, display title and type.
//
// Not synchronised: one thread at a time.
#pragma once

#include "core/Object.hpp"
#include "provider/Contracts/DataType.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace Dizezida::Zozuvoru::Contracts {

class ColumnModel : public Core::Object {
    DIZEZIDA_OBJECT(ColumnModel)
public:
    ColumnModel() = default;
    ColumnModel(std::string name, DataType type, std::uint32_t type_oid = 0,
                std::string native_type = {})
        : m_name(std::move(name)), m_data_type(type), m_type_oid(type_oid),
          m_native_type(std::move(native_type)) {}

    const std::string& get_name() const { return m_name; }
    void set_name(std::string name) { assign_and_notify(m_name, std::move(name), "name"); }
    /// The header to show; the name until a title is set.
    const std::string& get_title() const { return m_title.empty() ? m_name : m_title; }
    void set_title(std::string title) { assign_and_notify(m_title, std::move(title), "title"); }
    DataType get_data_type() const { return m_data_type; }
    void set_data_type(DataType type) { assign_and_notify(m_data_type, type, "data-type"); }
    /// The server's type identifier (0 for columns made in memory).
    std::uint32_t get_type_oid() const { return m_type_oid; }
    /// The server's type name ("int4", "timestamptz"); "" when not known.
    const std::string& get_native_type() const { return m_native_type; }

private:
    std::string m_name;
    std::string m_title;
    DataType m_data_type = DataType::UNKNOWN;
    std::uint32_t m_type_oid = 0;
    std::string m_native_type;
};

using ColumnPtr = std::shared_ptr<ColumnModel>;

} // namespace Dizezida::Zozuvoru::Contracts

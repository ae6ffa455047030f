// A set of result tables, such as the data of every table of a schema.
//
// Ownership: shares its tables. Not synchronised: one thread at a time.
#pragma once

#include "provider/Contracts/TableModel.hpp"

namespace Dizezida::Zozuvoru::Contracts {

/// A list of tables (for example one per table of a schema).
class DataSetModel : public Core::Object {
    DIZEZIDA_OBJECT(DataSetModel)
public:
    static std::shared_ptr<DataSetModel> create() { return std::make_shared<DataSetModel>(); }
    const std::string& get_name() const { return m_name; }
    void set_name(std::string name) { assign_and_notify(m_name, std::move(name), "name"); }
    const std::vector<TablePtr>& get_tables() const { return m_tables; }
    /// Adds a table at the end; a null table is refused ("table != NULL").
    void add_table(TablePtr table);

private:
    std::string m_name;
    std::vector<TablePtr> m_tables;
};

} // namespace Dizezida::Zozuvoru::Contracts

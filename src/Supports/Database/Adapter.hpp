// The generic catalog adapter: every filler checks its argument and leaves
// the object as it is; `fill_data_set` walks the set's tables through the
// dialect's `fill_data_table`. Dialect adapters derive from it.
//
// Holds its connection without owning it (the connection owns its adapter).
// No lock; runs on the caller's thread.
#pragma once

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IConnection.hpp"

namespace Dizezida::Dovodarud::Supports::Database {

class Adapter : public Core::Object, public Contracts::Database::IAdaptable {
    DIZEZIDA_OBJECT(Adapter)
public:
    Adapter() = default;
    explicit Adapter(const Contracts::Database::ConnectionPtr& connection)
        : m_connection(connection) {}
    /// An adapter for a connection; nullptr (and "connection != NULL") for none.
    static std::shared_ptr<Adapter> create(const Contracts::Database::ConnectionPtr& connection);

    Contracts::Database::ConnectionPtr get_connection() const { return m_connection.lock(); }

    Done fill_meta_database(const Ptr<MetaModel::MetaDatabase>& database,
                            std::int32_t full) override;
    Done fill_meta_schema(const Ptr<MetaModel::MetaSchema>& schema, std::int32_t full) override;
    Done fill_meta_table(const Ptr<MetaModel::MetaTable>& table, std::int32_t full) override;
    Done fill_meta_view(const Ptr<MetaModel::MetaView>& view) override;
    Done fill_meta_index(const Ptr<MetaModel::MetaIndex>& index) override;
    Done fill_meta_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) override;
    Done fill_meta_function(const Ptr<MetaModel::MetaFunction>& function) override;
    Done fill_meta_user(const Ptr<MetaModel::MetaUser>& user) override;
    Done fill_meta_role(const Ptr<MetaModel::MetaRole>& role) override;
    Done fill_meta_event(const Ptr<MetaModel::MetaEvent>& event) override;
    Done fill_meta_object(const Ptr<MetaModel::MetaObject>& meta_object) override;
    Done fill_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& table) override;
    Done fill_data_set(const Ptr<Zozuvoru::Contracts::DataSetModel>& dataset) override;
    Done load_privileges(const Ptr<std::vector<std::string>>& matrix) override;

private:
    std::weak_ptr<Contracts::Database::IConnection> m_connection;
};

} // namespace Dizezida::Dovodarud::Supports::Database

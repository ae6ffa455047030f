#include "Supports/Database/Adapter.hpp"

#include "core/Precondition.hpp"
#include "provider/Contracts/DataSetModel.hpp"

namespace Dizezida::Dovodarud::Supports::Database {

using Done = Adapter::Done;

const Core::TypeInfo& Adapter::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Adapter, Core::Object>(
        "DizezidaDovodarudSupportsDatabaseAdapter", {},
        {&Contracts::Database::IAdaptable::static_type()});
    return info;
}

std::shared_ptr<Adapter> Adapter::create(const Contracts::Database::ConnectionPtr& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<Adapter>(connection);
}

// The generic fillers only check their object: a dialect that does not
// override one leaves the object as it was, without error.
Done Adapter::fill_meta_database(const Ptr<MetaModel::MetaDatabase>& database, std::int32_t) {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, {});
    return {};
}
Done Adapter::fill_meta_schema(const Ptr<MetaModel::MetaSchema>& schema, std::int32_t) {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema, {});
    return {};
}
Done Adapter::fill_meta_table(const Ptr<MetaModel::MetaTable>& table, std::int32_t) {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return {};
}
Done Adapter::fill_meta_view(const Ptr<MetaModel::MetaView>& view) {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, {});
    return {};
}
Done Adapter::fill_meta_index(const Ptr<MetaModel::MetaIndex>& index) {
    DIZEZIDA_RETURN_VAL_IF_NULL(index, {});
    return {};
}
Done Adapter::fill_meta_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) {
    DIZEZIDA_RETURN_VAL_IF_NULL(trigger, {});
    return {};
}
Done Adapter::fill_meta_function(const Ptr<MetaModel::MetaFunction>& function) {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, {});
    return {};
}
Done Adapter::fill_meta_user(const Ptr<MetaModel::MetaUser>& user) {
    DIZEZIDA_RETURN_VAL_IF_NULL(user, {});
    return {};
}
Done Adapter::fill_meta_role(const Ptr<MetaModel::MetaRole>& role) {
    DIZEZIDA_RETURN_VAL_IF_NULL(role, {});
    return {};
}
Done Adapter::fill_meta_event(const Ptr<MetaModel::MetaEvent>& event) {
    DIZEZIDA_RETURN_VAL_IF_NULL(event, {});
    return {};
}
Done Adapter::fill_meta_object(const Ptr<MetaModel::MetaObject>& meta_object) {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, {});
    return {};
}
Done Adapter::fill_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& table) {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return {};
}
Done Adapter::load_privileges(const Ptr<std::vector<std::string>>& matrix) {
    DIZEZIDA_RETURN_VAL_IF_NULL(matrix, {});
    return {};
}

Done Adapter::fill_data_set(const Ptr<Zozuvoru::Contracts::DataSetModel>& dataset) {
    DIZEZIDA_RETURN_VAL_IF_NULL(dataset, {});
    for (const auto& table : dataset->get_tables())
        DIZEZIDA_TRY(fill_data_table(table));
    return {};
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::Adapter)

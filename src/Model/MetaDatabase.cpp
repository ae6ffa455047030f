#include "Model/MetaDatabase.hpp"

#include "Model/MetaSchema.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaDatabase::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaDatabase, MetaObject>(
        "DizezidaDovodarudMetaModelMetaDatabase",
        {
            prop("schemas", &MetaDatabase::m_schemas),
        });
    return info;
}

std::shared_ptr<MetaDatabase> MetaDatabase::with_name(std::string name) {
    return make_with_names<MetaDatabase>(name, name, name);
}

std::shared_ptr<MetaSchema> MetaDatabase::append(std::string_view schema_name) {
    for (const auto& schema : m_schemas)
        if (schema && schema->get_name() == schema_name)
            return schema;
    auto schema = MetaSchema::with_names(get_name(), std::string(schema_name));
    m_schemas.push_back(schema);
    return schema;
}

std::string MetaDatabase::fullname(bool with_database, bool with_kind) const {
    return decorate_fullname(with_kind, (with_database ? get_name() + "." : std::string()) + ".");
}

void MetaDatabase::reset() {
    m_schemas.clear();
    MetaObject::reset();
}

Core::ObjectPtr MetaDatabase::clone() const {
    auto copy = std::static_pointer_cast<MetaDatabase>(MetaObject::clone());
    if (copy)
        clone_elements(m_schemas, copy->m_schemas);
    return copy;
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaDatabase)

#include "Model/MetaClassify.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaClassify::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaClassify, MetaObject>(
        "DizezidaDovodarudMetaModelMetaClassify",
        {
            prop("children", &MetaClassify::m_children),
        });
    return info;
}

MetaClassify::MetaClassify(DbObject kind, std::string database, std::string schema,
                           std::string label)
    : m_kind(kind) {
    set_database(std::move(database));
    set_schema(std::move(schema));
    set_name(std::move(label));
}

std::shared_ptr<MetaClassify> MetaClassify::with_model(DbObject kind, std::string database,
                                                       std::string schema, std::string label,
                                                       MetaObjectList children) {
    auto node = std::make_shared<MetaClassify>(kind, std::move(database), std::move(schema),
                                               std::move(label));
    node->set_children(std::move(children));
    return node;
}

std::shared_ptr<MetaClassify> MetaClassify::with_array(DbObject kind, std::string database,
                                                       std::string schema, std::string label,
                                                       const MetaObjectList& items) {
    return with_model(kind, std::move(database), std::move(schema), std::move(label), items);
}

Core::ObjectPtr MetaClassify::clone() const {
    auto copy = std::static_pointer_cast<MetaClassify>(MetaObject::clone());
    if (copy)
        copy->m_kind = m_kind;
    return copy;
}

JsonElements MetaClassify::json_elements(const Core::Property& property) const {
    // Children are of any class: keep the class with each of them.
    return property.name == "children" ? JsonElements::Tagged : MetaObject::json_elements(property);
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaClassify)

#include "Model/MetaTable.hpp"

#include "Model/Constraints/MetaCheck.hpp"
#include "Model/Constraints/MetaExclude.hpp"
#include "Model/Constraints/MetaForeignKey.hpp"
#include "Model/Constraints/MetaUnique.hpp"
#include "Model/MetaIndex.hpp"
#include "Model/MetaRule.hpp"
#include "Model/MetaTrigger.hpp"

#include "core/Properties.hpp"

#include <algorithm>

namespace Dizezida::Dovodarud::MetaModel {

const Core::TypeInfo& MetaTable::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<MetaTable, MetaObject>(
        "DizezidaDovodarudMetaModelMetaTable",
        {
            prop("constraints", &MetaTable::m_constraints),
            prop("columns", &MetaTable::m_columns),
            prop("indexes", &MetaTable::m_indexes),
            prop("rules", &MetaTable::m_rules),
            prop("triggers", &MetaTable::m_triggers),
            prop("options", &MetaTable::m_options),
        });
    return info;
}

std::shared_ptr<MetaTable> MetaTable::with_names(std::string database, std::string schema,
                                                 std::string name) {
    return make_with_names<MetaTable>(std::move(database), std::move(schema), std::move(name));
}

std::shared_ptr<MetaColumn> MetaTable::get_column(std::string_view name) const {
    for (const auto& column : m_columns)
        if (column && column->get_name() == name)
            return column;
    return nullptr;
}

std::shared_ptr<MetaColumn> MetaTable::new_column(std::string name, DataType data_type) {
    auto column = MetaColumn::with_type(std::move(name), data_type, "");
    m_columns.push_back(column);
    return column;
}

namespace {

template <class Kind> void remove_constraints_of(MetaConstraintList& constraints) {
    std::erase_if(constraints, [](const std::shared_ptr<MetaConstraint>& constraint) {
        return dynamic_cast<const Kind*>(constraint.get()) != nullptr;
    });
}

} // namespace

void MetaTable::reset_partial(DbObject kind) {
    switch (kind) {
    case DbObject::CHECK: remove_constraints_of<MetaCheck>(m_constraints); break;
    case DbObject::COLUMN: m_columns.clear(); break;
    case DbObject::EXCLUDE: remove_constraints_of<MetaExclude>(m_constraints); break;
    case DbObject::FOREIGN_KEY: remove_constraints_of<MetaForeignKey>(m_constraints); break;
    case DbObject::UNIQUE: remove_constraints_of<MetaUnique>(m_constraints); break;
    default: break;
    }
}

void MetaTable::reset() {
    m_columns.clear();
    m_indexes.clear();
    m_triggers.clear();
    m_constraints.clear();
    m_options.clear();
    m_rules.clear();
    MetaObject::reset();
}

Core::ObjectPtr MetaTable::clone() const {
    auto copy = std::static_pointer_cast<MetaTable>(MetaObject::clone());
    if (!copy)
        return nullptr;
    clone_elements(m_constraints, copy->m_constraints);
    clone_elements(m_columns, copy->m_columns);
    clone_elements(m_indexes, copy->m_indexes);
    clone_elements(m_rules, copy->m_rules);
    clone_elements(m_triggers, copy->m_triggers);
    return copy;
}

JsonElements MetaTable::json_elements(const Core::Property& property) const {
    return property.name == "constraints" ? JsonElements::Tagged
                                          : MetaObject::json_elements(property);
}

} // namespace Dizezida::Dovodarud::MetaModel

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::MetaModel::MetaTable)

#include "Transform/StructureSynchronizer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlStatements.hpp"
#include "Transform/SchemaMove.hpp"
#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Transform {

using namespace MetaModel;

Core::Result<void> StructureSynchronizer::load() {
    DIZEZIDA_RETURN_VAL_IF_NULL(m_source, Core::fail(Core::Error{"Transform", 0, "no source connection"}));
    DIZEZIDA_RETURN_VAL_IF_NULL(m_target, Core::fail(Core::Error{"Transform", 0, "no target connection"}));
    m_schema_source = MetaSchema::with_names(m_plan.source_database, m_plan.source_schema);
    m_schema_target = MetaSchema::with_names(m_plan.target_database, m_plan.target_schema);
    DIZEZIDA_TRY(m_source->adapter()->fill_meta_schema(m_schema_source, 1));
    DIZEZIDA_TRY(m_target->adapter()->fill_meta_schema(m_schema_target, 1));
    return {};
}

Core::Result<void> StructureSynchronizer::initialize() {
    DIZEZIDA_TRY(refuse_same_schema());
    return load();
}

std::shared_ptr<MetaSchema> StructureSynchronizer::compare() const {
    if (!m_schema_source || !m_schema_target)
        return nullptr;
    const auto moved = moved_schema(*m_schema_source, m_schema_target->get_database(),
                                    m_schema_target->get_name(), false);
    std::shared_ptr<MetaSchema> difference;
    if (m_patcher.diff_meta_schema(moved, m_schema_target, false, difference) !=
            DataVersion::CHANGE ||
        !difference)
        return nullptr;
    // Objects that do not take part stay as they are.
    bool any = false;
    const auto filter = [&](const auto& list) {
        for (const auto& object : list) {
            if (!m_plan.takes_part(Zozuvoru::Contracts::to_string(object->character()),
                                   object->get_name()))
                object->set_version(DataVersion::EQUAL);
            else if (object->get_version() != DataVersion::EQUAL)
                any = true;
        }
    };
    filter(difference->get_types());
    filter(difference->get_sequences());
    filter(difference->get_functions());
    filter(difference->get_procedures());
    filter(difference->get_events());
    filter(difference->get_tables());
    filter(difference->get_views());
    filter(difference->get_miews());
    return any ? difference : nullptr;
}

Core::Result<Core::ObjectPtr> StructureSynchronizer::preview() {
    auto difference = compare();
    DIZEZIDA_TRY(load());
    return Core::ObjectPtr(difference);
}

Core::Result<std::vector<std::string>> StructureSynchronizer::generate() {
    DIZEZIDA_TRY(load());
    const auto difference = compare();
    std::vector<std::string> statements;
    if (!difference)
        return statements;
    auto database = MetaDatabase::with_name(m_schema_target->get_database());
    database->set_version(DataVersion::CHANGE);
    database->get_schemas().push_back(difference);
    const std::string script = m_target->builder()->patch_script(database);
    for (auto& statement : Supports::Database::split_statements(script))
        statements.push_back(std::move(statement.text));
    return statements;
}

} // namespace Dizezida::Dovodarud::Transform

// Brings one schema of the target server into line with a schema of the
// source server: the object definitions (types, sequences, routines, tables,
// views), by the alter scripts of the target's builder.
//
// Plan (SyncPlan.hpp): both schemas, continue-on-error, and the objects
// that take part, by kind as the provider spells it ("table", "view",
// "function", ...) and name; the others are left as they are.
//
// `generate` compares the source schema moved to the target's names (so
// references and view bodies name the target schema) and gives the
// statements of one patch script, in an order that runs.
#pragma once

#include "Transform/Patcher.hpp"
#include "Transform/Synchronizer.hpp"

namespace Dizezida::Dovodarud::Transform {

class StructureSynchronizer : public Synchronizer {
public:
    using Synchronizer::Synchronizer;

    [[nodiscard]] Core::Result<void> initialize() override;
    /// The difference schema of the schemas as loaded (nullptr when equal);
    /// both are read again afterwards.
    [[nodiscard]] Core::Result<Core::ObjectPtr> preview() override;
    [[nodiscard]] Core::Result<std::vector<std::string>> generate() override;

    std::shared_ptr<MetaModel::MetaSchema> get_schema_source() const { return m_schema_source; }
    std::shared_ptr<MetaModel::MetaSchema> get_schema_target() const { return m_schema_target; }

private:
    [[nodiscard]] Core::Result<void> load();
    /// The difference schema, only the objects that take part marked.
    std::shared_ptr<MetaModel::MetaSchema> compare() const;

    Patcher m_patcher;
    std::shared_ptr<MetaModel::MetaSchema> m_schema_source;
    std::shared_ptr<MetaModel::MetaSchema> m_schema_target;
};

} // namespace Dizezida::Dovodarud::Transform

// A table of the meta model with its columns, constraints, indexes, rules,
// triggers and storage options. Collections are owned by the table and keep
// catalog order; their elements are shared.
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"
#include "Model/MetaColumn.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaIndex;
class MetaRule;
class MetaTrigger;

class MetaTable : public MetaObject {
    DIZEZIDA_OBJECT(MetaTable)
public:
    static std::shared_ptr<MetaTable> with_names(std::string database, std::string schema,
                                                 std::string name);

    DIZEZIDA_META_COLLECTION(MetaConstraintList, constraints, "constraints") ///< any subclass
    DIZEZIDA_META_COLLECTION(MetaColumnList, columns, "columns") ///< in ordinal order
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaIndex>>, indexes, "indexes")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaRule>>, rules, "rules")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaTrigger>>, triggers, "triggers")
    DIZEZIDA_META_COLLECTION(Core::StringMap, options, "options") ///< storage options

    /// The first column named exactly `name`, or nullptr.
    std::shared_ptr<MetaColumn> get_column(std::string_view name) const;
    /// A new column (`name`, `data_type`, raw type "") appended to "columns".
    std::shared_ptr<MetaColumn> new_column(std::string name, DataType data_type);
    /// Empties one part: the checks (4), the columns (8), the exclusions (16),
    /// the foreign keys (17) or the unique constraints (43); other kinds do
    /// nothing. The remaining constraints keep their order.
    void reset_partial(DbObject kind);

    DbObject character() const override { return DbObject::TABLE; }
    /// Empties every collection, then the base reset.
    void reset() override;
    /// The base clone (options included) plus a clone of every constraint,
    /// column, index, rule and trigger, each list in order.
    Core::ObjectPtr clone() const override;
    /// Constraints carry their class in the JSON form.
    JsonElements json_elements(const Core::Property& property) const override;
};

} // namespace Dizezida::Dovodarud::MetaModel

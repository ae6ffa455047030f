// An exclusion constraint.
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaExclude : public MetaConstraint {
    DIZEZIDA_OBJECT(MetaExclude)
public:
    static std::shared_ptr<MetaExclude> with_name(std::string name);

    DIZEZIDA_META_PROPERTY(std::string, index_method, "index-method")
    DIZEZIDA_META_PROPERTY(std::string, table_space, "table-space")
    DIZEZIDA_META_PROPERTY(std::string, with, "with")
    DIZEZIDA_META_PROPERTY(std::string, include, "include")
    DIZEZIDA_META_PROPERTY(std::string, where, "where")
    DIZEZIDA_META_PROPERTY(std::string, deferrable, "deferrable")
    DIZEZIDA_META_PROPERTY(std::string, elements, "elements") ///< exclusion elements text

    DbObject character() const override { return DbObject::EXCLUDE; }
};

} // namespace Dizezida::Dovodarud::MetaModel

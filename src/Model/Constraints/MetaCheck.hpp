// A check constraint. A new check is not inherited ("no-inherit" true).
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaCheck : public MetaConstraint {
    DIZEZIDA_OBJECT(MetaCheck)
public:
    /// A check with "name" and the expression "check".
    static std::shared_ptr<MetaCheck> with_name(std::string name, std::string check);

    DIZEZIDA_META_PROPERTY(bool, enforced, "enforced")
    DIZEZIDA_META_PROPERTY(bool, no_inherit, "no-inherit", true)
    DIZEZIDA_META_PROPERTY(std::string, check, "check") ///< the check expression
    DIZEZIDA_META_PROPERTY(std::string, deferrable, "deferrable")

    DbObject character() const override { return DbObject::CHECK; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// The base of a table's constraints. A table's list of constraints holds
// objects of the subclasses; the JSON form keeps each element's class.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaConstraint : public MetaObject {
    DIZEZIDA_OBJECT(MetaConstraint)
public:
    /// A constraint with "name".
    static std::shared_ptr<MetaConstraint> with_names(std::string name);
    DbObject character() const override { return DbObject::CONSTRAINT; }
};

using MetaConstraintList = std::vector<std::shared_ptr<MetaConstraint>>;

} // namespace Dizezida::Dovodarud::MetaModel

// A primary key constraint. The model keeps a table's primary key on its
// columns ("is-primary-key", "primary-ordinal"); this class exists so that a
// constraint list can name the kind.
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class PrimaryKey : public MetaConstraint {
    DIZEZIDA_OBJECT(PrimaryKey)
public:
    static std::shared_ptr<PrimaryKey> with_name(std::string name);
    DbObject character() const override { return DbObject::PRIMARY_KEY; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// A role of the server.
#pragma once

#include "Model/MetaRelation.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaRole : public MetaRelation {
    DIZEZIDA_OBJECT(MetaRole)
public:
    static std::shared_ptr<MetaRole> with_names(std::string database, std::string schema,
                                                std::string name, std::string scope);
    DbObject character() const override { return DbObject::ROLE; }
};

} // namespace Dizezida::Dovodarud::MetaModel

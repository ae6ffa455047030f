// A user (login role) of the server.
#pragma once

#include "Model/MetaRelation.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaUser : public MetaRelation {
    DIZEZIDA_OBJECT(MetaUser)
public:
    static std::shared_ptr<MetaUser> with_names(std::string database, std::string schema,
                                                std::string name, std::string scope);
    DIZEZIDA_META_PROPERTY(std::string, default_schema, "default-schema")
    DbObject character() const override { return DbObject::USER; }
};

} // namespace Dizezida::Dovodarud::MetaModel

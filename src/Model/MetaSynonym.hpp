// A synonym: another name for an object.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaSynonym : public MetaObject {
    DIZEZIDA_OBJECT(MetaSynonym)
public:
    /// A synonym with "schema" and "name".
    static std::shared_ptr<MetaSynonym> with_names(std::string schema, std::string name);
    DIZEZIDA_META_PROPERTY(std::string, target, "target")
    DbObject character() const override { return DbObject::SYNONYM; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// A user-defined type of a schema: an enum, a composite, a range or a
// domain, with the definition that follows AS in its create statement
// ("ENUM ('a', 'b')", "(x integer, y text)", "RANGE (SUBTYPE = ...)", or a
// domain's "integer DEFAULT 0 NOT NULL CONSTRAINT ... CHECK (...)").
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaType : public MetaObject {
    DIZEZIDA_OBJECT(MetaType)
public:
    static std::shared_ptr<MetaType> with_names(std::string database, std::string schema,
                                                std::string name);

    DIZEZIDA_META_PROPERTY(std::string, kind, "kind") ///< ENUM, COMPOSITE, RANGE or DOMAIN
    DIZEZIDA_META_PROPERTY(std::string, definition, "definition")

    DbObject character() const override {
        return get_kind() == "DOMAIN" ? DbObject::DOMAIN : DbObject::TYPE;
    }
};

} // namespace Dizezida::Dovodarud::MetaModel

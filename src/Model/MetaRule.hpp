// A rewrite rule of a table. "definition" is the rule's whole create
// statement as the server prints it (its table qualified); the other
// properties are its parts, for reading.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaRule : public MetaObject {
    DIZEZIDA_OBJECT(MetaRule)
public:
    static std::shared_ptr<MetaRule> with_name(std::string name);

    DIZEZIDA_META_PROPERTY(std::string, commands, "commands")
    DIZEZIDA_META_PROPERTY(std::string, action, "action")
    DIZEZIDA_META_PROPERTY(std::string, event, "event")
    DIZEZIDA_META_PROPERTY(std::string, where, "where")
    DIZEZIDA_META_PROPERTY(std::string, apply, "apply")
    DIZEZIDA_META_PROPERTY(bool, enable, "enable")
    DIZEZIDA_META_PROPERTY(std::string, definition, "definition")

    DbObject character() const override { return DbObject::RULE; }
};

} // namespace Dizezida::Dovodarud::MetaModel

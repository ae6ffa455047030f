// A scheduled event.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaEvent : public MetaObject {
    DIZEZIDA_OBJECT(MetaEvent)
public:
    static std::shared_ptr<MetaEvent> with_names(std::string database, std::string schema,
                                                 std::string name);

    DIZEZIDA_META_PROPERTY(std::string, kind, "kind")
    DIZEZIDA_META_PROPERTY(std::string, body, "body")
    DIZEZIDA_META_PROPERTY(std::string, definer, "definer")
    DIZEZIDA_META_PROPERTY(std::string, state, "state")
    DIZEZIDA_META_PROPERTY(std::string, schedule, "schedule")
    DIZEZIDA_META_PROPERTY(std::string, completion, "completion")

    DbObject character() const override { return DbObject::EVENT; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// A trigger on a table or view. A new trigger fires for each row.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaTrigger : public MetaObject {
    DIZEZIDA_OBJECT(MetaTrigger)
public:
    static std::shared_ptr<MetaTrigger> with_names(std::string database, std::string schema,
                                                   std::string name);
    /// A trigger with "name" and "body".
    static std::shared_ptr<MetaTrigger> with_body(std::string name, std::string body);

    DIZEZIDA_META_PROPERTY(std::string, kind, "kind")
    DIZEZIDA_META_PROPERTY(std::string, target, "target") ///< the table or view it is on
    DIZEZIDA_META_PROPERTY(std::string, body, "body")     ///< definition text
    DIZEZIDA_META_PROPERTY(std::string, definer, "definer")
    DIZEZIDA_META_PROPERTY(std::string, timing, "timing") ///< BEFORE, AFTER or INSTEAD OF
    DIZEZIDA_META_PROPERTY(std::string, event, "event")   ///< firing events text
    DIZEZIDA_META_PROPERTY(std::string, when, "when")
    DIZEZIDA_META_PROPERTY(std::string, order, "order")
    DIZEZIDA_META_PROPERTY(std::string, trigger, "trigger")
    DIZEZIDA_META_PROPERTY(std::string, columns, "columns") ///< columns of an UPDATE OF event
    DIZEZIDA_META_PROPERTY(std::string, deferrable, "deferrable")
    DIZEZIDA_META_PROPERTY(std::string, deferred, "deferred")
    DIZEZIDA_META_PROPERTY(std::string, function, "function") ///< the called function
    DIZEZIDA_META_PROPERTY(std::string, arguments, "arguments")
    DIZEZIDA_META_PROPERTY(std::string, for_each, "for-each", "ROW") ///< ROW or STATEMENT
    DIZEZIDA_META_PROPERTY(std::string, refer_table, "refer-table")
    DIZEZIDA_META_PROPERTY(bool, constraint, "constraint") ///< a constraint trigger
    DIZEZIDA_META_PROPERTY(std::string, apply, "apply")    ///< enabling mode text
    DIZEZIDA_META_PROPERTY(bool, enable, "enable")

    DbObject character() const override { return DbObject::TRIGGER; }
};

} // namespace Dizezida::Dovodarud::MetaModel

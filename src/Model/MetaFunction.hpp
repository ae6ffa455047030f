// A function or a procedure ("is-function" tells which).
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaFunction : public MetaObject {
    DIZEZIDA_OBJECT(MetaFunction)
public:
    static std::shared_ptr<MetaFunction> with_names(std::string database, std::string schema,
                                                    std::string name);

    DIZEZIDA_META_PROPERTY(bool, is_function, "is-function")
    DIZEZIDA_META_PROPERTY(std::string, return_type, "return-type")
    DIZEZIDA_META_PROPERTY(std::string, body, "body") ///< body or full definition text
    DIZEZIDA_META_COLLECTION(Core::StringList, parameters, "parameters") ///< one text each, in order

    /// FUNCTION (18) when "is-function" is true, PROCEDURE (28) otherwise.
    DbObject character() const override {
        return m_is_function ? DbObject::FUNCTION : DbObject::PROCEDURE;
    }
};

} // namespace Dizezida::Dovodarud::MetaModel

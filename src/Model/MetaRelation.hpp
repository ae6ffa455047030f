// The common base of the server's accounts: roles and users.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaRelation : public MetaObject {
    DIZEZIDA_OBJECT(MetaRelation)
public:
    DIZEZIDA_META_COLLECTION(Core::StringMap, relations, "relations")   ///< role memberships
    DIZEZIDA_META_COLLECTION(Core::StringMap, privileges, "privileges") ///< privileges on objects
    DIZEZIDA_META_PROPERTY(std::string, scope, "scope")
    DIZEZIDA_META_PROPERTY(std::string, password, "password")

protected:
    /// A new account T with its database, schema, name and scope.
    template <class T>
    static std::shared_ptr<T> make_account(std::string database, std::string schema,
                                           std::string name, std::string scope) {
        auto account = make_with_names<T>(std::move(database), std::move(schema), std::move(name));
        account->set_scope(std::move(scope));
        return account;
    }
};

} // namespace Dizezida::Dovodarud::MetaModel

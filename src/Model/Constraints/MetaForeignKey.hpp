// A foreign key constraint. Column lists, actions and the deferral clause are
// texts as the catalog reader forms them.
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaForeignKey : public MetaConstraint {
    DIZEZIDA_OBJECT(MetaForeignKey)
public:
    static std::shared_ptr<MetaForeignKey> with_name(std::string name);
    /// A foreign key with "name", "refer-schema" and "refer-table".
    static std::shared_ptr<MetaForeignKey> with_refer(std::string name, std::string refer_schema,
                                                      std::string refer_table);

    DIZEZIDA_META_PROPERTY(std::string, refer_database, "refer-database")
    DIZEZIDA_META_PROPERTY(std::string, refer_schema, "refer-schema")
    DIZEZIDA_META_PROPERTY(std::string, refer_table, "refer-table")
    DIZEZIDA_META_PROPERTY(std::string, local_columns, "local-columns")
    DIZEZIDA_META_PROPERTY(std::string, refer_columns, "refer-columns")
    DIZEZIDA_META_PROPERTY(std::string, match_method, "match-method")
    DIZEZIDA_META_PROPERTY(std::string, delete_action, "delete-action")
    DIZEZIDA_META_PROPERTY(std::string, update_action, "update-action")
    DIZEZIDA_META_PROPERTY(std::string, deferrable, "deferrable")

    DbObject character() const override { return DbObject::FOREIGN_KEY; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// A unique constraint. Its texts are formed by the catalog reader and written
// into scripts as they stand.
#pragma once

#include "Model/Constraints/MetaConstraint.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaUnique : public MetaConstraint {
    DIZEZIDA_OBJECT(MetaUnique)
public:
    static std::shared_ptr<MetaUnique> with_name(std::string name);

    DIZEZIDA_META_PROPERTY(std::string, columns, "columns") ///< column list text
    DIZEZIDA_META_PROPERTY(std::string, conflict, "conflict")
    DIZEZIDA_META_PROPERTY(bool, is_primary_key, "is-primary-key")
    DIZEZIDA_META_PROPERTY(std::string, table_space, "table-space")
    DIZEZIDA_META_PROPERTY(std::string, with, "with")
    DIZEZIDA_META_PROPERTY(std::string, include, "include")
    DIZEZIDA_META_PROPERTY(std::string, deferrable, "deferrable") ///< deferral clause text

    DbObject character() const override { return DbObject::UNIQUE; }
};

} // namespace Dizezida::Dovodarud::MetaModel

// A sequence of a schema with its parameters and, for one a column owns
// (serial columns), that column.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaSequence : public MetaObject {
    DIZEZIDA_OBJECT(MetaSequence)
public:
    static std::shared_ptr<MetaSequence> with_names(std::string database, std::string schema,
                                                    std::string name);

    DIZEZIDA_META_PROPERTY(std::string, data_type, "data-type") ///< smallint, integer or bigint
    DIZEZIDA_META_PROPERTY(std::int64_t, start, "start", 1)
    DIZEZIDA_META_PROPERTY(std::int64_t, increment, "increment", 1)
    DIZEZIDA_META_PROPERTY(std::int64_t, minimum, "minimum", 1)
    DIZEZIDA_META_PROPERTY(std::int64_t, maximum, "maximum")
    DIZEZIDA_META_PROPERTY(std::int64_t, cache, "cache", 1)
    DIZEZIDA_META_PROPERTY(bool, cycle, "cycle")
    DIZEZIDA_META_PROPERTY(std::string, owned_schema, "owned-schema") ///< the owning column's
    DIZEZIDA_META_PROPERTY(std::string, owned_table, "owned-table")
    DIZEZIDA_META_PROPERTY(std::string, owned_column, "owned-column")

    DbObject character() const override { return DbObject::SEQUENCE; }
};

} // namespace Dizezida::Dovodarud::MetaModel

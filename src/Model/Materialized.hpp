// A materialized view. A new one is created with data ("with-data" true).
#pragma once

#include "Model/MetaView.hpp"

#include <vector>

namespace Dizezida::Dovodarud::MetaModel {

class MetaIndex;

class Materialized : public MetaView {
    DIZEZIDA_OBJECT(Materialized)
public:
    static std::shared_ptr<Materialized> with_names(std::string database, std::string schema,
                                                    std::string name);

    DbObject character() const override { return DbObject::MATERIALIZED_VIEW; }

    DIZEZIDA_META_PROPERTY(std::string, table_space, "table-space")
    DIZEZIDA_META_PROPERTY(std::string, definer, "definer")
    DIZEZIDA_META_PROPERTY(std::string, fill_factor, "fill-factor") ///< the number as text
    DIZEZIDA_META_PROPERTY(bool, with_data, "with-data", true)
    /// Indexes on the view's stored rows.
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaIndex>>, indexes, "indexes")
};

} // namespace Dizezida::Dovodarud::MetaModel

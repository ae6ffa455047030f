// An index of a table or materialized view.
#pragma once

#include "Model/MetaObject.hpp"

#include <cstdint>

namespace Dizezida::Dovodarud::MetaModel {

class MetaIndex : public MetaObject {
    DIZEZIDA_OBJECT(MetaIndex)
public:
    /// An index with "database", "schema", "entity" (the indexed table) and "name".
    static std::shared_ptr<MetaIndex> with_names(std::string database, std::string schema,
                                                 std::string entity, std::string name);

    DIZEZIDA_META_PROPERTY(std::string, entity, "entity") ///< the indexed table
    DIZEZIDA_META_PROPERTY(std::string, class, "class")   ///< operator class
    DIZEZIDA_META_PROPERTY(std::string, method, "method") ///< access method
    DIZEZIDA_META_PROPERTY(std::string, parser, "parser")
    DIZEZIDA_META_PROPERTY(std::string, algorithm, "algorithm")
    DIZEZIDA_META_PROPERTY(std::string, lock, "lock")
    DIZEZIDA_META_PROPERTY(std::string, where, "where") ///< predicate of a partial index
    DIZEZIDA_META_PROPERTY(std::string, table_space, "table-space")
    DIZEZIDA_META_PROPERTY(std::string, with, "with")       ///< storage parameters text
    DIZEZIDA_META_PROPERTY(std::string, include, "include") ///< included columns text
    DIZEZIDA_META_PROPERTY(std::string, kind, "kind")
    DIZEZIDA_META_PROPERTY(bool, is_concurrent, "is-concurrent")
    DIZEZIDA_META_PROPERTY(bool, is_only, "is-only")
    DIZEZIDA_META_PROPERTY(bool, is_visible, "is-visible")
    DIZEZIDA_META_PROPERTY(bool, is_clustered, "is-clustered")
    DIZEZIDA_META_PROPERTY(std::uint64_t, key_block_size, "key-block-size")
    DIZEZIDA_META_COLLECTION(Core::StringList, columns, "columns") ///< key column texts in order

    /// Appends a key column text.
    void append(std::string column) { m_columns.push_back(std::move(column)); }

    DbObject character() const override { return DbObject::INDEX; }
};

} // namespace Dizezida::Dovodarud::MetaModel

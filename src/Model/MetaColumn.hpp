// A column of a table or view, or of a result set.
#pragma once

#include "Model/MetaObject.hpp"

#include <cstdint>

namespace Dizezida::Dovodarud::MetaModel {

class MetaColumn : public MetaObject {
    DIZEZIDA_OBJECT(MetaColumn)
public:
    /// A column with "name", "data-type" and "raw-type".
    static std::shared_ptr<MetaColumn> with_type(std::string name, DataType data_type,
                                                 std::string raw_type);

    DIZEZIDA_META_PROPERTY(std::uint32_t, ordinal, "ordinal") ///< position in the table, from 1
    DIZEZIDA_META_PROPERTY(std::string, alias, "alias")
    DIZEZIDA_META_PROPERTY(std::string, after, "after") ///< the column it follows when added
    DIZEZIDA_META_PROPERTY(std::string, raw_type, "raw-type") ///< as the server spells it
    DIZEZIDA_META_PROPERTY(DataType, data_type, "data-type", DataType::UNKNOWN)
    DIZEZIDA_META_PROPERTY(std::int64_t, length, "length") ///< length or precision
    DIZEZIDA_META_PROPERTY(std::int16_t, scale, "scale") ///< numeric scale, negative from 15 on
    DIZEZIDA_META_PROPERTY(std::uint8_t, dimension, "dimension") ///< array dimensions
    DIZEZIDA_META_PROPERTY(bool, is_unsigned, "is-unsigned")
    DIZEZIDA_META_PROPERTY(bool, auto_increment, "auto-increment")
    DIZEZIDA_META_PROPERTY(std::uint64_t, auto_increment_seed, "auto-increment-seed")
    DIZEZIDA_META_PROPERTY(std::string, identity, "identity")
    DIZEZIDA_META_PROPERTY(std::string, default_value, "default-value")
    DIZEZIDA_META_PROPERTY(std::string, virtual_type, "virtual-type")
    DIZEZIDA_META_PROPERTY(std::string, expression, "expression") ///< generation expression
    DIZEZIDA_META_PROPERTY(bool, not_null, "not-null")
    DIZEZIDA_META_PROPERTY(bool, is_selected, "is-selected")
    DIZEZIDA_META_PROPERTY(bool, is_virtual, "is-virtual")
    DIZEZIDA_META_PROPERTY(bool, is_user_defined, "is-user-defined")
    DIZEZIDA_META_PROPERTY(bool, is_primary_key, "is-primary-key")
    DIZEZIDA_META_PROPERTY(std::uint8_t, primary_ordinal, "primary-ordinal")
    DIZEZIDA_META_PROPERTY(std::uint64_t, primary_length, "primary-length")
    DIZEZIDA_META_PROPERTY(std::string, conflict, "conflict")
    DIZEZIDA_META_PROPERTY(std::string, charset, "charset")
    DIZEZIDA_META_PROPERTY(std::string, collation, "collation")
    DIZEZIDA_META_PROPERTY(std::string, enum_values, "enum-values")
    DIZEZIDA_META_PROPERTY(bool, is_binary, "is-binary")
    DIZEZIDA_META_PROPERTY(bool, is_fill_zero, "is-fill-zero")
    DIZEZIDA_META_PROPERTY(bool, update_timestamp, "update-timestamp")
    DIZEZIDA_META_PROPERTY(bool, is_generated_always, "is-generated-always")

    DbObject character() const override { return DbObject::COLUMN; }
};

using MetaColumnList = std::vector<std::shared_ptr<MetaColumn>>;

} // namespace Dizezida::Dovodarud::MetaModel

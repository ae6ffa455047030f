// A view: its query text, the result columns derived from it, and the
// rewrite rules that make it writable (INSERT / UPDATE / DELETE; its _RETURN
// rule is the view itself and is not listed).
//
// Setting "definition" re-derives "columns" from the select list of the text
// (see set_definition); "columns" is a read-only property, though code that
// reshapes a view (a transfer renaming or dropping columns) may edit the list
// in place through the mutable getter.
#pragma once

#include "Model/MetaColumn.hpp"
#include "Model/MetaRule.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaView : public MetaObject {
    DIZEZIDA_OBJECT(MetaView)
public:
    static std::shared_ptr<MetaView> with_names(std::string database, std::string schema,
                                                std::string name);

    const std::string& get_definition() const { return m_definition; }
    /**
     * Stores the query text and derives the result columns from its select
     * list, then notifies "definition". A text without a recognisable
     * "select ... from" list, or whose list names nothing, leaves the columns
     * as they were. Setting the current text does nothing.
     */
    void set_definition(std::string definition);

    const MetaColumnList& get_columns() const { return m_columns; }
    MetaColumnList& get_columns() { return m_columns; }

    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaRule>>, rules, "rules")

    DbObject character() const override { return DbObject::VIEW; }
    /// Empties the rules, then the base reset.
    void reset() override;
    /// The base clone plus a clone of every rule.
    Core::ObjectPtr clone() const override;

protected:
    std::string m_definition;
    MetaColumnList m_columns;
};

} // namespace Dizezida::Dovodarud::MetaModel

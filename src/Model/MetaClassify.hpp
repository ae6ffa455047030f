// A labelled grouping node of the object tree ("Tables", "Views", ...) that
// the front end builds from the explorer's lists. The label is the "name";
// the node's kind is fixed at construction and answered by character().
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaClassify : public MetaObject {
    DIZEZIDA_OBJECT(MetaClassify)
public:
    MetaClassify() = default;
    /// A node of `kind` with "database", "schema" and the label as "name".
    MetaClassify(DbObject kind, std::string database, std::string schema, std::string label);

    /// A node whose children are the given objects (shared, in order).
    static std::shared_ptr<MetaClassify> with_model(DbObject kind, std::string database,
                                                    std::string schema, std::string label,
                                                    MetaObjectList children);
    /// A node holding the array's items in order; a missing item stays an
    /// empty entry.
    static std::shared_ptr<MetaClassify> with_array(DbObject kind, std::string database,
                                                    std::string schema, std::string label,
                                                    const MetaObjectList& items);

    // Children of any meta class; a list of MetaObject stands in for the
    // provider's list model.
    DIZEZIDA_META_COLLECTION(MetaObjectList, children, "children")

    DbObject character() const override { return m_kind; }
    /// The base clone keeping the node's kind (children are not carried over).
    Core::ObjectPtr clone() const override;
    JsonElements json_elements(const Core::Property& property) const override;

private:
    DbObject m_kind = DbObject::NONE;
};

} // namespace Dizezida::Dovodarud::MetaModel

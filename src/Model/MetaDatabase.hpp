// A database of the meta model and its schemas.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaSchema;
using MetaSchemaList = std::vector<std::shared_ptr<MetaSchema>>;

class MetaDatabase : public MetaObject {
    DIZEZIDA_OBJECT(MetaDatabase)
public:
    /// A database whose "name", "schema" and "database" are all `name`.
    static std::shared_ptr<MetaDatabase> with_name(std::string name);

    DIZEZIDA_META_COLLECTION(MetaSchemaList, schemas, "schemas")

    /// The first schema named exactly `schema_name`; when there is none, a
    /// new schema of this database appended to "schemas".
    std::shared_ptr<MetaSchema> append(std::string_view schema_name);

    /// "." , "db.." , "database:." or "database:db.." (the database's name).
    std::string fullname(bool with_database, bool with_kind) const override;
    DbObject character() const override { return DbObject::DATABASE; }
    /// Empties "schemas", then the base reset.
    void reset() override;
    /// The base clone plus a clone of every schema, in order.
    Core::ObjectPtr clone() const override;
};

} // namespace Dizezida::Dovodarud::MetaModel

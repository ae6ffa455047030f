// A schema of the meta model and the objects it contains.
#pragma once

#include "Model/MetaObject.hpp"

namespace Dizezida::Dovodarud::MetaModel {

class MetaEvent;
class MetaFunction;
class MetaTable;
class MetaView;
class Materialized;
class MetaSequence;
class MetaType;

class MetaSchema : public MetaObject {
    DIZEZIDA_OBJECT(MetaSchema)
public:
    /// A schema with "database" = `database` and "name" = "schema" = `schema`.
    static std::shared_ptr<MetaSchema> with_names(std::string database, std::string schema);

    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaEvent>>, events, "events")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaFunction>>, functions, "functions")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaFunction>>, procedures, "procedures")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaTable>>, tables, "tables")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<Materialized>>, miews, "miews")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaView>>, views, "views")
    /// User-defined types (enums, composites, ranges, domains), in creation order.
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaType>>, types, "types")
    DIZEZIDA_META_COLLECTION(std::vector<std::shared_ptr<MetaSequence>>, sequences, "sequences")

    /// The objects a script creates, in this order: types, sequences,
    /// functions, procedures, tables, views, materialized views (no null).
    MetaObjectList objects() const;

    /// "name." or "database.name.", optionally preceded by "schema:".
    std::string fullname(bool with_database, bool with_kind) const override;
    DbObject character() const override { return DbObject::SCHEMA; }
    /// Empties "events", "functions", "tables" and "views" ("procedures" and
    /// "miews" keep their elements), then the base reset.
    void reset() override;
    /// The base clone plus a clone of every table and every view, in order;
    /// events, routines and materialized views are not carried over.
    Core::ObjectPtr clone() const override;
};

} // namespace Dizezida::Dovodarud::MetaModel

// Compares two versions of the same thing and marks what differs.
//
// Marks (DataVersion): EQUAL both sides alike, REMOVE only on the base side,
// APPEND only on the other side, CHANGE on both and different. For schemas
// and databases the base is the target (the side a script changes) and the
// other side the source (the state to reach); for tables the caller names
// the base first. A changed item is represented by the other side's item, so
// a script built from the marks brings the base to the other side.
//
// Objects are compared by their structure: their JSON form without the
// properties that do not describe the server object (ordinal, previous
// column, selection, change mark, original name, owners), and, unless names
// are compared, with the database and schema names left out on both sides.
//
// Threads: stateless; one instance may serve several threads.
#pragma once

#include "Model/MetaObject.hpp"

#include <memory>

namespace Dizezida::Zozuvoru::Contracts {
class DataSetModel;
class RowModel;
class TableModel;
} // namespace Dizezida::Zozuvoru::Contracts

namespace Dizezida::Dovodarud::MetaModel {
class MetaDatabase;
class MetaEvent;
class MetaFunction;
class MetaSchema;
class MetaTable;
class MetaView;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Transform {

using MetaModel::DataVersion;
template <class T> using Ptr = std::shared_ptr<T>;

class Patcher {
public:
    /// CHANGE at the first property whose value differs, else EQUAL; NONE
    /// for a missing object or objects of different classes.
    DataVersion diff_object(const Core::ObjectPtr& object_source,
                            const Core::ObjectPtr& object_target) const;
    /// Fills the target's diff map (path -> mark) and slice map (path ->
    /// the source's value) with what the target changes from the source;
    /// EQUAL when nothing differs, else CHANGE.
    DataVersion diff_model(const Ptr<MetaModel::MetaObject>& object_source,
                           const Ptr<MetaModel::MetaObject>& object_target) const;

    /// A difference table (named after `other`) whose columns, indexes,
    /// constraints, triggers and rules carry marks from `base` to `other`;
    /// its comment and options are the other side's, with "comment",
    /// "options.KEY" and "primary-key" in its diff map and the base's values
    /// in its slice map. Columns changed in place carry their own diff and
    /// slice maps. EQUAL and no table when nothing differs.
    DataVersion diff_meta_table(const Ptr<MetaModel::MetaTable>& base,
                                const Ptr<MetaModel::MetaTable>& other, bool compare_names,
                                Ptr<MetaModel::MetaTable>& patched) const;
    DataVersion diff_meta_view(const Ptr<MetaModel::MetaView>& source,
                               const Ptr<MetaModel::MetaView>& target, bool compare_names,
                               Ptr<MetaModel::MetaView>& patched) const;
    DataVersion diff_meta_function(const Ptr<MetaModel::MetaFunction>& source,
                                   const Ptr<MetaModel::MetaFunction>& target, bool compare_names,
                                   Ptr<MetaModel::MetaFunction>& patched) const;
    DataVersion diff_meta_event(const Ptr<MetaModel::MetaEvent>& source,
                                const Ptr<MetaModel::MetaEvent>& target, bool compare_names,
                                Ptr<MetaModel::MetaEvent>& patched) const;
    /// A difference schema named after the target: every object of both
    /// sides, marked from the target (the base) to the source. Changed
    /// tables are difference tables, other changed objects the source's.
    DataVersion diff_meta_schema(const Ptr<MetaModel::MetaSchema>& source,
                                 const Ptr<MetaModel::MetaSchema>& target, bool compare_names,
                                 Ptr<MetaModel::MetaSchema>& patched) const;
    /// A difference database named after the target: changed schemas as
    /// difference schemas (CHANGE), schemas only in the source APPEND, only
    /// in the target REMOVE. The other properties are the source's.
    DataVersion diff_meta_database(const Ptr<MetaModel::MetaDatabase>& source,
                                   const Ptr<MetaModel::MetaDatabase>& target, bool compare_names,
                                   Ptr<MetaModel::MetaDatabase>& patched) const;

    /**
     * The data comparisons read like the schema comparison: the target is
     * the base (the side a script changes) and the source the state to
     * reach. A difference row holds the source's values, each tagged with
     * the object data "VERSION" (a DataVersion: EQUAL or CHANGE against the
     * target's value at the same position; a position the target lacks is
     * CHANGE); the row is marked CHANGE. EQUAL and no row when both rows
     * hold the same values (NULL and '' differ).
     */
    DataVersion diff_data_row(const Ptr<Zozuvoru::Contracts::RowModel>& source,
                              const Ptr<Zozuvoru::Contracts::RowModel>& target,
                              Ptr<Zozuvoru::Contracts::RowModel>& patched) const;
    /**
     * Rows are paired by the primary key the source model is marked with
     * (Supports/Database/DataTable.hpp), never by position. The difference
     * table (the target's name, columns and marks) lists, in the source's
     * row order, rows only in the source (APPEND) and changed rows (CHANGE,
     * as diff_data_row gives them), then rows only in the target (REMOVE,
     * the target's rows). EQUAL and no table when no row differs; NONE
     * (and a critical message) when either side has no key or a NULL key
     * value.
     */
    DataVersion diff_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& source,
                                const Ptr<Zozuvoru::Contracts::TableModel>& target,
                                Ptr<Zozuvoru::Contracts::TableModel>& patched) const;
    /// Tables are paired by name: the difference tables of the pairs that
    /// differ; a table only in the source is compared with an empty one (all
    /// APPEND). Tables only in the target take no part (the structure
    /// decides about them). NONE when a pair cannot be compared.
    DataVersion diff_data_set(const Ptr<Zozuvoru::Contracts::DataSetModel>& source,
                              const Ptr<Zozuvoru::Contracts::DataSetModel>& target,
                              Ptr<Zozuvoru::Contracts::DataSetModel>& patched) const;

    /// The structural text two objects are compared by.
    static std::string structure_text(const MetaModel::MetaObject& object, bool compare_names);
};

} // namespace Dizezida::Dovodarud::Transform

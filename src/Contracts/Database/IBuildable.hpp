// The contract through which the system asks for create, alter, drop and
// call scripts of meta-model objects. A connection hands out its dialect's
// builder (`IConnection::builder`).
//
// Every operation builds text and returns a new string owned by the caller;
// nothing is sent to a server. An operation the dialect does not support
// returns "". A null object argument is the caller's fault: the operation
// writes "<name> != NULL" as a critical platform-log message and returns "".
//
// `keep_raw_type`: true writes each column's type exactly as its raw type
// text; false translates the column's abstract data type into the server's
// type name through the connection's inspector.
//
// Builders keep no state between calls apart from their connection, so one
// builder may be shared and called from any thread.
#pragma once

#include "core/Object.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
class DataSetModel;
} // namespace Dizezida::Zozuvoru::Contracts

namespace Dizezida::Dovodarud::MetaModel {
class MetaObject;
class MetaDatabase;
class MetaSchema;
class MetaTable;
class MetaView;
class MetaIndex;
class MetaTrigger;
class MetaFunction;
class MetaUser;
class MetaRole;
class MetaEvent;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Contracts::Database {

enum class SqlAction : int; // Contracts/Database/SqlAction.hpp

class IBuildable {
    DIZEZIDA_INTERFACE(IBuildable)
public:
    template <class T> using Ptr = std::shared_ptr<T>;

    virtual ~IBuildable() = default;

    /// The create script of any object, by the kind its `character()` gives.
    virtual std::string build_create(const Ptr<MetaModel::MetaObject>& meta_object,
                                     bool keep_raw_type) const = 0;
    /// The drop statement of any object, by its kind.
    virtual std::string build_delete(const Ptr<MetaModel::MetaObject>& meta_object) const = 0;
    /// The script that brings the server object to the state of the edited one.
    virtual std::string build_patch(const Ptr<MetaModel::MetaObject>& meta_object) const = 0;
    /// A statement of `action` for a table.
    virtual std::string build_normal(const Ptr<MetaModel::MetaTable>& table,
                                     SqlAction action) const = 0;
    /// A script that calls a routine.
    virtual std::string build_caller(const Ptr<MetaModel::MetaFunction>& function) const = 0;
    /// The identifier quoted; split at `separator` when it holds one, with
    /// pieces equal to `replacement` (or empty) written bare in its place.
    virtual std::string quote_identifier(std::string_view identifier, std::string_view separator,
                                         std::string_view replacement) const = 0;
    /// The script from the old to the new database settings.
    virtual std::string alter_database(const Ptr<MetaModel::MetaDatabase>& database_old,
                                       const Ptr<MetaModel::MetaDatabase>& database_new) const = 0;
    /// The create script of a database; `flag` is the dialect's option word.
    virtual std::string create_database(const Ptr<MetaModel::MetaDatabase>& database,
                                        std::int32_t flag) const = 0;
    /// The script from the old to the new schema.
    virtual std::string alter_schema(const Ptr<MetaModel::MetaSchema>& schema_old,
                                     const Ptr<MetaModel::MetaSchema>& schema_new) const = 0;
    /// The create script of a schema with its tables, views and routines.
    virtual std::string build_schema(const Ptr<MetaModel::MetaSchema>& schema,
                                     bool keep_raw_type) const = 0;
    /// The create script of several schemas as one, every object after what
    /// it needs, across the schemas.
    virtual std::string build_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                                      bool keep_raw_type) const = 0;
    /// The same script in two halves around copying rows into the new
    /// tables: what must stand before the rows, and what is better made
    /// after them (indexes, keys, triggers). By default all comes before.
    virtual std::pair<std::string, std::string>
    schemas_around_rows(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                        bool keep_raw_type) const {
        return {build_schemas(schemas, keep_raw_type), {}};
    }
    virtual std::string build_table(const Ptr<MetaModel::MetaTable>& table,
                                    bool keep_raw_type) const = 0;
    virtual std::string build_view(const Ptr<MetaModel::MetaView>& view) const = 0;
    virtual std::string build_index(const Ptr<MetaModel::MetaIndex>& index) const = 0;
    virtual std::string build_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) const = 0;
    virtual std::string build_function(const Ptr<MetaModel::MetaFunction>& function) const = 0;
    virtual std::string build_user(const Ptr<MetaModel::MetaUser>& user) const = 0;
    virtual std::string build_role(const Ptr<MetaModel::MetaRole>& role) const = 0;
    /// A script for a data set.
    virtual std::string
    build_script(const Ptr<Zozuvoru::Contracts::DataSetModel>& dataset) const = 0;
    virtual std::string build_event(const Ptr<MetaModel::MetaEvent>& event) const = 0;
    virtual std::string patch_event(const Ptr<MetaModel::MetaEvent>& event) const = 0;
    virtual std::string patch_function(const Ptr<MetaModel::MetaFunction>& func) const = 0;
    /// The patch script of a database.
    virtual std::string patch_script(const Ptr<MetaModel::MetaDatabase>& database) const = 0;
    /// The alter script of an edited table.
    virtual std::string patch_table(const Ptr<MetaModel::MetaTable>& table) const = 0;
    /// The replace script of an edited view.
    virtual std::string patch_view(const Ptr<MetaModel::MetaView>& view) const = 0;
    /// The script that applies the edits of a data grid.
    virtual std::string
    patch_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& model) const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

// Fills meta-model objects and data tables from a server's catalog.
//
// Every operation refuses a null object with a critical "<name> != NULL"
// message and an empty success. Adapters take no lock and run on the
// caller's thread through their connection's synchronous execution.
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <memory>
#include <string>
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

class IAdaptable {
    DIZEZIDA_INTERFACE(IAdaptable)
public:
    template <class T> using Ptr = std::shared_ptr<T>;
    using Done = Core::Result<void>;

    virtual ~IAdaptable() = default;
    /// The database and, with `full`, each of its schemas.
    [[nodiscard]] virtual Done fill_meta_database(const Ptr<MetaModel::MetaDatabase>& database,
                                                  std::int32_t full) = 0;
    [[nodiscard]] virtual Done fill_meta_schema(const Ptr<MetaModel::MetaSchema>& schema,
                                                std::int32_t full) = 0;
    /// Several schemas, as `fill_meta_schema` fills each; an adapter may read
    /// them all in one pass.
    [[nodiscard]] virtual Done fill_meta_schemas(const std::vector<Ptr<MetaModel::MetaSchema>>& schemas,
                                                 std::int32_t full) {
        for (const auto& schema : schemas)
            if (auto filled = fill_meta_schema(schema, full); !filled)
                return filled;
        return {};
    }
    /// The table's columns; with `full` also indexes, keys, constraints, options.
    /// Replaces the columns of the schema's views (names derived from their
    /// definitions) by the catalog's: types, nullability, defaults and
    /// comments. An adapter that cannot leaves them as they are.
    [[nodiscard]] virtual Done fill_view_columns(MetaModel::MetaSchema& schema) {
        (void)schema;
        return {};
    }
    [[nodiscard]] virtual Done fill_meta_table(const Ptr<MetaModel::MetaTable>& table,
                                               std::int32_t full) = 0;
    [[nodiscard]] virtual Done fill_meta_view(const Ptr<MetaModel::MetaView>& view) = 0;
    [[nodiscard]] virtual Done fill_meta_index(const Ptr<MetaModel::MetaIndex>& index) = 0;
    [[nodiscard]] virtual Done fill_meta_trigger(const Ptr<MetaModel::MetaTrigger>& trigger) = 0;
    [[nodiscard]] virtual Done fill_meta_function(const Ptr<MetaModel::MetaFunction>& function) = 0;
    [[nodiscard]] virtual Done fill_meta_user(const Ptr<MetaModel::MetaUser>& user) = 0;
    [[nodiscard]] virtual Done fill_meta_role(const Ptr<MetaModel::MetaRole>& role) = 0;
    [[nodiscard]] virtual Done fill_meta_event(const Ptr<MetaModel::MetaEvent>& event) = 0;
    /// Any object, by its kind.
    [[nodiscard]] virtual Done fill_meta_object(const Ptr<MetaModel::MetaObject>& meta_object) = 0;
    /// The rows of one table of a data set.
    [[nodiscard]] virtual Done
    fill_data_table(const Ptr<Zozuvoru::Contracts::TableModel>& table) = 0;
    /// Every table of the set, in order; stops at the first failure.
    [[nodiscard]] virtual Done
    fill_data_set(const Ptr<Zozuvoru::Contracts::DataSetModel>& dataset) = 0;
    /// The privilege matrix, one text per entry.
    [[nodiscard]] virtual Done load_privileges(const Ptr<std::vector<std::string>>& matrix) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database

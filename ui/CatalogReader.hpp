// What the catalog-reading commands share: a deep read of the database, of
// some schemas, or of one table into the meta model, with progress on a
// terminal.
#pragma once

#include "Supports/Database/ConnectionImpl.hpp"

#include <memory>
#include <string>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {
class MetaObject;
}

namespace Dizezida::Rezizida {

struct CatalogSelection {
    std::vector<std::string> schemas; ///< none: every user schema
    std::string table;                ///< SCHEMA.TABLE: only this table
    bool system = false;              ///< also pg_catalog and information_schema
    bool missing_ok = false;          ///< a named schema the server lacks is left out
};

/// The filled model: a MetaDatabase, or a MetaTable for a table selection.
/// Prints the reason ("<command>: ...") and gives nullptr on failure.
std::shared_ptr<Dovodarud::MetaModel::MetaObject>
read_catalog(Dovodarud::Supports::Database::ConnectionImpl& connection,
             const CatalogSelection& selection, const std::string& command);

/// The name of the session's database; "" after printing why ("<command>: ...").
std::string database_name(Dovodarud::Supports::Database::ConnectionImpl& connection,
                          const std::string& command);

} // namespace Dizezida::Rezizida
